#include "AviDlg.h"
#include "BmpRectStream.h"
#include "DisplayState.h"
#include "FrameControl.h"
#include "Instances.h"
#include "LessonTarget.h"
#include "OverviewGrid.h"
#include "PanelPlacement.h"
#include "PictureImage.h"
#include "PreView.h"
#include "PreviewFit.h"
#include "ScriptedWindowServices.h"
#include "ShowOverview.h"
#include "SwfDlg.h"
#include "ViewTransform.h"

#include "../model/GifBytes.h"
#include "../model/ImageBytes.h"

#include <QPointingDevice>
#include <QSignalSpy>
#include <QTabletEvent>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<BmpRectStream> picture(int w, int h, QByteArray name = "p", bool gif = false,
                                       int gifDelayCs = 20) {
    auto p = std::make_unique<BmpRectStream>();
    p->setBGif(gif);
    const QByteArray bytes =
        gif ? gifbytes::build(w, h, {{0, gifDelayCs, true}, {1, 50, true}, {2, 50, true}})
            : imagebytes::solidPng(w, h, Qt::gray);
    p->loadFromStream(bytes, name, {0, 0}, {0, 100});
    p->setPicName(name);
    return p;
}

// A frame that only switches its full-screen flag, as the main frame's layout does.
class FakeFrame : public FrameControl {
public:
    int toggles = 0;
    void toggleFullScreen() override {
        ++toggles;
        DisplayState::current().fullScreen = !DisplayState::current().fullScreen;
        if (auto* p = dynamic_cast<PreView*>(Instances::preview()))
            p->setFullScreen(DisplayState::current().fullScreen);
    }
    void setDocumentTitle(const QString&) override {}
};

class FakeLesson : public LessonTarget {
public:
    Scene scene;
    int added = 0;
    void addPicture(std::unique_ptr<BmpRect> p) override {
        ++added;
        scene.shapes().append(p.release());
    }
    void appendAllPictures(Scene&) override {}
    Scene& lessonScene() override { return scene; }
};

// The frame and the lesson a preview reaches, registered while it lives.
struct Registered {
    ScriptedWindowServices services;
    FakeFrame frame;
    FakeLesson lesson;
    Registered() {
        Instances::registerFrame(&frame);
        Instances::registerLesson(&lesson);
    }
    ~Registered() {
        Instances::unregisterLesson(&lesson);
        Instances::unregisterFrame(&frame);
    }
};

