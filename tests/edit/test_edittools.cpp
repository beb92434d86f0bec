#include "BmpRectStream.h"
#include "Instances.h"
#include "PictureStrokes.h"
#include "Pline.h"
#include "Scene.h"
#include "TestShapes.h"
#include "ViewTransform.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

std::vector<Shape*> order(const ShapeList& list) {
    return {list.begin(), list.end()};
}

// Registers scene as the plate view's scene for the life of the guard.
struct PlateScene {
    explicit PlateScene(Scene& s) : scene(s) { Instances::registerPlateScene(scene); }
    ~PlateScene() { Instances::unregisterPlateScene(scene); }
    Scene& scene;
};

void takePointAt(Draw& tool, ViewTransform& vt, PointD p) {
    vt.pointer = p;
    tool.takePoint(vt);
}

} // namespace

class TestEditTools : public QObject {
    Q_OBJECT

private slots:
    void moveOutlineFollowsZoomAndStaysUpright_data();
    void moveOutlineFollowsZoomAndStaysUpright();
    void moveOutlineIsDrawnRed();
    void newShapeFinish_data();
    void newShapeFinish();
    void shapeEndingToolFromInsideAddPoint();
    void insertThenMoveThenUndoRedo();
    void strokesTakenBackNewestFirst_data();
    void strokesTakenBackNewestFirst();
};

void TestEditTools::moveOutlineFollowsZoomAndStaysUpright_data() {
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::newRow("200 x 100 at scale 1") << 1.0 << false << 200.0 << 100.0;
    QTest::newRow("200 x 100 at scale 2") << 2.0 << false << 400.0 << 200.0;
    QTest::newRow("turned a quarter, scale 0.5") << 0.5 << true << 100.0 << 50.0;
}

void TestEditTools::moveOutlineFollowsZoomAndStaysUpright() {
    QFETCH(double, scale);
    QFETCH(bool, turned);
    QFETCH(double, width);
    QFETCH(double, height);
    Scene scene;
    auto* picture = makePicture(200, 100).release();
    if (turned)
        picture->placeByVector({0, 0}, {100, 0});
    picture->setState(BmpRect::kStateSelected);
    scene.shapes().append(picture);
    QVERIFY(scene.findSelected());
    scene.startMove();
    QCOMPARE(&scene.currentTool(), static_cast<Draw*>(&scene.changePosTool()));

    ViewTransform vt;
    vt.viewHeight = 600;
    vt.scale = scale;
    vt.pointer = {40, 30};
    const QRectF r = scene.changePosTool().outline(vt);
    QCOMPARE(r.width(), width);
    QCOMPARE(r.height(), height);
    const PointD centre = vt.toPixels(vt.pointer);
    QCOMPARE(r.center(), QPointF(centre.x, centre.y));
}

void TestEditTools::moveOutlineIsDrawnRed() {
    Scene scene;
    scene.changePosTool().setCorners({PointD{0, 0}, {40, 0}, {40, 20}, {0, 20}});
    scene.startMove(); // no selected picture: the corners above stay
    ViewTransform vt;
    vt.viewHeight = 100;
    vt.pointer = {50, 50}; // pixel (50, 50): outline x 30..70, y 40..60
    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter g(&image);
        scene.drawAll(g, vt);
    }
    const QRgb red = qRgb(255, 0, 0);
    for (const QPoint on : {QPoint(50, 40), QPoint(50, 60), QPoint(30, 50), QPoint(70, 50)})
        QCOMPARE(image.pixel(on), red);
    QCOMPARE(qAlpha(image.pixel(50, 50)), 0);
    QCOMPARE(qAlpha(image.pixel(20, 50)), 0);
}

void TestEditTools::newShapeFinish_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<PointD>>("points");
    QTest::addColumn<bool>("kept");
    QTest::newRow("arrow with two points") << 0 << QList<PointD>{{0, 0}, {10, 10}} << true;
    QTest::newRow("arrow with one point") << 0 << QList<PointD>{{0, 0}} << false;
    QTest::newRow("polyline with three points")
        << 5 << QList<PointD>{{0, 0}, {1, 1}, {2, 0}} << true;
    QTest::newRow("rectangle shape, never complete") << 4 << QList<PointD>{{0, 0}} << false;
    QTest::newRow("stored picture placed at once") << 3 << QList<PointD>{{5, 5}} << true;
}

void TestEditTools::newShapeFinish() {
    QFETCH(int, kind);
    QFETCH(QList<PointD>, points);
    QFETCH(bool, kept);
    Scene scene;
    PlateScene plate(scene);
    QVERIFY(scene.startNewShape(kind));
    ViewTransform vt;
    vt.viewHeight = 100;
    for (const PointD p : points)
        takePointAt(scene.currentTool(), vt, p);
    scene.endTool(); // nothing left to finish when the shape ended the tool itself

    QCOMPARE(&scene.currentTool(), &scene.drawTool());
    QCOMPARE(scene.newShapeTool().shape(), nullptr);
    QCOMPARE(scene.shapes().size(), std::size_t(kept ? 1 : 0));
    QCOMPARE(scene.shapes().undoHistory().size(), std::size_t(kept ? 1 : 0));
    if (kept)
        QCOMPARE(scene.shapes().undoHistory().back().shape, scene.shapes().front());
}

