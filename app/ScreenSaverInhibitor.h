#pragma once

#include <QDBusConnection>
#include <QObject>

// Asks the desktop not to start the screensaver or power the screen down while the class
// watches, through the freedesktop screen-saver interface on the session bus. Without a bus
// or without the service nothing happens and nothing fails. Calls never wait for the
// desktop, except the release when the program ends (briefly), so that no inhibition
// outlives the program on a desktop that does not watch its clients.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    static const QString kService; // org.freedesktop.ScreenSaver
    static const QString kPath;    // /org/freedesktop/ScreenSaver

    explicit ScreenSaverInhibitor(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // Inhibits (once, however often it is asked) or releases.
    void setInhibited(bool on);
    bool isWanted() const { return m_wanted; }
    // The desktop granted the inhibition and it has not been released.
    bool isHeld() const { return m_cookie != 0; }

signals:
    // The desktop answered an inhibit request (held or not).
    void answered();

private:
    void request();
    void release(bool wait);

    QDBusConnection m_bus;
    bool m_wanted = false;
    bool m_pending = false;
    uint m_cookie = 0;
};
