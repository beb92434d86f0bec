// End to end on a real X display: a teacher marks the shown picture. A topic link is clicked,
// a plate is shown in the preview, P turns the pen on (its cursor shows) and a drag with the
// real pointer (xdotool, where installed) draws red over the picture. In the topic show the
// pen draws again and a click does not step; a step away and back shows the stroke again,
// Ctrl+Z takes it back. Esc leaves; a picture file dropped on the lesson row joins the lesson,
// a fragment file dropped on the plate strip shows its plates.
//
// Screenshots go to $TM_E2E_SHOTS when set, else to a new folder under the temp dir.

#include "BmpRect.h"
#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "Cursors.h"
#include "E2eShots.h"
#include "HtmlView.h"
#include "KovrelView.h"
#include "LessView.h"
#include "PaneViews.h"
#include "PreView.h"
#include "QtWindowServices.h"
#include "ResourceIds.h"
#include "UnexpectedBoxes.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
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

// The real pointer through the X server when xdotool is there, else Qt's window events.
struct Pointer {
    QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));

    void run(const QStringList& args) {
        QProcess::execute(xdotool, args);
        QTest::qWait(25); // each step its own event: the window system merges moves
    }
    static QPoint global(QWidget* w, QPointF p) { return w->mapToGlobal(p.toPoint()); }
    void move(QWidget* w, QPointF p) {
        const QPoint g = global(w, p);
        if (!xdotool.isEmpty())
            run({"mousemove", QString::number(g.x()), QString::number(g.y())});
        else
            QTest::mouseMove(w->window()->windowHandle(), w->window()->mapFromGlobal(g));
        QTest::qWait(25);
    }
    void button(QWidget* w, QPointF p, bool down) {
        move(w, p);
        if (!xdotool.isEmpty()) {
            run({down ? "mousedown" : "mouseup", "1"});
            return;
        }
        QWindow* window = w->window()->windowHandle();
        const QPoint at = w->window()->mapFromGlobal(global(w, p));
        if (down)
            QTest::mousePress(window, Qt::LeftButton, {}, at);
        else
            QTest::mouseRelease(window, Qt::LeftButton, {}, at);
        QTest::qWait(25);
    }
    void click(QWidget* w, QPointF p) {
        button(w, p, true);
        button(w, p, false);
    }
    void drag(QWidget* w, const QList<QPointF>& path) {
        button(w, path.first(), true);
        for (const QPointF& p : path.mid(1))
            move(w, p);
        button(w, path.last(), false);
    }
};

// Points of the shown picture in the preview's pixels: fractions of its box.
QPointF onPicture(const PreView& view, QPointF f) {
    const BmpRect& shown = *view.currentPicture();
    const PointD ul = view.transform().toPixels(shown.corner(3));
    const PointD lr = view.transform().toPixels(shown.corner(1));
    return {ul.x + (lr.x - ul.x) * f.x(), ul.y + (lr.y - ul.y) * f.y()};
}

// How many of the points have a red pixel within 2 px on the screen.
int redAt(const QImage& screen, QWidget* view, const QList<QPointF>& points) {
    int n = 0;
    for (const QPointF& p : points) {
        const QPoint g = view->mapToGlobal(p.toPoint());
        bool red = false;
        for (int dy = -2; dy <= 2 && !red; ++dy)
            for (int dx = -2; dx <= 2 && !red; ++dx) {
                const QColor c = screen.pixelColor(g + QPoint(dx, dy));
                red = c.red() > 200 && c.green() < 70 && c.blue() < 70;
            }
        n += red;
    }
    return n;
}

// Points along a polyline, a few on every segment, away from its ends.
QList<QPointF> along(const QList<QPointF>& path) {
    QList<QPointF> out;
    for (int i = 0; i + 1 < path.size(); ++i)
        for (double t : {0.25, 0.5, 0.75})
            out << path[i] + (path[i + 1] - path[i]) * t;
    return out;
}

} // namespace

class TestE2ePen : public QObject {
    Q_OBJECT
    QString m_shots;
    std::unique_ptr<QTemporaryDir> m_shotDir;
    QTemporaryDir m_work;

    QImage shot(CMainFrame* frame, const QString& name) {
        QTest::qWait(250);
        const QImage image = frame->screen()->grabWindow(0).toImage();
        if (!image.save(m_shots + name, "PNG"))
            qWarning("cannot save %s", qPrintable(m_shots + name));
        qInfo("screenshot: %s", qPrintable(m_shots + name));
        return image;
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(QFileInfo::exists(kContent + "html/main_naz.htm"),
                 "the demo content has not been generated");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_shots = e2eShotFolder(m_shotDir, "tm_e2e");
        QVERIFY(!m_shots.isEmpty());
    }

    void markThePicture() {
        QtWindowServices services; // every box is a real one
        Pointer pointer;
        if (pointer.xdotool.isEmpty())
            qInfo("xdotool not found: the pointer moves by Qt's window events");
        CKovrelApp app(kContent);
        QVERIFY(app.initInstance({}));
        CMainFrame* frame = app.mainFrame();
        QSignalSpy loaded(frame->htmlView(), &HtmlView::loadFinished);
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QVERIFY(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kStartMs));
        KovrelView& plate = *app.views()->plateView();
        PreView& preview = *app.views()->preview();
        LessView& row = *app.views()->lessonView();

