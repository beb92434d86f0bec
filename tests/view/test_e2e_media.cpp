// End to end on a real X display: the media windows over a stand-in preview, on the demo
// content's clip and movie. The clip waits, plays after its play button (frames arrive from
// the video sink) and a click on the picture band steps; the Flash movie plays (screen grabs
// differ), and a click on it steps instead of reaching it.
//
// Screenshots are kept in $TM_E2E_SHOTS when set, else in a new folder under the temp dir.

#include "../app/WebEngineTestMain.h"
#include "AviDlg.h"
#include "MediaPlacement.h"
#include "StandInHost.h"
#include "SwfDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVideoSink>
#include <QWebEngineView>

namespace {

const QString kContent = QStringLiteral(TM_CONTENT_DIR "/");

// The picture the media window lies over: a striped plate in a plain widget.
class Plate : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(66, 75, 121));
        p.fillRect(QRect(40, 30, 640, 480), QColor(200, 220, 180));
        for (int x = 40; x < 680; x += 40)
            p.fillRect(QRect(x, 30, 20, 480), QColor(170, 190, 150));
    }
};

QImage screenOf(QWidget* w) {
    return w->screen()->grabWindow(w->winId()).toImage();
}

} // namespace

class TestE2eMedia : public QObject {
    Q_OBJECT

    QString m_shots;
    std::unique_ptr<QTemporaryDir> m_shotDir;
    Plate m_preview;
    StandInHost m_host;

