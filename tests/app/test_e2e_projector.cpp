// End to end on a virtual X display of two screens (1920×1080 and 1280×720, as Xvfb gives them
// with two -screen options: two X screens, which Qt reports as two screens of the same name).
// A topic's plates go into the lesson, F5 starts it: the show lands on the second screen at its
// size and the presenter view on the first, while the main window stays where it was; a key
// pressed on the presenter view steps both, B blanks the projector, Esc leaves both and the
// preview is back in its pane. With the main window's own screen chosen under "Экран показа",
// F5 plays on that screen alone, as with one screen. Screenshots of both screens are checked
// by their pixels.
//
// Screenshots go to $TM_E2E_SHOTS when set, else to a new folder under the temp dir.

#include "BmpRect.h"
#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "E2eShots.h"
#include "HtmlView.h"
#include "KovrelView.h"
#include "LessView.h"
#include "PaneViews.h"
#include "PreView.h"
#include "PresenterView.h"
#include "ProjectorShow.h"
#include "QtWindowServices.h"
#include "ResourceIds.h"
#include "ScreenSaverInhibitor.h"
#include "UnexpectedBoxes.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <optional>

#include <unistd.h>

namespace {

const QString kContent = QStringLiteral(TM_CONTENT_DIR "/");
constexpr int kStartMs = 60000;
constexpr int kLoadMs = 120000;
const QRgb kPreviewBackground = qRgb(66, 75, 121);

QVariant evaluate(QWebEnginePage* page, const QString& script) {
    auto answer = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [answer](const QVariant& v) { *answer = v; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
        return {};
    return answer->value_or(QVariant());
}

void clickAt(QWidget* widget, QPoint point) {
    QWindow* window = widget->window()->windowHandle();
    const QPoint at = widget->mapTo(widget->window(), point);
    QTest::mouseMove(window, at);
    QTest::qWait(30);
    QTest::mouseClick(window, Qt::LeftButton, {}, at);
    QTest::qWait(30);
}

QImage shot(QScreen* screen) {
    QTest::qWait(300);
    return screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// Share of the pixels in r (sampled on a grid) that are exactly colour.
double shareOf(const QImage& image, const QRect& r, QRgb colour) {
    int hits = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); y += 7)
        for (int x = r.left(); x <= r.right(); x += 7, ++all)
            hits += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
    return all ? double(hits) / all : 0.0;
}

// Share of grid pixels in r that differ between a and b.
double changedShare(const QImage& a, const QImage& b, const QRect& r) {
    int changed = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); y += 7)
        for (int x = r.left(); x <= r.right(); x += 7, ++all)
            changed += a.pixel(x, y) != b.pixel(x, y);
    return all ? double(changed) / all : 0.0;
}

} // namespace

class TestE2eProjector : public QObject {
    Q_OBJECT
    QString m_shots;
    std::unique_ptr<QTemporaryDir> m_shotDir;

    void save(const QImage& image, const QString& name) {
        QVERIFY(image.save(m_shots + name, "PNG"));
        qInfo("screenshot: %s", qPrintable(m_shots + name));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(QFileInfo::exists(kContent + "html/main_naz.htm"),
                 "the demo content has not been generated");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        if (QGuiApplication::screens().size() < 2)
            QSKIP("the display has one screen");
        m_shots = e2eShotFolder(m_shotDir, "tm_e2e");
        QVERIFY(!m_shots.isEmpty());
    }