        // A topic, clicked on the start page; its first plate, clicked in the strip.
        const QVariantList link =
            evaluate(frame->htmlView()->page(),
                     "(function(){var a=document.querySelector('a[href=\"znaki1.htm\"]');"
                     "a.scrollIntoView({block:'center'});var r=a.getBoundingClientRect();"
                     "return [r.left+r.width/2,r.top+r.height/2];})()")
                .toList();
        QCOMPARE(link.size(), 2);
        QTest::qWait(150);
        const double zoom = frame->htmlView()->zoomFactor();
        pointer.click(frame->htmlView(), QPointF(link[0].toDouble(), link[1].toDouble()) * zoom);
        QVERIFY(QTest::qWaitFor([&] { return plate.scene().firstPicture() && !plate.isLoading(); },
                                kLoadMs));
        const BmpRect& first = *plate.scene().firstPicture();
        const PointD ul = plate.transform().toPixels(first.corner(3));
        const PointD lr = plate.transform().toPixels(first.corner(1));
        pointer.click(plate.viewport(),
                      QPointF((ul.x + lr.x) / 2, (ul.y + lr.y) / 2) - plate.scrollPosition());
        QTRY_VERIFY(preview.currentPicture());

        // P over the preview (a click gives it the keys), then a drag.
        const QList<QPointF> path = {
            onPicture(preview, {0.2, 0.3}), onPicture(preview, {0.45, 0.5}),
            onPicture(preview, {0.7, 0.35}), onPicture(preview, {0.8, 0.6})};
        pointer.click(&preview, onPicture(preview, {0.95, 0.95}));
        const QImage clean = shot(frame, "pen_before.png");
        QCOMPARE(redAt(clean, &preview, along(path)), 0);
        QTest::keyClick(frame->windowHandle(), Qt::Key_P);
        QCOMPARE(preview.penTool(), PreView::PenTool::Pen);
        QCOMPARE(preview.cursor().pixmap().toImage(),
                 Cursors::cursor(ResId::kCurPen).pixmap().toImage());
        pointer.drag(&preview, path);
        QTRY_COMPARE(preview.strokes()->count(), 1);
        const int samples = int(along(path).size());
        QCOMPARE(redAt(shot(frame, "pen_preview.png"), &preview, along(path)), samples);

        // The topic show: the pen stays on; a drag draws, the click does not step.
        QMenuBar* bar = frame->menuBar();
        pointer.click(bar, bar->actionGeometry(frame->plateMenu()->menuAction()).center());
        QTRY_VERIFY(frame->plateMenu()->isVisible());
        QAction* show = frame->plateMenu()->actions().first();
        QCOMPARE(show->text(), QStringLiteral("Показать все из темы"));
        pointer.click(frame->plateMenu(), frame->plateMenu()->actionGeometry(show).center());
        QTRY_VERIFY(preview.isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(frame->isFullScreen(), 15000);
        QTest::qWait(800); // the window manager's full screen, then the fit
        QCOMPARE(preview.position(), 0);
        QVERIFY(preview.strokes()->isEmpty()); // the played copy is another picture
        const QList<QPointF> played = {onPicture(preview, {0.3, 0.7}),
                                       onPicture(preview, {0.5, 0.4}),
                                       onPicture(preview, {0.7, 0.7})};
        const QImage playedClean = shot(frame, "pen_playback_before.png");
        const int cleanRed = redAt(playedClean, &preview, along(played));
        pointer.drag(&preview, played);
        QTRY_COMPARE(preview.strokes()->count(), 1);
        QCOMPARE(preview.position(), 0);
        const int playedSamples = int(along(played).size());
        QCOMPARE(redAt(shot(frame, "pen_playback.png"), &preview, along(played)), playedSamples);

        // Away and back: the stroke again; Ctrl+Z takes it back.
        QTest::keyClick(frame->windowHandle(), Qt::Key_Right);
        QTRY_COMPARE(preview.position(), 1);
        QVERIFY(preview.strokes()->isEmpty());
        QTest::keyClick(frame->windowHandle(), Qt::Key_Left);
        QTRY_COMPARE(preview.position(), 0);
        QCOMPARE(preview.strokes()->count(), 1);
        QCOMPARE(redAt(shot(frame, "pen_playback_back.png"), &preview, along(played)),
                 playedSamples);
        QTest::keyClick(frame->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_VERIFY(preview.strokes()->isEmpty());
        QCOMPARE(redAt(shot(frame, "pen_playback_undone.png"), &preview, along(played)), cleanRed);

        // Esc: the lesson row takes a picture file dropped on it.
        QTest::keyClick(frame->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!preview.isPlaying());
        QTRY_VERIFY(row.isVisible());
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(QColor(30, 160, 60));
        const QString file = m_work.filePath("Зелёный.png");
        QVERIFY(picture.save(file));
        auto dropOn = [](QWidget* viewport, const QString& path) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            const QPoint at = viewport->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(viewport, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(viewport, &drop);
            QVERIFY(drop.isAccepted());
        };
        dropOn(row.viewport(), file);
        QTRY_VERIFY(row.scene().firstPicture());
        QCOMPARE(row.scene().firstPicture()->picName(), QByteArray("\xc7\xe5\xeb\xb8\xed\xfb\xe9"));
        // A fragment file dropped on the plate strip: its plates.
        const QByteArray topic = plate.scene().firstPicture()->picName();
        dropOn(plate.viewport(), kContent + "vaz1.frag");
        QVERIFY(QTest::qWaitFor(
            [&] {
                return !plate.isLoading() && plate.scene().firstPicture() &&
                       plate.scene().firstPicture()->picName() != topic;
            },
            kLoadMs));
        shot(frame, "pen_dropped.png");
        row.lesson().setModified(false);
        row.lesson().scene().setFilePath(file + ".les"); // closing asks nothing
        frame->close();
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
    TestE2ePen tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_e2e_pen.moc"
