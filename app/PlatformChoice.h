#pragma once

#include <QByteArray>
#include <QStringList>

// The session the program starts in, as its environment and command line tell.
struct SessionEnvironment {
    QByteArray waylandDisplay;     // WAYLAND_DISPLAY
    QByteArray display;            // DISPLAY (X11, or XWayland beside a Wayland compositor)
    QByteArray qpaPlatform;        // QT_QPA_PLATFORM: the user's own choice
    bool platformArgument = false; // -platform on the command line

    static SessionEnvironment current(const QStringList& rawArguments);
};

// The Qt platform to start on when the program, not the user, chooses; empty: leave it to Qt.
// On a Wayland desktop with XWayland beside it the answer is "xcb": a native Wayland client
// cannot place its own top-level windows, and the floating panels and the palette sit beside
// the panes they belong to. The user's QT_QPA_PLATFORM or -platform always wins.
QByteArray chosenPlatform(const SessionEnvironment& session);

// Applies chosenPlatform() to the process environment; call before QApplication exists.
void choosePlatform(const QStringList& rawArguments);
