#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QScreen;
class QSettings;

// Which screen full-screen showing goes to. With two or more screens the class sees a screen
// other than the one the main window is on (the projector), unless the teacher chose one
// under "Экран показа"; the choice is kept by screen name. Screens of one X display often
// share a name ("screen"), so the choice also counts which of the screens of that name it is.
namespace playback {

struct ScreenEntry {
    QString name;
    QSize size;
};

struct ScreenChoice {
    QString name;    // empty: no choice, the rule decides
    int ordinal = 0; // among the screens of that name, in the order the system lists them
    bool isSet() const { return !name.isEmpty(); }
    bool operator==(const ScreenChoice&) const = default;
};

// The index of the screen to show on: the chosen one while it is there, else the first
// screen that is not frameScreen, else frameScreen (one screen: as before). -1 without screens.
int screenIndex(const QList<ScreenEntry>& screens, int frameScreen, const ScreenChoice& choice);
// The choice that names screens[index].
ScreenChoice choiceFor(const QList<ScreenEntry>& screens, int index);
// "name 1920×1080", with the ordinal when another screen has the same name.
QString screenLabel(const QList<ScreenEntry>& screens, int index);

// The same over the system's screens and the program's settings.
QList<ScreenEntry> entries(const QList<QScreen*>& screens);
ScreenChoice loadChoice(QSettings& settings);
void saveChoice(QSettings& settings, const ScreenChoice& choice);
// The screen to show on while the main window is on frameScreen; null without screens.
QScreen* chooseScreen(QScreen* frameScreen, const ScreenChoice& choice);

} // namespace playback
