#include "PlatformChoice.h"

#include <QtGlobal>

SessionEnvironment SessionEnvironment::current(const QStringList& rawArguments) {
    SessionEnvironment s;
    s.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    s.display = qgetenv("DISPLAY");
    s.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    s.platformArgument = rawArguments.contains(QStringLiteral("-platform"));
    return s;
}

QByteArray chosenPlatform(const SessionEnvironment& session) {
    if (!session.qpaPlatform.isEmpty() || session.platformArgument)
        return {};
    // Without XWayland there is no X server to go to: Qt's own choice (its Wayland plugin,
    // where installed) is the only one that can show a window.
    if (session.waylandDisplay.isEmpty() || session.display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

void choosePlatform(const QStringList& rawArguments) {
    const QByteArray platform = chosenPlatform(SessionEnvironment::current(rawArguments));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}
