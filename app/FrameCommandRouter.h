#pragma once

#include "ControlKeyRule.h"
#include "FrameCommands.h"

#include <QKeySequence>
#include <QObject>
#include <QString>

class QEvent;
class QMainWindow;
class QMenu;

// Menu 128 in the main window's menu bar and the window's own keys, routed to the
// collaborators in FrameCommands. A group that is not set has its menu items disabled and
// its keys do nothing. What only the frame does (the palette, full screen, the About box) it
// asks for by signal.
class FrameCommandRouter : public QObject {
    Q_OBJECT
public:
    // screenMenu goes into "Урок", enabled with the show's commands; helpFile opens on F1.
    FrameCommandRouter(QMainWindow& window, QMenu* screenMenu, const QString& helpFile);

    // Sets every group that commands names; the others stay as they are.
    void setCommands(const FrameCommands& commands);
    const FrameCommands& commands() const { return m_commands; }
    QMenu* plateMenu() const { return m_plateMenu; }
    QMenu* lessonMenu() const { return m_lessonMenu; }
    QMenu* helpMenu() const { return m_helpMenu; }
    void runCommand(int id);
    // A key that reached the main window, the palette or a show window; in full-screen mode
    // playback sees it first. true: the key was taken.
    bool onKey(QEvent* event, bool fullScreen);

signals:
    void paletteToggleRequested();
    void showToggleRequested();
    void aboutRequested();

private:
    void addCommand(QMenu* menu, const QString& text, int id, const QKeySequence& keys = {});
    void updateCommandStates();

    QMainWindow& m_window;
    QMenu* m_screenMenu;
    QString m_helpFile;
    FrameCommands m_commands;
    QMenu* m_plateMenu = nullptr;
    QMenu* m_lessonMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    ControlKeyRule m_keys;
};