// Pixel rectangle of a plate box under vt.
QRectF pixelBox(const ViewTransform& vt, const RectD& box) {
    const PointD a = vt.toPixels(box.corner(3));
    const PointD b = vt.toPixels(box.corner(1));
    return QRectF(QPointF(a.x, a.y), QPointF(b.x, b.y));
}

} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void init() { DisplayState::current() = DisplayState(); }

    void fits_data() {
        QTest::addColumn<bool>("played");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("limit"); // "", "scale" (too small), "level" (too large)
        for (bool played : {false, true}) {
            const char* kind = played ? "played " : "";
            QTest::newRow(qPrintable(QString(kind) + "landscape"))
                << played << QSize(800, 600) << "";
            QTest::newRow(qPrintable(QString(kind) + "portrait"))
                << played << QSize(300, 2000) << "";
            QTest::newRow(qPrintable(QString(kind) + "tiny")) << played << QSize(2, 2) << "scale";
            QTest::newRow(qPrintable(QString(kind) + "huge"))
                << played << QSize(200000000, 150000000) << "level";
        }
    }
    void fits() {
        QFETCH(bool, played);
        QFETCH(QSize, picture);
        QFETCH(QString, limit);
        const double W = 1000, H = 500;
        ViewTransform vt;
        vt.viewHeight = H;
        const RectD bounds(0, 0, picture.width(), picture.height());
        const RectD& box = bounds; // a preview box: fitted without margins
        if (played) {
            preview::fitPlayedPicture(vt, box, W, H);
        } else {
            // Twice, as the preview does: the margins are fixed in plate units at the zoom the
            // fit starts from, so the second run makes them about 10 and 15 px.
            preview::fitPicture(vt, bounds, W, H);
            preview::fitPicture(vt, bounds, W, H);
        }
        QCOMPARE(vt.shift, vt.previousShift);
        QCOMPARE(vt.pointerPixels, (PointD{W / 2, H / 2}));
        if (limit == "scale") {
            QVERIFY(vt.scale < vt.maxScale && vt.scale * vt.zoomStep >= vt.maxScale);
            return;
        }
        if (limit == "level") {
            QCOMPARE(vt.zoomLevel, vt.minZoomLevel - 1);
            return;
        }
        // As large as fits within one step, centred (the margin fit sits a little high).
        const QRectF shown = pixelBox(vt, played ? box : bounds);
        const double margin = played ? 0 : 10 + 15;
        QVERIFY2(shown.width() < W && shown.height() + margin * 0.9 < H, "does not fit");
        const double grown = vt.zoomStep * vt.zoomStep;
        QVERIFY2(shown.width() * grown >= W || (shown.height() + margin) * grown >= H,
                 "could be larger");
        QVERIFY(std::abs(shown.center().x() - W / 2) <= 1.0);
        const double expectedY = played ? H / 2 : H / 2 - 12.5 + 2.5;
        QVERIFY2(std::abs(shown.center().y() - expectedY) <= 8.0,
                 qPrintable(QString::number(shown.center().y())));
    }

    // A lesson played through: messages, full screen, stepping with wrap, continuing after
    // the lesson shrank, the topic show's message, adding the shown picture.
    void playback() {
        Registered r;
        PreView view(QStringLiteral("/content/"));
        view.resize(800, 600);

        view.startLesson();
        QCOMPARE(r.services.messageTexts(), QStringList{"Укажите картинку из готового урока."});
        QCOMPARE(r.frame.toggles, 0);
        view.addShownToLesson();
        QCOMPARE(r.services.messages.size(), 2);
        view.startTopicShow(); // no plate scene registered
        QCOMPARE(r.services.messageTexts().last(), QString("Укажите тему."));

        for (const char* name : {"a", "b", "c"})
            r.lesson.scene.shapes().append(picture(400, 300, name).release());
        view.startLesson();
        QCOMPARE(r.frame.toggles, 1);
        QVERIFY(view.isPlaying());
        QCOMPARE(view.currentPicture()->picName(), QByteArray("a"));
        QVERIFY(view.currentPicture() != r.lesson.scene.shapes().front()); // a copy

        const QList<std::pair<int, QByteArray>> keys = {
            {Qt::Key_Right, "b"},    {Qt::Key_Space, "c"}, {Qt::Key_PageDown, "a"},
            {Qt::Key_Left, "c"},     {Qt::Key_Home, "a"},  {Qt::Key_End, "c"},
            {Qt::Key_Backspace, "b"}};
        for (const auto& [key, expected] : keys) {
            QVERIFY(view.playbackKey(key, {}));
            QCOMPARE(view.currentPicture()->picName(), expected);
        }
        // A double-click on the right half is one click: one step, from "b" to "c".
        const QPoint right(view.width() * 3 / 4, view.height() / 2);
        auto send = [&](QEvent::Type type, Qt::MouseButton button) {
            QMouseEvent e(type, QPointF(right), QPointF(view.mapToGlobal(right)), button, button,
                          {});
            QCoreApplication::sendEvent(&view, &e);
        };
        send(QEvent::MouseMove, Qt::NoButton);
        QTest::mouseClick(&view, Qt::LeftButton, {}, right);
        send(QEvent::MouseButtonDblClick, Qt::LeftButton);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, right);
        QCOMPARE(view.currentPicture()->picName(), QByteArray("c"));
        view.playbackKey(Qt::Key_Left, {});

        QVERIFY(view.playbackKey(Qt::Key_B, {}));
        QVERIFY(view.isBlank());
        QVERIFY(view.playbackKey(Qt::Key_Period, {}));
        QVERIFY(!view.isBlank());
        QVERIFY(!view.playbackKey(Qt::Key_X, {}));

        // Leave at the third, cut the lesson to two: continuing starts from the first.
        view.playbackKey(Qt::Key_End, {});
        view.switchFullScreen();
        QVERIFY(!view.isPlaying());
        QVERIFY(!view.playbackKey(Qt::Key_Right, {}));
        view.continueLesson();
        QCOMPARE(view.currentPicture()->picName(), QByteArray("c"));
        view.switchFullScreen();
        Shape* last = r.lesson.scene.shapes().back();
        r.lesson.scene.shapes().erase(last->node());
        r.lesson.scene.shapes().retire(last);
        view.continueLesson();
        QCOMPARE(view.position(), 0);
        QCOMPARE(view.currentPicture()->picName(), QByteArray("a"));

        view.addShownToLesson();
        QCOMPARE(r.lesson.added, 1);
    }

    // A lesson played on a touch panel: taps and a swipe step once each, two fingers zoom and
    // pan, a stylus draws without a tool chosen; G opens the overview, whose choice is jumped to.
    void fingersStylusAndOverview() {
        Registered r;
        PreView view(QStringLiteral("/content/"));
        view.resize(800, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (const char* name : {"a", "b", "c", "d"})
            r.lesson.scene.shapes().append(picture(400, 300, name).release());
        view.startLesson();
        const std::unique_ptr<QPointingDevice> touch(QTest::createTouchDevice());
        const auto stroke = [&](QList<QPoint> path) {
            QTest::touchEvent(&view, touch.get()).press(0, path.first(), &view);
            for (const QPoint& at : path.mid(1))
                QTest::touchEvent(&view, touch.get()).move(0, at, &view);
            QTest::touchEvent(&view, touch.get()).release(0, path.last(), &view);
        };
        stroke({{600, 300}}); // a tap on the right half
        QCOMPARE(view.currentPicture()->picName(), QByteArray("b"));
        stroke({{200, 300}});
        QCOMPARE(view.currentPicture()->picName(), QByteArray("a"));
        stroke({{500, 300}, {400, 305}, {300, 310}}); // a swipe to the left: on
        QCOMPARE(view.currentPicture()->picName(), QByteArray("b"));

        const double scale = view.transform().scale;
        const double shiftY = view.transform().shift.y;
        QTest::touchEvent(&view, touch.get())
            .press(0, {300, 300}, &view)
            .press(1, {400, 300}, &view);
        QTest::touchEvent(&view, touch.get()).move(0, {250, 300}, &view).move(1, {450, 300}, &view);
        QTest::touchEvent(&view, touch.get()).move(0, {270, 340}, &view).move(1, {470, 340}, &view);
        QTest::touchEvent(&view, touch.get())
            .release(0, {270, 340}, &view)
            .release(1, {470, 340}, &view);
        QVERIFY(view.transform().scale > scale * 1.9);
        QCOMPARE(view.transform().shift.y - shiftY, 40.0);
        QCOMPARE(view.currentPicture()->picName(), QByteArray("b"));

        QPointingDevice stylus("stylus", 7, QInputDevice::DeviceType::Stylus,
                               QPointingDevice::PointerType::Pen,
                               QInputDevice::Capability::Position, 1, 2);
        const auto pen = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
            QTabletEvent e(type, &stylus, at, view.mapToGlobal(at), 0.5, 0, 0, 0, 0, 0, {},
                           Qt::LeftButton, buttons);
            QCoreApplication::sendEvent(&view, &e);
        };
        pen(QEvent::TabletPress, {300, 200}, Qt::LeftButton);
        pen(QEvent::TabletMove, {360, 240}, Qt::LeftButton);
        pen(QEvent::TabletRelease, {420, 260}, Qt::NoButton);
        QVERIFY(view.strokes() && !view.strokes()->isEmpty());
        QCOMPARE(view.penTool(), PreView::PenTool::None);
        QCOMPARE(view.currentPicture()->picName(), QByteArray("b"));

        ShowOverview overview(view.playback());
        connect(&view.playback(), &Playback::overviewWanted, &overview,
                [&] { overview.open(&view); });
        QVERIFY(view.playbackKey(Qt::Key_G, {}));
        auto* grid = view.findChild<OverviewGrid*>();
        QVERIFY(grid && grid->isVisible() && grid->chosen() == 1);
        QVERIFY(!view.playbackKey(Qt::Key_Right, {})); // the grid's now
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(view.currentPicture()->picName(), QByteArray("d"));
        QVERIFY(!overview.isOpen());
        QVERIFY(view.playbackKey(Qt::Key_Home, {}));
    }

    // B (and the white board, W) covers everything over the picture too: the movie, the clip
    // with its play bar, the GIF's frames; each comes back with the picture.
    void blankHidesMedia() {
        ScriptedWindowServices services;
        FakeFrame frame;
        FakeLesson lesson;
        Instances::registerFrame(&frame);
        Instances::registerLesson(&lesson);
        {
            PreView view(QStringLiteral("/content/"));
            view.resize(800, 600);
            view.show();
            auto p = picture(400, 300, "plate swf", true);
            p->setSwfNameMy("missing.swf");
            p->setAviName("missing.avi");
            lesson.scene.shapes().append(p.release());
            view.startLesson();
            QVERIFY(view.isPlaying());
            QVERIFY(view.flashWindow() && view.videoWindow());
            const auto shown = [&] {
                return QList<bool>{view.flashWindow()->isVisible(), view.videoWindow()->isVisible(),
                                   view.gifTimerActive()};
            };
            QCOMPARE(shown(), (QList<bool>{true, true, true}));
            // B, W over B, B over W, W: covered all along; W again: everything back.
            for (int key : {Qt::Key_B, Qt::Key_W, Qt::Key_B, Qt::Key_W}) {
                QVERIFY(view.playbackKey(key, {}));
                QCOMPARE(shown(), (QList<bool>{false, false, false}));
            }
            QVERIFY(view.playbackKey(Qt::Key_W, {}));
            QCOMPARE(shown(), (QList<bool>{true, true, true}));
            view.switchFullScreen();
        }
        Instances::unregisterLesson(&lesson);
        Instances::unregisterFrame(&frame);
    }

    void panelPlacement_data() {
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<int>("animationBottom"); // below the preview's bottom edge, px
        QTest::newRow("normal layout: 2 px below") << false << 2;
        QTest::newRow("full screen: 26 px above") << true << -26;
    }
    void panelPlacement() {
        QFETCH(bool, fullScreen);
        QFETCH(int, animationBottom);
        const QRect preview(500, 200, 1101, 401), lesson(500, 610, 1101, 290);
        const PanelSizes sizes{QSize(54, 253), QSize(29, 29), QSize(75, 23), QSize(75, 20)};
        const PanelPlaces at = placePanels(preview, lesson, sizes, fullScreen);
        QCOMPARE(at.buttons, QPoint(1601 - 54, int(200 + 200.5 - 126)));
        QCOMPARE(at.exit, QPoint(1601 - 29, int(200 + 200.5 - 14)));
        QCOMPARE(at.animation, QPoint(int(500 + 550.5 - 37.5), 601 - 23 + animationBottom));
        QCOMPARE(at.lessonStart, QPoint(1601 - 75, 610));
    }

    // What showing a picture starts: the animation panel, the GIF timer at its delay.
    void showing_data() {
        QTest::addColumn<bool>("gif");
        QTest::addColumn<int>("delayCs");
        QTest::addColumn<QByteArray>("srcName");
        QTest::addColumn<int>("interval"); // 0: no timer
        QTest::newRow("still, with an animation file") << false << 0 << QByteArray("a.exe") << 0;
        QTest::newRow("gif at 200 ms") << true << 20 << QByteArray() << 200;
        QTest::newRow("gif with delay 0 at 100 ms") << true << 0 << QByteArray() << 100;
        QTest::newRow("gif with delay 10 ms at 100 ms") << true << 1 << QByteArray() << 100;
    }
    void showing() {
        QFETCH(bool, gif);
        QFETCH(int, delayCs);
        QFETCH(QByteArray, srcName);
        QFETCH(int, interval);
        PreView view(QStringLiteral("/content/"));
        view.resize(640, 480);
        QSignalSpy animation(&view, &PreView::animationAvailable);
        auto p = picture(40, 30, "g", gif, delayCs);
        p->setSrcName(srcName);
        view.showPicture(std::move(p));
        QCOMPARE(animation.last().at(0).toBool(), !srcName.isEmpty());
        QCOMPARE(view.gifTimerActive(), interval > 0);
        if (interval > 0)
            QCOMPARE(view.gifTimerInterval(), interval);
        QCOMPARE(view.transform().shift, view.transform().previousShift); // fitted
        view.showPicture(nullptr);
        QCOMPARE(animation.last().at(0).toBool(), false);
        QVERIFY(!view.currentPicture());
    }

    // The preview never decodes on its own thread: a picture shown larger than the copy it
    // came with is painted at once with that copy stretched, and repainted whole once the
    // thread pool has decoded it; an animation waits on each frame the same way.
    void paintsBeforeTheDecode_data() {
        QTest::addColumn<bool>("gif");
        QTest::newRow("still, decoded at its row size") << false;
        QTest::newRow("animated") << true;
    }
    void paintsBeforeTheDecode() {
        QFETCH(bool, gif);
        PictureImage::setDrawingWithoutDecoding(true);
        PreView view(QStringLiteral("/content/"));
        view.resize(640, 480);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        BmpRectStream row;
        row.setBGif(gif);
        row.loadFromStream(gif ? gifbytes::build(64, 48, {{0, 2, true}, {1, 2, true}})
                               : imagebytes::encode(imagebytes::quadrants(1600, 1200), "jpeg"),
                           "p", {0, 0}, {0, 100}, QSize(40, 30));
        view.showPicture(row.clone());
        view.repaint();
        const int layers = view.layerCount();
        QVERIFY(layers >= 1);
        PictureImage* shown = view.currentPicture()->image();
        QVERIFY(shown->isStandingIn());
        QTRY_VERIFY(!shown->isStandingIn());
        QVERIFY(view.layerCount() > layers);
        if (gif) // the second frame came and went
            QTRY_VERIFY(view.currentPicture()->frameIndex() == 0 && !shown->isStandingIn() &&
                        view.layerCount() > layers + 2);
        PictureImage::setDrawingWithoutDecoding(false);
    }

    // A stroke drawn with the mouse is held in plate units: drawn where the pointer went, and
    // after a zoom, a pan or a new size still on the same spot of the picture, on screen.
    void strokesStayOnPicture_data() {
        QTest::addColumn<bool>("arrow");
        QTest::addColumn<QString>("change");
        for (bool arrow : {false, true})
            for (const char* change : {"zoom in", "zoom out", "pan", "resize"})
                QTest::newRow(qPrintable(QString(arrow ? "arrow, " : "pen, ") + change))
                    << arrow << QString(change);
    }
    void strokesStayOnPicture() {
        QFETCH(bool, arrow);
        QFETCH(QString, change);
        PreView view(QStringLiteral("/content/"));
        view.resize(800, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.showPicture(picture(400, 300, "p"));
        QTest::keyClick(&view, arrow ? Qt::Key_A : Qt::Key_P);
        QCOMPARE(view.penTool(), arrow ? PreView::PenTool::Arrow : PreView::PenTool::Pen);

        // Pixel of a point of the picture given as fractions from its upper-left corner, and
        // back.
        const BmpRect& shown = *view.currentPicture();
        auto toPixel = [&](QPointF f) {
            const PointD ul = view.transform().toPixels(shown.corner(3));
            const PointD lr = view.transform().toPixels(shown.corner(1));
            return QPointF(ul.x + (lr.x - ul.x) * f.x(), ul.y + (lr.y - ul.y) * f.y());
        };
        auto onPicture = [&](PointD plate) {
            const PointD ul = view.transform().toPixels(shown.corner(3));
            const PointD lr = view.transform().toPixels(shown.corner(1));
            const PointD q = view.transform().toPixels(plate);
            return QPointF((q.x - ul.x) / (lr.x - ul.x), (q.y - ul.y) / (lr.y - ul.y));
        };
        const QList<QPointF> path = {{0.25, 0.5}, {0.5, 0.35}, {0.75, 0.5}};
        QTest::mousePress(&view, Qt::LeftButton, {}, toPixel(path[0]).toPoint());
        for (const QPointF& f : path.mid(1))
            QTest::mouseMove(&view, toPixel(f).toPoint());
        QTest::mouseRelease(&view, Qt::LeftButton, {}, toPixel(path.last()).toPoint());
        QCOMPARE(view.strokes()->count(), 1);
        const PointDArray points = view.strokes()->shapes().front()->points();
        const QList<QPointF> expected = arrow ? QList<QPointF>{path.first(), path.last()} : path;
        QCOMPARE(int(points.size()), int(expected.size()));
        QList<QPointF> placed;
        for (std::size_t i = 0; i < points.size(); ++i) {
            placed << onPicture(points[i]);
            const QPointF off = (placed.last() - expected[int(i)]) * 400; // ~ picture pixels
            QVERIFY2(off.manhattanLength() < 3, qPrintable(QString::number(i)));
        }

        const QPointF before = (toPixel(placed[0]) + toPixel(placed[1])) / 2;
        if (change == "pan") {
            QTest::mousePress(&view, Qt::MiddleButton, {}, QPoint(100, 100));
            QTest::mouseMove(&view, QPoint(160, 130));
            QTest::mouseRelease(&view, Qt::MiddleButton, {}, QPoint(160, 130));
        } else if (change == "resize") {
            view.resize(1200, 900);
            QTRY_COMPARE(view.transform().viewHeight, 900.0);
        } else {
            QTest::mouseMove(&view, before.toPoint() + QPoint(120, 40));
            const int delta = change == "zoom in" ? 120 : -120;
            QWheelEvent wheel(QPointF(before) + QPointF(120, 40), view.mapToGlobal(QPointF(0, 0)),
                              {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(&view, &wheel);
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            const QPointF off = (onPicture(points[i]) - placed[int(i)]) * 400;
            QVERIFY(off.manhattanLength() < 0.01);
        }
        const QPointF after = (toPixel(placed[0]) + toPixel(placed[1])) / 2;
        QVERIFY2((after - before).manhattanLength() > 10, "the change moved nothing");
        const QColor seen = view.grab().toImage().pixelColor(after.toPoint());
        QVERIFY2(seen.red() > 200 && seen.green() < 80 && seen.blue() < 80,
                 qPrintable(seen.name()));
    }
};

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
