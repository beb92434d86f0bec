#include "ScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
constexpr int kReleaseAtEndMs = 500;

} // namespace

const QString ScreenSaverInhibitor::kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString ScreenSaverInhibitor::kPath = QStringLiteral("/org/freedesktop/ScreenSaver");

ScreenSaverInhibitor::ScreenSaverInhibitor(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    m_wanted = false;
    release(true);
}

void ScreenSaverInhibitor::setInhibited(bool on) {
    if (on == m_wanted)
        return;
    m_wanted = on;
    if (on)
        request();
    else
        release(false);
}

void ScreenSaverInhibitor::request() {
    // A request still unanswered is answered for both; a cookie held is still good.
    if (m_pending || m_cookie != 0 || !m_bus.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("TrevalonMedia") << QStringLiteral("Показ урока");
    m_pending = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        m_pending = false;
        const QDBusPendingReply<uint> reply = *w;
        if (!reply.isError() && reply.value() != 0)
            m_cookie = reply.value();
        // Released while the request was on its way.
        if (!m_wanted)
            release(false);
        emit answered();
    });
}

void ScreenSaverInhibitor::release(bool wait) {
    if (m_cookie == 0 || !m_bus.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
    call << m_cookie;
    m_cookie = 0;
    if (wait)
        m_bus.call(call, QDBus::Block, kReleaseAtEndMs);
    else
        m_bus.asyncCall(call);
}
