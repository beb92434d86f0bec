// End to end on the screen a classroom has: an old 1024 x 768 projector under a window manager
// (Xvfb with openbox), or a GNOME-like Wayland desktop (a headless weston with XWayland, see
// with_weston.sh). The start page, a topic, a plate in the preview, the floating panels, the
// lesson palette, the About box and the help window all lie within the screen; full screen
// covers exactly the screen and gives the window back. Screenshots of every step go to
// $TM_E2E_SHOTS (else a new folder under the temp dir), taken by the compositor itself when
// it offers its screenshooter.

#include "AboutBox.h"
#include "BmpRect.h"
#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "E2eShots.h"
#include "FramePanels.h"
#include "HelpWindow.h"
#include "HtmlView.h"
#include "Instances.h"
#include "KovrelView.h"
#include "LoadDlg.h"
#include "PaneViews.h"
#include "PlatformChoice.h"
#include "PreView.h"
#include "QtWindowServices.h"
#include "ScreenSaverInhibitor.h"
#include "SourceFolder.h"
#include "UnexpectedBoxes.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QtTest>

#include <memory>

#include <unistd.h>

namespace {

const QString kContent = QStringLiteral(TM_CONTENT_DIR "/");
constexpr int kStartMs = 60000;
constexpr int kLoadMs = 120000;
constexpr int kWindowManagerMs = 15000;

bool onWayland() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void clickAt(QWidget* widget, QPoint point) {
    QWidget* top = widget->window();
    const QPoint at = widget->mapTo(top, point);
    QTest::mouseMove(top->windowHandle(), at);
    QTest::qWait(30);
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, at);
    QTest::qWait(30);
}

// Mean difference in grey levels between two images over an area.
double meanDifference(const QImage& a, const QImage& b, QRect area) {
    area &= a.rect() & b.rect();
    double sum = 0;
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x, ++n)
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return n ? sum / n : 0.0;
}

QRect globalRect(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

} // namespace

class TestE2eScreens : public QObject {
    Q_OBJECT
    QString m_shots;
    std::unique_ptr<QTemporaryDir> m_shotDir;
    int m_shotCount = 0;
    QImage m_lastShot;

    // The whole screen as the user sees it: the compositor's own picture where it offers one
    // (weston --debug), else the X server's.
    void shoot(QScreen* screen, const QString& name) {
        // XWayland and the compositor take their time to show a change.
        QTest::qWait(onWayland() ? 1500 : 300);
        const QString file = m_shots + QStringLiteral("%1_%2.png").arg(++m_shotCount).arg(name);
        if (onWayland() && !QStandardPaths::findExecutable("weston-screenshooter").isEmpty()) {
            QDir folder(m_shots);
            const QStringList before = folder.entryList({"wayland-screenshot-*.png"});
            QProcess shooter;
            shooter.setWorkingDirectory(m_shots);
            shooter.start("weston-screenshooter", {});
            QVERIFY(shooter.waitForFinished(20000));
            QStringList after = folder.entryList({"wayland-screenshot-*.png"});
            for (const QString& old : before)
                after.removeAll(old);
            QCOMPARE(after.size(), 1);
            QVERIFY(folder.rename(after.first(), file));
        } else {
            QVERIFY(screen->grabWindow(0).save(file, "PNG"));
        }
        m_lastShot = QImage(file);
        qInfo("screenshot: %s", qPrintable(file));
    }

    // Empty when every window lies within the screen (waiting for the window manager), else
    // what does not. Weston's XWayland does not always tell Qt where it put a window, so there
    // Qt's view is only reported and the screenshots judge.
    static QString fitProblem(CMainFrame* frame) {
        if (QTest::qWaitFor([&] { return outsideScreen(frame).isEmpty(); },
                            onWayland() ? 2000 : kWindowManagerMs))
            return {};
        const QString problem = outsideScreen(frame);
        if (!onWayland())
            return problem;
        qInfo("as Qt sees it: %s", qPrintable(problem));
        return {};
    }

