// End to end on a real X display: a teacher shows plates to a class. A topic is clicked, a
// plate clicked shows large in the preview, "Добав.\n к уроку" adds it (and two more) to the
// lesson, F5 plays the lesson full screen, the presentation keys step, wrap at both ends,
// jump and blank the screen, Esc returns to the former window and panes. A GIF plate advances
// at its frame delay, full screen holds with a Flash plate, and Esc pressed while the topic
// text has the focus enters and leaves full screen too.
//
// Screenshots go to $TM_E2E_SHOTS when set, else to a new folder under the temp dir.

#include "BmpRect.h"
#include "ButtDlg.h"
#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "E2eShots.h"
#include "FramePanels.h"
#include "HtmlView.h"
#include "Instances.h"
#include "KovrelView.h"
#include "LessView.h"
#include "LoadDlg.h"
#include "PaneViews.h"
#include "PreView.h"
#include "QtWindowServices.h"
#include "UnexpectedBoxes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QtTest>

#include <memory>
#include <optional>

#include <unistd.h>

namespace {

const QString kContent = QStringLiteral(TM_CONTENT_DIR "/");
constexpr int kStartMs = 60000;
constexpr int kLoadMs = 120000;

QVariant evaluate(QWebEnginePage* page, const QString& script) {
    auto answer = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [answer](const QVariant& v) { *answer = v; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
        return {};
    return answer->value_or(QVariant());
}

// A real pointer move and click at a point of a widget, through its top-level window.
void clickAt(QWidget* widget, QPoint point) {
    QWidget* top = widget->window();
    QWindow* window = top->windowHandle();
    const QPoint at = widget->mapTo(top, point);
    QTest::mouseMove(window, at);
    QTest::qWait(30);
    QTest::mouseClick(window, Qt::LeftButton, {}, at);
    QTest::qWait(30);
}

struct Program {
    CKovrelApp app;
    CMainFrame* frame = nullptr;
    KovrelView* plate = nullptr;
    PreView* preview = nullptr;
    LessView* lesson = nullptr;

    Program() : app(kContent) {}

    QString start() {
        if (!app.initInstance({}))
            return QStringLiteral("start-up failed");
        frame = app.mainFrame();
        plate = app.views()->plateView();
        preview = app.views()->preview();
        lesson = app.views()->lessonView();
        if (!plate || !preview || !lesson)
            return QStringLiteral("a pane has no view");
        QSignalSpy loaded(frame->htmlView(), &HtmlView::loadFinished);
        if (!QTest::qWaitForWindowExposed(frame))
            return QStringLiteral("the main window never appeared");
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame))
            return QStringLiteral("the main window never became active");
        if (!QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kStartMs))
            return QStringLiteral("the start page did not load");
        return {};
    }

    // The centre of a link of the topic page, in the pane's coordinates, scrolled into view.
    std::optional<QPoint> linkCentre(const QString& href) {
        const QVariantList at =
            evaluate(frame->htmlView()->page(),
                     QStringLiteral("(function(){var a=document.querySelector('a[href=\"%1\"]');"
                                    "if(!a)return [];a.scrollIntoView({block:'center'});"
                                    "var r=a.getBoundingClientRect();"
                                    "return [r.left+r.width/2,r.top+r.height/2];})()")
                         .arg(href))
                .toList();
        if (at.size() != 2)
            return std::nullopt;
        QTest::qWait(150);
        const double zoom = frame->htmlView()->zoomFactor();
        return QPoint(qRound(at[0].toDouble() * zoom), qRound(at[1].toDouble() * zoom));
    }

    bool openTopic(const QString& href) {
        const auto at = linkCentre(href);
        if (!at)
            return false;
        const BmpRect* before = plate->scene().firstPicture();
        clickAt(frame->htmlView(), *at);
        return QTest::qWaitFor(
            [&] {
                return plate->scene().firstPicture() && plate->scene().firstPicture() != before &&
                       !plate->isLoading() && !Instances::single<LoadDlg>();
            },
            kLoadMs);
    }

    BmpRect* plateAt(int index) const {
        int i = 0;
        for (::Shape* s : plate->scene().shapes())
            if (auto* p = dynamic_cast<BmpRect*>(s); p && i++ == index)
                return p;
        return nullptr;
    }

    // Clicks the middle of a plate of the strip (scrolled to it first).
    void clickPlate(int index) {
        const BmpRect* p = plateAt(index);
        QVERIFY(p);
        const PointD ul = plate->transform().toPixels(p->corner(3));
        const PointD lr = plate->transform().toPixels(p->corner(1));
        QPointF centre =
            QPointF((ul.x + lr.x) / 2, (ul.y + lr.y) / 2) - QPointF(plate->scrollPosition());
        if (centre.x() > plate->viewport()->width() - 20) {
            plate->horizontalScrollBar()->setValue(int(ul.x));
            QTest::qWait(100);
            centre =
                QPointF((ul.x + lr.x) / 2, (ul.y + lr.y) / 2) - QPointF(plate->scrollPosition());
        }
        clickAt(plate->viewport(), centre.toPoint());
    }

    void key(int key) {
        // Window shortcuts fire only in the active window; a loaded machine may still be
        // handing the focus back after a click elsewhere.
        if (!frame->isActiveWindow() && !frame->isFullScreen()) {
            frame->activateWindow();
            (void)QTest::qWaitForWindowActive(frame); // the key goes in either way
        }
        QTest::keyClick(frame->windowHandle(), Qt::Key(key));
        QTest::qWait(60);
    }

    QImage screenShot() {
        QTest::qWait(250);
        return frame->screen()->grabWindow(0).toImage();
    }
};