    void lessonOnTheProjector() {
        QtWindowServices services;
        CKovrelApp app(kContent);
        QVERIFY(app.initInstance({}));
        CMainFrame* frame = app.mainFrame();
        PreView* preview = app.views()->preview();
        KovrelView& plate = *app.views()->plateView();
        QSignalSpy loaded(frame->htmlView(), &HtmlView::loadFinished);
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kStartMs));
        const QList<QScreen*> screens = QGuiApplication::screens();
        QScreen* main = frame->screen();
        QScreen* projector = screens[main == screens[0] ? 1 : 0];
        frame->projectorShow().chooseScreen(-1);

        // A topic's plates into the lesson.
        const QVariantList at =
            evaluate(frame->htmlView()->page(),
                     "(function(){var a=document.querySelector('a[href=\"znaki1.htm\"]');"
                     "a.scrollIntoView({block:'center'});var r=a.getBoundingClientRect();"
                     "return [r.left+r.width/2,r.top+r.height/2];})()")
                .toList();
        QCOMPARE(at.size(), 2);
        QTest::qWait(150);
        const double zoom = frame->htmlView()->zoomFactor();
        clickAt(frame->htmlView(),
                QPoint(qRound(at[0].toDouble() * zoom), qRound(at[1].toDouble() * zoom)));
        QVERIFY(QTest::qWaitFor([&] { return plate.scene().firstPicture() && !plate.isLoading(); },
                                kLoadMs));
        frame->runCommand(ResId::kCmdAddAllToLesson);
        LessView& row = *app.views()->lessonView();
        QTRY_VERIFY(row.scene().firstPicture());
        const int count = static_cast<int>(row.scene().shapes().size());
        QVERIFY(count >= 3);
        const QRect frameRect = frame->geometry();

        // F5: the show on the projector at its size, the presenter view here.
        // Window shortcuts fire only in the active window, and activation lags under load.
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QTest::keyClick(frame->windowHandle(), Qt::Key_F5);
        QTRY_VERIFY(frame->projectorShow().isOn());
        // The show's window is deleted once the show ends.
        QPointer<QWidget> show = frame->projectorShow().playbackWindow();
        PresenterView* presenter = frame->projectorShow().presenterView();
        QVERIFY(presenter);
        QCOMPARE(show->screen(), projector);
        QTRY_COMPARE(show->geometry(), projector->geometry());
        QTRY_COMPARE(preview->size(), projector->size());
        QCOMPARE(presenter->screen(), main);
        QTRY_COMPARE(presenter->geometry(), main->geometry());
        QCOMPARE(frame->geometry(), frameRect);
        QVERIFY(!frame->isFullScreen());
        QVERIFY(frame->screenSaver().isWanted());
        QCOMPARE(presenter->positionText(), QStringLiteral("1 / %1").arg(count));
        QVERIFY(!presenter->captionText().isEmpty());
        QTRY_VERIFY(presenter->isCurrentReady() && presenter->isNextReady());

        const QImage projected1 = shot(projector);
        const QImage teacher1 = shot(main);
        save(projected1, "projector_1.png");
        save(teacher1, "presenter_1.png");
        QCOMPARE(projected1.size(), projector->size());
        // The picture fills the middle of the projector; the presenter draws both pictures.
        const QRect middle = QRect(QPoint(0, 0), projector->size()).adjusted(400, 200, -400, -200);
        QVERIFY(shareOf(projected1, middle, kPreviewBackground) < 0.05);
        const QRect current = presenter->currentBox().adjusted(80, 80, -80, -80);
        const QRect next = presenter->nextBox().adjusted(40, 30, -40, -30);
        QVERIFY(shareOf(teacher1, current, qRgb(40, 44, 60)) < 0.2);
        QVERIFY(shareOf(teacher1, next, qRgb(40, 44, 60)) < 0.5);

        // A key on the teacher's screen steps both.
        QTest::keyClick(presenter->windowHandle(), Qt::Key_Right);
        QTRY_COMPARE(preview->position(), 1);
        QCOMPARE(presenter->positionText(), QStringLiteral("2 / %1").arg(count));
        QTRY_VERIFY(presenter->isCurrentReady());
        const QImage projected2 = shot(projector);
        const QImage teacher2 = shot(main);
        save(projected2, "projector_2.png");
        save(teacher2, "presenter_2.png");
        QVERIFY(changedShare(projected1, projected2, middle) > 0.1);
        QVERIFY(changedShare(teacher1, teacher2, current) > 0.1);
        // The presenter's large picture is the projector's next one before the step.
        QVERIFY(changedShare(teacher1, teacher2, next) > 0.1);

        // B blanks the projector (and says so here); B again shows the picture.
        QTest::keyClick(presenter->windowHandle(), Qt::Key_B);
        QTRY_VERIFY(preview->isBlank());
        const QImage blank = shot(projector);
        save(blank, "projector_blank.png");
        QVERIFY(shareOf(blank, middle, qRgb(0, 0, 0)) > 0.99);
        QTest::keyClick(presenter->windowHandle(), Qt::Key_B);
        QTRY_VERIFY(!preview->isBlank());

        // Esc leaves both: the preview is back in its pane, the window as it was.
        QTest::keyClick(presenter->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!frame->projectorShow().isOn());
        QVERIFY(!frame->isFullScreenMode());
        QCOMPARE(frame->pane(CMainFrame::Pane::Preview), preview);
        QTRY_VERIFY(preview->isVisible());
        QCOMPARE(preview->window(), frame);
        QTRY_VERIFY(!show || !show->isVisible());
        QCOMPARE(frame->geometry(), frameRect);
        QVERIFY(!frame->screenSaver().isWanted());
        save(shot(main), "after_esc.png");

        // The main window's own screen chosen: the show is on it alone, as with one screen.
        frame->projectorShow().chooseScreen(static_cast<int>(screens.indexOf(main)));
        // Window shortcuts fire only in the active window, and activation lags under load.
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QTest::keyClick(frame->windowHandle(), Qt::Key_F5);
        QTRY_VERIFY(frame->isFullScreenMode());
        QVERIFY(!frame->projectorShow().isOn());
        QTRY_COMPARE(preview->size(), main->size());
        QTest::keyClick(frame->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!frame->isFullScreenMode());
        QTRY_COMPARE(frame->geometry(), frameRect);
        frame->projectorShow().chooseScreen(-1);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: no X display; run under xvfb-run");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (geteuid() == 0) // the browser engine refuses its sandbox as root
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The screen choice is kept in the profile: this run keeps its own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    UnexpectedBoxes::failOnEveryBox();
    QApplication::setApplicationName(QStringLiteral("TrevalonMedia"));
    TestE2eProjector test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_e2e_projector.moc"
