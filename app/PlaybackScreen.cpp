#include "PlaybackScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <algorithm>

namespace playback {

namespace {

const QString kNameKey = QStringLiteral("PlaybackScreen/name");
const QString kOrdinalKey = QStringLiteral("PlaybackScreen/ordinal");

int ordinalOf(const QList<ScreenEntry>& screens, int index) {
    int ordinal = 0;
    for (int i = 0; i < index; ++i)
        if (screens[i].name == screens[index].name)
            ++ordinal;
    return ordinal;
}

} // namespace

int screenIndex(const QList<ScreenEntry>& screens, int frameScreen, const ScreenChoice& choice) {
    const int n = static_cast<int>(screens.size());
    if (n == 0)
        return -1;
    if (choice.isSet()) {
        int ordinal = 0;
        for (int i = 0; i < n; ++i) {
            if (screens[i].name != choice.name)
                continue;
            if (ordinal++ == choice.ordinal)
                return i;
        }
    }
    if (n == 1)
        return 0;
    return frameScreen == 0 ? 1 : 0; // two or more: a screen the main window is not on
}

ScreenChoice choiceFor(const QList<ScreenEntry>& screens, int index) {
    if (index < 0 || index >= screens.size())
        return {};
    return {screens[index].name, ordinalOf(screens, index)};
}

QString screenLabel(const QList<ScreenEntry>& screens, int index) {
    if (index < 0 || index >= screens.size())
        return {};
    const ScreenEntry& s = screens[index];
    QString name = s.name.isEmpty() ? QStringLiteral("?") : s.name;
    const auto sameName = std::count_if(screens.begin(), screens.end(),
                                        [&](const ScreenEntry& e) { return e.name == s.name; });
    if (sameName > 1)
        name += QStringLiteral(" (%1)").arg(ordinalOf(screens, index) + 1);
    return QStringLiteral("%1 %2×%3").arg(name).arg(s.size.width()).arg(s.size.height());
}

QList<ScreenEntry> entries(const QList<QScreen*>& screens) {
    QList<ScreenEntry> out;
    for (const QScreen* s : screens)
        out.append({s->name(), s->size()});
    return out;
}

ScreenChoice loadChoice(QSettings& settings) {
    return {settings.value(kNameKey).toString(), settings.value(kOrdinalKey, 0).toInt()};
}

void saveChoice(QSettings& settings, const ScreenChoice& choice) {
    if (!choice.isSet()) {
        settings.remove(kNameKey);
        settings.remove(kOrdinalKey);
        return;
    }
    settings.setValue(kNameKey, choice.name);
    settings.setValue(kOrdinalKey, choice.ordinal);
}

QScreen* chooseScreen(QScreen* frameScreen, const ScreenChoice& choice) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    const int at =
        screenIndex(entries(screens), static_cast<int>(screens.indexOf(frameScreen)), choice);
    return at < 0 ? nullptr : screens[at];
}

} // namespace playback