// How long the window manager may take to make a window full screen or give it back, on a
// loaded machine.
constexpr int kWindowManagerMs = 15000;

QByteArrayList rowNames(const LessView& view) {
    QByteArrayList names;
    for (const ::Shape* s : view.scene().shapes())
        if (const auto* p = dynamic_cast<const BmpRect*>(s))
            names << p->name();
    return names;
}

QByteArray shownName(const PreView& preview) {
    return preview.currentPicture() ? preview.currentPicture()->name() : QByteArray("-");
}

// Share of the image's pixels within an area that are (almost) black.
double blackShare(const QImage& image, QRect area) {
    area &= image.rect();
    int black = 0, all = 0;
    for (int y = area.top(); y <= area.bottom(); y += 4)
        for (int x = area.left(); x <= area.right(); x += 4, ++all)
            black += qGray(image.pixel(x, y)) < 16;
    return all ? double(black) / all : 0.0;
}

} // namespace

class TestE2eShow : public QObject {
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
        m_shots = e2eShotFolder(m_shotDir, "tm_show");
        QVERIFY(!m_shots.isEmpty());
    }

    void showAddPlayAndLeave() {
        QtWindowServices services; // every box is a real one
        Program p;
        const QString started = p.start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
        QVERIFY(p.openTopic("znaki1.htm"));

        // A clicked plate shows large in the preview; the button adds it to the lesson.
        QPushButton* add = p.app.views()->panels()->buttons()->addButton();
        QCOMPARE(add->text(), QStringLiteral("Добав.\n к уроку"));
        for (int i = 0; i < 3; ++i) {
            p.clickPlate(i);
            QTRY_COMPARE(shownName(*p.preview), p.plateAt(i)->name());
            if (i == 0) {
                const BmpRect& shown = *p.preview->currentPicture();
                const double width = p.preview->transform().toPixels(shown.corner(1)).x -
                                     p.preview->transform().toPixels(shown.corner(0)).x;
                QVERIFY2(width > p.preview->width() / 2, "the plate is not shown large");
                save(p.screenShot(), "show_preview.png");
            }
            clickAt(add, add->rect().center());
            QTRY_COMPARE(rowNames(*p.lesson).size(), qsizetype(i + 1));
        }
        const QByteArrayList lesson = rowNames(*p.lesson);
        QCOMPARE(lesson, (QByteArrayList{p.plateAt(0)->name(), p.plateAt(1)->name(),
                                         p.plateAt(2)->name()}));

        const QRect windowBefore = p.frame->geometry();
        const bool maximisedBefore = p.frame->isMaximized();
        const QList<int> outerBefore = p.frame->outerSplitter()->sizes();
        const QList<int> innerBefore = p.frame->innerSplitter()->sizes();
        const double stripScale = p.plate->transform().scale;
        const int stripScroll = p.plate->scrollPosition().x();

        // F5: the lesson from its first picture, on the whole screen.
        p.key(Qt::Key_F5);
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->isFullScreen() && p.preview->isFullScreen(),
                                 kWindowManagerMs);
        QTRY_COMPARE(p.preview->geometry().size(), p.frame->screen()->geometry().size());
        QCOMPARE(shownName(*p.preview), lesson[0]);
        QVERIFY(!p.frame->menuBar()->isVisible());
        save(p.screenShot(), "show_played.png");

        // Forward, back, wrapping at both ends, jumps.
        const struct {
            int key;
            int position;
        } steps[] = {{Qt::Key_Right, 1}, {Qt::Key_Space, 2}, {Qt::Key_PageDown, 0},
                     {Qt::Key_Left, 2},  {Qt::Key_Up, 1},    {Qt::Key_Backspace, 0},
                     {Qt::Key_End, 2},   {Qt::Key_Home, 0},  {Qt::Key_Down, 1},
                     {Qt::Key_PageUp, 0}};
        for (const auto& s : steps) {
            p.key(s.key);
            QTRY_COMPARE(p.preview->position(), s.position);
            QCOMPARE(shownName(*p.preview), lesson[s.position]);
        }
        save(p.screenShot(), "show_stepped.png");

        // B blanks the screen to black, B again shows the picture.
        const QRect screen(QPoint(0, 0), p.frame->screen()->geometry().size());
        p.key(Qt::Key_B);
        QTRY_VERIFY(p.preview->isBlank());
        const QImage blank = p.screenShot();
        save(blank, "show_blank.png");
        QVERIFY2(blackShare(blank, screen) > 0.95, "the blanked screen is not black");
        p.key(Qt::Key_B);
        QTRY_VERIFY(!p.preview->isBlank());
        QVERIFY(blackShare(p.screenShot(), screen) < 0.5);
        QCOMPARE(shownName(*p.preview), lesson[0]);

        // Esc: the former window, panes and strip.
        p.key(Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!p.frame->isFullScreen() && !p.preview->isFullScreen(),
                                 kWindowManagerMs);
        QTRY_COMPARE(p.frame->geometry(), windowBefore);
        QCOMPARE(p.frame->isMaximized(), maximisedBefore);
        QTRY_COMPARE(p.frame->outerSplitter()->sizes(), outerBefore);
        QCOMPARE(p.frame->innerSplitter()->sizes(), innerBefore);
        QVERIFY(p.frame->menuBar()->isVisible());
        QTRY_COMPARE(p.plate->transform().scale, stripScale);
        QCOMPARE(p.plate->scrollPosition().x(), stripScroll);
        save(p.screenShot(), "show_left.png");

        // A GIF plate advances one frame per delay.
        QVERIFY(p.openTopic("gifavi.htm"));
        int gif = -1;
        for (int i = 0; p.plateAt(i); ++i)
            if (p.plateAt(i)->name().endsWith(".gif"))
                gif = i;
        QVERIFY2(gif >= 0, "the demo topic has no GIF plate");
        p.clickPlate(gif);
        QTRY_COMPARE(shownName(*p.preview), p.plateAt(gif)->name());
        QTRY_VERIFY(p.preview->gifTimerActive());
        const int delay = p.preview->gifTimerInterval();
        QVERIFY2(delay > 10 && delay <= 1000, qPrintable(QString::number(delay)));
        const QRect area(p.preview->mapToGlobal(QPoint(0, 0)) -
                             p.frame->screen()->geometry().topLeft(),
                         p.preview->size());
        const QImage first = p.screenShot().copy(area);
        const int layersBefore = p.preview->layerCount();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(std::max(1000, 6 * delay));
        const double frames = p.preview->layerCount() - layersBefore;
        const double expected = double(clock.elapsed()) / delay;
        const QImage later = p.screenShot().copy(area);
        save(first, "show_gif_1.png");
        save(later, "show_gif_2.png");
        QVERIFY2(frames >= expected * 0.6 && frames <= expected * 1.3,
                 qPrintable(QString("%1 frames in %2 ms at %3 ms")
                                .arg(frames)
                                .arg(clock.elapsed())
                                .arg(delay)));
        QVERIFY2(first != later, "the GIF does not move on screen");

        // A Flash plate: full screen holds every time, though the movie's window is made anew
        // on each switch (the window manager's state must stay, with no title bar left).
        int flash = -1;
        for (int i = 0; p.plateAt(i); ++i)
            if (p.plateAt(i)->picName().contains("swf"))
                flash = i;
        QVERIFY2(flash >= 0, "the demo topic has no Flash plate");
        p.clickPlate(flash);
        QTRY_VERIFY(p.preview->flashWindow());
        for (int round = 0; round < 3; ++round) {
            p.key(Qt::Key_Escape);
            QTRY_VERIFY_WITH_TIMEOUT(p.frame->isFullScreen(), kWindowManagerMs);
            QTest::qWait(400);
            QVERIFY2(p.frame->isFullScreen(), qPrintable(QString("round %1").arg(round)));
            QTRY_COMPARE(p.frame->frameGeometry(), p.frame->screen()->geometry());
            p.key(Qt::Key_Escape);
            QTRY_VERIFY_WITH_TIMEOUT(!p.frame->isFullScreen(), kWindowManagerMs);
        }
        save(p.screenShot(), "show_flash_left.png");

        // Esc with the focus in the topic text toggles full screen as well.
        HtmlView* html = p.frame->htmlView();
        clickAt(html, QPoint(html->width() / 2, html->height() - 8)); // below the links
        QTRY_VERIFY(html->focusProxy() && html->focusProxy()->hasFocus());
        p.key(Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->isFullScreen(), kWindowManagerMs);
        save(p.screenShot(), "show_esc_from_text.png");
        p.key(Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!p.frame->isFullScreen(), kWindowManagerMs);
        QTRY_COMPARE(p.frame->geometry(), windowBefore);
        // The lesson was only a means here: closing asks nothing.
        p.lesson->lesson().setModified(false);
        p.lesson->lesson().scene().setFilePath(QDir::temp().filePath("show.les"));
        p.frame->close();
    }
};

int main(int argc, char** argv) {
    // The real window system (xvfb-run in CTest), never the offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: no X display; run under xvfb-run");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (geteuid() == 0) // the browser engine refuses its sandbox as root
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    UnexpectedBoxes::failOnEveryBox();
    QApplication::setApplicationName(QStringLiteral("TrevalonMedia"));
    TestE2eShow tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_e2e_show.moc"
