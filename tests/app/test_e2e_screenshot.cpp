// The real program as a child process: `TrevalonMedia --screenshot FILE [--topic NAME]` on the
// generated demo content, on the X display and without one. The picture it writes must show
// the strip pane empty on the start page and filled with plates after a topic link.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kProgram = QStringLiteral(TM_PROGRAM);
constexpr QRgb kStripBackground = 0xFF424B79;
constexpr int kRunMs = 120000;

// Share of the strip pane's background colour in a band of the upper right of the window, where
// the strip stands (right column from W/2.9, top row H/4.7 high): the caption at the strip's
// left end and the scroll bar at its bottom are left out.
double stripBackgroundShare(const QImage& shot) {
    const QRect band(shot.width() / 2, shot.height() * 5 / 100, shot.width() * 45 / 100,
                     shot.height() / 10);
    int background = 0, samples = 0;
    for (int y = band.top(); y <= band.bottom(); y += 3) {
        for (int x = band.left(); x <= band.right(); x += 3) {
            background += shot.pixel(x, y) == kStripBackground;
            ++samples;
        }
    }
    return samples ? double(background) / samples : 0.0;
}

} // namespace

class TestE2eScreenshot : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QFileInfo(kProgram).isExecutable(), qPrintable(kProgram));
        QVERIFY2(QFileInfo::exists(QFileInfo(kProgram).path() + "/source/html/main_naz.htm"),
                 "the demo content has not been generated beside the program");
    }

    void screenshot_data() {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<bool>("onDisplay"); // false: no DISPLAY, the program goes offscreen
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("stripFilled");
        QTest::newRow("start page") << QString() << true << 0 << false;
        QTest::newRow("40-plate topic") << "def1" << true << 0 << true;
        QTest::newRow("topic without a display") << "znaki1" << false << 0 << true;
        QTest::newRow("no such topic") << "nosuchtopic" << true << 1 << false;
    }

    void screenshot() {
        QFETCH(QString, topic);
        QFETCH(bool, onDisplay);
        QFETCH(int, exitCode);
        QFETCH(bool, stripFilled);
        if (onDisplay && qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("no X display; run under xvfb-run");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath("shot.png");
        QStringList args{"--screenshot", file};
        if (!topic.isEmpty())
            args << "--topic" << topic;

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        if (!onDisplay) {
            env.remove("DISPLAY");
            env.remove("WAYLAND_DISPLAY");
        }
        env.insert("XDG_CONFIG_HOME", dir.filePath("config")); // the profile stays here
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::SeparateChannels);
        program.start(kProgram, args);
        QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
        if (!program.waitForFinished(kRunMs)) {
            program.kill();
            program.waitForFinished();
            QFAIL("the program did not finish");
        }
        const QByteArray errors = program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == exitCode, errors.constData());

        if (exitCode != 0) {
            QVERIFY(!QFileInfo::exists(file));
            QVERIFY2(errors.contains(topic.toUtf8()), errors.constData());
            return;
        }
        QImage shot(file);
        QVERIFY2(!shot.isNull(), errors.constData());
        QVERIFY(shot.width() >= 600 && shot.height() >= 500); // offscreen: an 800 x 800 screen
        shot = shot.convertToFormat(QImage::Format_RGB32);
        const double share = stripBackgroundShare(shot);
        if (stripFilled)
            QVERIFY2(share < 0.2, qPrintable(QString::number(share)));
        else
            QVERIFY2(share > 0.95, qPrintable(QString::number(share)));
    }
};

QTEST_GUILESS_MAIN(TestE2eScreenshot)
#include "test_e2e_screenshot.moc"