    // Every visible window of the program lies within the screen, every floating panel within
    // the main window; empty when they do, else what does not.
    static QString outsideScreen(CMainFrame* frame) {
        const QRect screen = frame->screen()->geometry();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->windowType() == Qt::ToolTip || w->windowType() == Qt::Popup)
                continue;
            // Weston's window frames count their drop shadow, and it puts new windows where
            // it likes (its panel may cover a title bar): there the window itself must lie
            // within the screen.
            const QRect checked = onWayland() ? w->geometry() : w->frameGeometry();
            if (!screen.contains(checked))
                return QStringLiteral("%1 at %2,%3 %4x%5 lies outside the screen %6x%7")
                    .arg(w->metaObject()->className())
                    .arg(checked.x())
                    .arg(checked.y())
                    .arg(checked.width())
                    .arg(checked.height())
                    .arg(screen.width())
                    .arg(screen.height());
        }
        const auto* panels = dynamic_cast<FramePanels*>(frame->commands().panels);
        if (!panels)
            return QStringLiteral("no floating panels");
        for (QWidget* panel :
             std::initializer_list<QWidget*>{panels->buttons(), panels->exitButton(),
                                             panels->animation(), panels->lessonStart()}) {
            if (panel && panel->isVisible() && !globalRect(frame).contains(globalRect(panel)))
                return QStringLiteral("the panel %1 lies outside the main window")
                    .arg(panel->metaObject()->className());
        }
        return {};
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(QFileInfo::exists(kContent + "html/main_naz.htm"),
                 "the demo content has not been generated");
        // On a Wayland desktop the program goes through XWayland, where it can place windows.
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_shots = e2eShotFolder(m_shotDir, "tm_screens");
        QVERIFY(!m_shots.isEmpty());
    }

    void everyWindowFits() {
        QtWindowServices services;
        CKovrelApp app(kContent);
        QVERIFY(app.initInstance({}));
        CMainFrame* frame = app.mainFrame();
        QScreen* screen = frame->screen();
        qInfo("screen %dx%d, platform %s", screen->size().width(), screen->size().height(),
              qPrintable(QGuiApplication::platformName()));
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QSignalSpy loaded(frame->htmlView(), &HtmlView::loadFinished);
        QVERIFY(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kStartMs));
        QTRY_VERIFY_WITH_TIMEOUT(frame->isMaximized(), kWindowManagerMs);
        QTest::qWait(500);
        for (CMainFrame::Pane pane : {CMainFrame::Pane::Text, CMainFrame::Pane::Plate,
                                      CMainFrame::Pane::Preview, CMainFrame::Pane::Lesson})
            QVERIFY2(frame->pane(pane)->width() > 100 && frame->pane(pane)->height() > 80,
                     "a pane is too small to use");
        shoot(screen, "start");
        if (QTest::currentTestFailed())
            return;
        const QImage startShot = m_lastShot;
        QVERIFY2(fitProblem(frame).isEmpty(), qPrintable("start: " + fitProblem(frame)));

        // A topic, followed as the browser follows a clicked link.
        KovrelView* plate = app.views()->plateView();
        PreView* preview = app.views()->preview();
        frame->htmlView()->page()->runJavaScript(
            QStringLiteral("document.querySelector('a[href=\"znaki1.htm\"]').click()"));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return plate->scene().firstPicture() && !plate->isLoading() &&
                       !Instances::single<LoadDlg>();
            },
            kLoadMs));
        const BmpRect* first = plate->scene().firstPicture();
        const PointD ul = plate->transform().toPixels(first->corner(3));
        const PointD lr = plate->transform().toPixels(first->corner(1));
        clickAt(plate->viewport(),
                (QPointF((ul.x + lr.x) / 2, (ul.y + lr.y) / 2) - QPointF(plate->scrollPosition()))
                    .toPoint());
        QTRY_VERIFY(preview->currentPicture());
        shoot(screen, "plate");
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(fitProblem(frame).isEmpty(), qPrintable("plate: " + fitProblem(frame)));

        // The lesson palette, placed on the preview's bottom-left corner.
        frame->toggleLessonPalette();
        QWidget* palette = frame->lessonPalette();
        QVERIFY(palette);
        QVERIFY(QTest::qWaitForWindowExposed(palette));
        // Within the window manager's border width. Weston keeps an X11 window where its own
        // policy puts it (GNOME's window manager honours the program's position): there the
        // palette only has to lie on the screen.
        if (!onWayland())
            QTRY_VERIFY2(globalRect(preview)
                             .adjusted(-4, -4, 4, 4)
                             .contains(palette->frameGeometry().bottomLeft()),
                         qPrintable(QStringLiteral("palette at %1,%2 %3x%4, preview %5,%6 %7x%8")
                                        .arg(palette->frameGeometry().x())
                                        .arg(palette->frameGeometry().y())
                                        .arg(palette->frameGeometry().width())
                                        .arg(palette->frameGeometry().height())
                                        .arg(globalRect(preview).x())
                                        .arg(globalRect(preview).y())
                                        .arg(preview->width())
                                        .arg(preview->height())));
        shoot(screen, "palette");
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(fitProblem(frame).isEmpty(), qPrintable("palette: " + fitProblem(frame)));
        frame->toggleLessonPalette();

        // The About box and the help window.
        AboutBox about(frame);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::qWait(300);
        shoot(screen, "about");
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(fitProblem(frame).isEmpty(), qPrintable("about: " + fitProblem(frame)));
        about.close();
        QVERIFY(HelpWindow::showPage(helpFileFor(kContent)));
        QVERIFY(QTest::qWaitForWindowExposed(HelpWindow::current()));
        QTest::qWait(500);
        shoot(screen, "help");
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(fitProblem(frame).isEmpty(), qPrintable("help: " + fitProblem(frame)));
        HelpWindow::current()->close();

        // Full screen covers the screen the window is on, and asks the desktop to stay awake.
        // On weston the compositor's panel (the top 32 rows) is covered, and seen again after.
        const QRect panel(0, 0, screen->geometry().width(), 32);
        const QImage before = startShot;
        const QRect windowBefore = frame->geometry();
        frame->toggleFullScreen();
        QTRY_VERIFY_WITH_TIMEOUT(frame->isFullScreen(), kWindowManagerMs);
        if (!onWayland())
            QTRY_COMPARE_WITH_TIMEOUT(frame->geometry(), screen->geometry(), kWindowManagerMs);
        shoot(screen, "fullscreen");
        if (QTest::currentTestFailed())
            return;
        if (onWayland()) {
            QVERIFY2(meanDifference(before, m_lastShot, panel) > 15,
                     "the compositor's panel still shows in full screen");
        } else {
            QTRY_COMPARE(globalRect(preview), screen->geometry());
        }
        QVERIFY(frame->screenSaver().isWanted());
        frame->toggleFullScreen();
        QTRY_VERIFY_WITH_TIMEOUT(!frame->isFullScreen(), kWindowManagerMs);
        if (!onWayland())
            QTRY_COMPARE_WITH_TIMEOUT(frame->geometry(), windowBefore, kWindowManagerMs);
        QVERIFY(!frame->screenSaver().isWanted());
        shoot(screen, "back");
        if (onWayland())
            QVERIFY2(meanDifference(before, m_lastShot, panel) < 8,
                     "the compositor's panel is not back after full screen");
        frame->close();
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: no X display; run under xvfb-run or with_weston.sh");
        return 77;
    }
    // As the program does it: on a Wayland desktop the platform is chosen before Qt starts.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    choosePlatform(raw);
    if (geteuid() == 0) // the browser engine refuses its sandbox as root
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    UnexpectedBoxes::failOnEveryBox();
    QApplication::setApplicationName(QStringLiteral("TrevalonMedia"));
    TestE2eScreens tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_e2e_screens.moc"