void TestEditTools::shapeEndingToolFromInsideAddPoint() {
    // The shape is incomplete when it ends the tool; the tool drops it, but not before the
    // shape's addPoint has returned (ASan would report the use after free).
    int destroyed = 0;
    Scene scene;
    PlateScene plate(scene);
    auto shape = std::make_unique<NotifyingShape>(&destroyed);
    NotifyingShape* raw = shape.get();
    scene.startNewShape(4);
    scene.newShapeTool().begin(std::move(shape));
    ViewTransform vt;
    scene.currentTool().takePoint(vt);
    QCOMPARE(destroyed, 1);
    QCOMPARE(scene.newShapeTool().shape(), nullptr);
    QVERIFY(scene.shapes().empty());
    Q_UNUSED(raw);
}

void TestEditTools::insertThenMoveThenUndoRedo() {
    Scene scene;
    PlateScene plate(scene);
    BmpRectStream* a = makePicture(100, 50).release();
    BmpRectStream* b = makePicture(50, 50).release();
    scene.shapes().append(a);
    scene.shapes().append(b);
    scene.layoutRow();

    // A third picture placed with the pointer: it completes, ends the tool and is listed.
    auto c = makePicture(80, 40);
    BmpRectStream* pc = c.get();
    scene.startNewShape(3);
    scene.newShapeTool().begin(std::move(c));
    ViewTransform vt;
    vt.viewHeight = 300;
    takePointAt(scene.currentTool(), vt, {500, 20});
    QCOMPARE(order(scene.shapes()), (std::vector<Shape*>{a, b, pc}));
    QCOMPARE(pc->corner(0), (PointD{500, 20}));

    // Move it: the outline takes its size, and the move tool undoes the insertion.
    pc->setState(BmpRect::kStateSelected);
    QVERIFY(scene.findSelected());
    scene.startMove();
    QCOMPARE(scene.changePosTool().outline(vt).size(), QSizeF(80, 40));
    QVERIFY(scene.currentTool().undo());
    QVERIFY(!scene.currentTool().undo());
    QCOMPARE(order(scene.shapes()), (std::vector<Shape*>{a, b}));
    scene.layoutRow();
    QCOMPARE(b->corner(0), (PointD{130, 0}));

    QVERIFY(scene.currentTool().redo());
    scene.layoutRow();
    QCOMPARE(order(scene.shapes()), (std::vector<Shape*>{a, b, pc}));
    QCOMPARE(pc->corner(0), (PointD{210, 0}));
    QCOMPARE(a->corner(0), (PointD{0, 0}));
    // layoutRow ended the move (the scene is the plate's).
    QCOMPARE(&scene.currentTool(), &scene.drawTool());
}

void TestEditTools::strokesTakenBackNewestFirst_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("kept"); // P pen line, A arrow, oldest first
    QTest::addColumn<bool>("lastUndo");
    using L = QStringList;
    QTest::newRow("newest first") << L{"pen", "arrow", "undo"} << "P" << true;
    QTest::newRow("a new stroke drops the one taken back")
        << L{"pen", "arrow", "undo", "pen", "undo"} << "P" << true;
    QTest::newRow("all taken back") << L{"pen", "arrow", "undo", "undo", "undo"} << "" << false;
    QTest::newRow("the stroke being drawn first") << L{"pen", "drawing", "undo"} << "P" << true;
    QTest::newRow("nothing after clear") << L{"pen", "clear", "undo"} << "" << false;
}

void TestEditTools::strokesTakenBackNewestFirst() {
    QFETCH(QStringList, steps);
    Scene plate;
    PlateScene registered(plate); // a completing arrow ends the plate view's tool
    PictureStrokes strokes;
    ViewTransform vt;
    vt.viewHeight = 600;
    const auto at = [&vt](double x, double y) {
        vt.pointer = {x, y};
        return vt;
    };
    bool undone = false;
    for (const QString& step : steps) {
        if (step == "undo") {
            undone = strokes.undo();
        } else if (step == "clear") {
            strokes.clear();
        } else {
            const bool pen = step != "arrow";
            strokes.begin(pen ? PictureStrokes::Tool::Pen : PictureStrokes::Tool::Arrow,
                          at(10, 10));
            strokes.extend(at(40, 40));
            if (step != "drawing")
                QVERIFY(strokes.end(at(80, 60)));
        }
    }
    QString kept;
    for (const Shape* shape : strokes.shapes())
        kept += dynamic_cast<const Pline*>(shape) ? 'P' : 'A';
    QTEST(kept, "kept");
    QTEST(undone, "lastUndo");
    QVERIFY(!strokes.isDrawing());
}

QTEST_MAIN(TestEditTools)
#include "test_edittools.moc"
