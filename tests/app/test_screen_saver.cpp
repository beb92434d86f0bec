// The screen-saver inhibition against a fake desktop service on a private session bus: one
// inhibition however often it is asked, its release, a release asked before the answer came,
// the release when the program ends, and no bus at all.

#include "ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <atomic>

// The desktop's side: hands out cookies and counts what is held. Lives on its own thread, so
// the release that waits at the end gets its answer.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    std::atomic<int> held{0};
    std::atomic<int> requests{0};
    QString application;

public slots:
    Q_SCRIPTABLE uint Inhibit(const QString& app, const QString& reason) {
        (void)reason;
        application = app;
        ++requests;
        ++held;
        return 40 + requests;
    }
    Q_SCRIPTABLE void UnInhibit(uint cookie) {
        if (cookie > 40)
            --held;
    }
};

class TestScreenSaver : public QObject {
    Q_OBJECT
    QProcess m_daemon;
    QString m_address;
    QThread m_thread;
    FakeScreenSaver* m_fake = nullptr;

private slots:
    void initTestCase() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("no dbus-daemon");
        m_daemon.start(daemon, {"--session", "--nofork", "--print-address=1"});
        QVERIFY(m_daemon.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());

        QDBusConnection service = QDBusConnection::connectToBus(m_address, "service");
        QVERIFY(service.isConnected());
        m_fake = new FakeScreenSaver;
        m_fake->moveToThread(&m_thread);
        m_thread.start();
        QVERIFY(service.registerObject(ScreenSaverInhibitor::kPath, m_fake,
                                       QDBusConnection::ExportScriptableSlots));
        QVERIFY(service.registerService(ScreenSaverInhibitor::kService));
    }
    void cleanupTestCase() {
        m_thread.quit();
        m_thread.wait();
        delete m_fake;
        QDBusConnection::disconnectFromBus("service");
        QDBusConnection::disconnectFromBus("client");
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }

    void inhibitAndRelease() {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, "client");
        {
            ScreenSaverInhibitor inhibitor(bus);
            inhibitor.setInhibited(true);
            inhibitor.setInhibited(true);
            QTRY_VERIFY(inhibitor.isHeld());
            QCOMPARE(m_fake->held.load(), 1);
            QCOMPARE(m_fake->requests.load(), 1);
            QCOMPARE(m_fake->application, QStringLiteral("TrevalonMedia"));
            inhibitor.setInhibited(false);
            QTRY_COMPARE(m_fake->held.load(), 0);
            QVERIFY(!inhibitor.isHeld());

            // Released before the desktop answered: released once the answer is there.
            QSignalSpy answered(&inhibitor, &ScreenSaverInhibitor::answered);
            inhibitor.setInhibited(true);
            inhibitor.setInhibited(false);
            QTRY_COMPARE(answered.size(), 1);
            QTRY_COMPARE(m_fake->held.load(), 0);
            QCOMPARE(m_fake->requests.load(), 2);

            inhibitor.setInhibited(true);
            // Held once its answer is in, not when the desktop has counted it.
            QTRY_VERIFY(inhibitor.isHeld());
            QCOMPARE(m_fake->held.load(), 1);
        }
        // The program's end releases it.
        QTRY_COMPARE(m_fake->held.load(), 0);
    }

    void noBus() {
        ScreenSaverInhibitor inhibitor(
            QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "nobus"));
        inhibitor.setInhibited(true);
        QVERIFY(inhibitor.isWanted());
        QTest::qWait(50);
        QVERIFY(!inhibitor.isHeld());
        inhibitor.setInhibited(false);
    }
};

QTEST_GUILESS_MAIN(TestScreenSaver)
#include "test_screen_saver.moc"