    void shot(const QString& name) { screenOf(&m_preview).save(m_shots + "/" + name + ".png"); }

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (run under xvfb-run)");
        m_shots = qEnvironmentVariable("TM_E2E_SHOTS");
        if (m_shots.isEmpty()) {
            m_shotDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/tm-media-XXXXXX");
            m_shotDir->setAutoRemove(false);
            m_shots = m_shotDir->path();
        }
        QDir().mkpath(m_shots);
        qInfo("screenshots in %s", qPrintable(m_shots));
        m_preview.resize(720, 560);
        m_preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_preview));
    }

    void videoWaitsThenPlays() {
        if (!TM_CONTENT_HAS_CLIP)
            QSKIP("the demo content has no clip");
        auto* avi = new AviDlg(&m_preview, m_host, kContent);
        std::unique_ptr<AviDlg> owner(avi);
        avi->setGeometry(mediaWindowRect({39, 28}, {679, 508}));
        avi->raise();
        avi->show();
        avi->open("perekrestok.avi");
        QVERIFY2(avi->note().isEmpty(), qPrintable(avi->note()));
        QTRY_VERIFY_WITH_TIMEOUT(avi->player()->mediaStatus() == QMediaPlayer::LoadedMedia, 15000);
        // Waiting for its play button: its first frame shows, the play bar under it, and the
        // bar stays there once it plays.
        QTRY_VERIFY_WITH_TIMEOUT(avi->picture()->isVisible() && avi->picture()->height() > 0,
                                 15000);
        QTest::qWait(300);
        QCOMPARE(avi->player()->playbackState(), QMediaPlayer::PausedState);
        QCOMPARE(avi->player()->position(), 0);
        QToolButton* play = avi->playButton();
        const QPoint barBefore = play->mapTo(avi, QPoint(0, 0));
        QVERIFY(barBefore.y() >= avi->picture()->height());
        shot("video-waiting");

        QSignalSpy frames(avi->videoSink(), &QVideoSink::videoFrameChanged);
        QTest::mouseClick(avi->playButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() >= 10, 15000);
        QVERIFY(avi->player()->position() > 0);
        QCOMPARE(play->mapTo(avi, QPoint(0, 0)), barBefore);
        // 640 px wide window: the clip at 63 % of its own size.
        const QSize clip = avi->picture()->frameSize();
        QCOMPARE(avi->picture()->width(), clip.width() * AviDlg::zoomPercent(640) / 100);
        shot("video-playing");

        // The picture's middle band steps (here outside playback: the host decides); the
        // play bar's own clicks reach it: a second press pauses.
        const int steps = m_host.steps;
        if (avi->picture()->height() > 110) {
            QTest::mouseClick(avi->picture(), Qt::LeftButton, {}, QPoint(20, 105));
            QTRY_COMPARE(m_host.steps, steps + 1);
        }
        QTest::mouseClick(avi->playButton(), Qt::LeftButton);
        QTRY_COMPARE(avi->player()->playbackState(), QMediaPlayer::PausedState);
        QCOMPARE(m_host.steps, avi->picture()->height() > 110 ? steps + 1 : steps);
    }

    // A clip that no decoder takes: the picture stays, a note says so, nothing hangs.
    void undecodableClipGivesNote() {
        QTemporaryDir content;
        QFile clip(content.filePath("broken.avi"));
        QVERIFY(clip.open(QIODevice::WriteOnly));
        clip.write(QByteArray("RIFF\x10\0\0\0AVI LIST", 16) + QByteArray(4096, '\x5a'));
        clip.close();
        AviDlg avi(&m_preview, m_host, content.path() + "/");
        avi.setGeometry(mediaWindowRect({39, 28}, {679, 508}));
        avi.show();
        avi.open("broken.avi");
        QTRY_VERIFY_WITH_TIMEOUT(!avi.note().isEmpty(), AviDlg::kLoadTimeoutMs + 5000);
        QVERIFY2(avi.note().contains("broken.avi"), qPrintable(avi.note()));
        QVERIFY(!avi.player());
        shot("video-undecodable");
    }

    void flashPlaysAndClicksStep() {
        SwfDlg::setPlayerFolder(QStringLiteral(TM_RUFFLE_DIR));
        if (!QFileInfo::exists(QStringLiteral(TM_RUFFLE_DIR "/ruffle.js")))
            QSKIP("Ruffle was not fetched by the build (npm unavailable)");
        auto* swf = new SwfDlg(&m_preview, m_host, kContent);
        std::unique_ptr<SwfDlg> owner(swf);
        swf->setGeometry(mediaWindowRect({39, 28}, {679, 508}));
        swf->raise();
        swf->show();
        QSignalSpy started(swf, &SwfDlg::started);
        QSignalSpy clicked(swf, &SwfDlg::movieClicked);
        swf->play("motocikl.swf");
        QVERIFY2(started.wait(SwfDlg::kStartTimeoutMs) || started.count() == 1,
                 qPrintable(swf->note()));
        QTest::qWait(1500);
        const QImage first = screenOf(&m_preview);
        QTest::qWait(700);
        const QImage second = screenOf(&m_preview);
        first.save(m_shots + "/flash-1.png");
        second.save(m_shots + "/flash-2.png");
        QVERIFY2(first != second, "the movie does not move");

        // The page's own click report works ...
        swf->view()->page()->runJavaScript(
            "document.dispatchEvent(new PointerEvent('pointerdown'))");
        QVERIFY(clicked.wait(5000));
        clicked.clear();
        // ... and a real click on the movie steps the preview and never reaches the page.
        QWidget* input = swf->view()->focusProxy() ? swf->view()->focusProxy() : swf->view();
        const int steps = m_host.steps;
        QTest::mouseClick(input, Qt::LeftButton, {}, input->rect().center());
        QTRY_COMPARE(m_host.steps, steps + 1);
        QTest::qWait(700);
        QCOMPARE(clicked.count(), 0);
        QVERIFY(swf->note().isEmpty());

        // The pointer's half is reported, middle double-click toggles full screen.
        QTest::mouseMove(input, QPoint(10, 10));
        QTRY_VERIFY(m_host.pointerReports > 0 && m_host.lastBackwards);
        QSignalSpy toggles(swf, &MediaWindow::fullScreenRequested);
        QTest::mouseDClick(input, Qt::MiddleButton, {}, input->rect().center());
        QTRY_COMPARE(toggles.count(), 1);
    }

    // A player that fails to start leaves the picture with a note, and no browser over it.
    void brokenPlayerGivesNote() {
        QTemporaryDir broken;
        QFile js(broken.filePath("ruffle.js"));
        QVERIFY(js.open(QIODevice::WriteOnly));
        js.write("throw new Error('damaged');\n");
        js.close();
        SwfDlg::setPlayerFolder(broken.path());
        SwfDlg swf(&m_preview, m_host, kContent);
        swf.setGeometry(mediaWindowRect({39, 28}, {679, 508}));
        swf.show();
        swf.play("motocikl.swf");
        QTRY_VERIFY_WITH_TIMEOUT(!swf.note().isEmpty(), SwfDlg::kStartTimeoutMs + 5000);
        QVERIFY2(swf.note().contains("Ruffle"), qPrintable(swf.note()));
        QVERIFY(!swf.view());
        shot("flash-broken-player");
        SwfDlg::setPlayerFolder({});
    }
};

TM_WEBENGINE_TEST_MAIN(TestE2eMedia)
#include "test_e2e_media.moc"
