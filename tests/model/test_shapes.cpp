#include "BmpRectFile.h"
#include "BmpRectFileDirect.h"
#include "BmpRectStream.h"
#include "CreateShape.h"
#include "Err.h"
#include "ImageBytes.h"
#include "Pline.h"
#include "RectShape.h"
#include "ScriptedWindowServices.h"
#include "VectorLine.h"
#include "ViewTransform.h"

#include <QTest>

#include <cmath>

namespace {

// A placed picture of w x h pixels.
std::unique_ptr<BmpRectStream> picture(int w, int h, PointD p1 = {0, 0}, PointD p2 = {0, 100}) {
    auto p = std::make_unique<BmpRectStream>();
    p->loadFromStream(imagebytes::solidPng(w, h, Qt::gray), "pic", p1, p2);
    return p;
}

ViewTransform pointerAt(PointD plate) {
    ViewTransform vt;
    vt.pointer = plate;
    return vt;
}

bool near(PointD a, PointD b, double eps = 1e-9) {
    return std::abs(a.x - b.x) < eps && std::abs(a.y - b.y) < eps;
}

double dot(PointD a, PointD b) {
    return a.x * b.x + a.y * b.y;
}

} // namespace

class TestShapes : public QObject {
    Q_OBJECT
private slots:
    void placementExamples_data();
    void placementExamples();
    void placementIsARigidTurn_data();
    void placementIsARigidTurn();
    void shortVectorEqualsLongOnSameRay();
    void degenerateVectorsGiveFiniteCorners_data();
    void degenerateVectorsGiveFiniteCorners();
    void setScale_data();
    void setScale();
    void hitTestIsStrict_data();
    void hitTestIsStrict();
    void edgeMarks_data();
    void edgeMarks();
    void previewBox();
    void addPointPlacesAndEndsTool();
    void vectorLineKeepsTwoPoints();
    void removeAndRestorePoints();
    void createShapeKinds_data();
    void createShapeKinds();
};

void TestShapes::placementExamples_data() {
    QTest::addColumn<PointD>("p1");
    QTest::addColumn<PointD>("p2");
    QTest::addColumn<QList<PointD>>("corners");
    // 200 x 100 image with the default reference vector.
    QTest::newRow("upright at origin")
        << PointD{0, 0} << PointD{0, 100} << QList<PointD>{{0, 0}, {200, 0}, {200, 100}, {0, 100}};
    QTest::newRow("turned -90 degrees") << PointD{0, 0} << PointD{100, 0}
                                        << QList<PointD>{{0, 0}, {0, -200}, {100, -200}, {100, 0}};
    QTest::newRow("turned +90 degrees")
        << PointD{10, 10} << PointD{-90, 10}
        << QList<PointD>{{10, 10}, {10, 210}, {-90, 210}, {-90, 10}};
    QTest::newRow("lesson placement") << PointD{30, 0} << PointD{30, 100}
                                      << QList<PointD>{{30, 0}, {230, 0}, {230, 100}, {30, 100}};
}

void TestShapes::placementExamples() {
    QFETCH(PointD, p1);
    QFETCH(PointD, p2);
    QFETCH(QList<PointD>, corners);
    auto p = picture(200, 100, p1, p2);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(p->corner(i), corners[i], 1e-9),
                 qPrintable(QStringLiteral("corner %1 is (%2, %3)")
                                .arg(i)
                                .arg(p->corner(i).x)
                                .arg(p->corner(i).y)));
    QCOMPARE(p->vecBeg(), p1);
    QCOMPARE(p->vecEnd(), p2);
}

void TestShapes::placementIsARigidTurn_data() {
    QTest::addColumn<PointD>("p1");
    QTest::addColumn<double>("degrees"); // direction of vecEnd - vecBeg from the +y axis
    for (double deg : {0.0, 1.0, -17.5, 45.0, -60.0, 89.0, -89.999}) {
        QTest::addRow("%g deg", deg) << PointD{12.5, -7} << deg;
    }
}

void TestShapes::placementIsARigidTurn() {
    QFETCH(PointD, p1);
    QFETCH(double, degrees);
    const double r = degrees * M_PI / 180.0;
    const PointD dir{-std::sin(r), std::cos(r)}; // upwards turned counter-clockwise
    auto p = picture(321, 123, p1, p1 + dir * 57.0);
    const PointD right = p->corner(1) - p->corner(0);
    const PointD up = p->corner(3) - p->corner(0);
    QVERIFY(near(p->corner(0), p1));
    QVERIFY(std::abs(right.length() - 321) < 1e-9);
    QVERIFY(std::abs(up.length() - 123) < 1e-9);
    QVERIFY(std::abs(dot(right, up)) < 1e-6);
    QVERIFY(near(p->corner(2), p->corner(1) + up, 1e-9));
    QVERIFY(near(up / 123.0, dir, 1e-9)); // the upward side follows the vector
}

void TestShapes::shortVectorEqualsLongOnSameRay() {
    auto shortOne = picture(50, 40, {5, 5}, {5 + 0.3, 5 + 0.4});
    auto longOne = picture(50, 40, {5, 5}, {5 + 300, 5 + 400});
    for (int i = 0; i < 4; ++i)
        QVERIFY(near(shortOne->corner(i), longOne->corner(i), 1e-9));
}

void TestShapes::degenerateVectorsGiveFiniteCorners_data() {
    QTest::addColumn<PointD>("p1");
    QTest::addColumn<PointD>("p2");
    QTest::addColumn<PointD>("expectedCorner0");
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("zero length") << PointD{3, 4} << PointD{3, 4} << PointD{3, 4};
    QTest::newRow("NaN end") << PointD{3, 4} << PointD{nan, 1} << PointD{3, 4};
    QTest::newRow("infinite end") << PointD{3, 4} << PointD{inf, inf} << PointD{3, 4};
    QTest::newRow("NaN start") << PointD{nan, 0} << PointD{0, 10} << PointD{0, 0};
    QTest::newRow("huge vector") << PointD{0, 0} << PointD{1e308, 1e308} << PointD{0, 0};
}

void TestShapes::degenerateVectorsGiveFiniteCorners() {
    QFETCH(PointD, p1);
    QFETCH(PointD, p2);
    QFETCH(PointD, expectedCorner0);
    auto p = picture(20, 10, p1, p2);
    for (const PointD& c : p->corners())
        QVERIFY(c.isFinite());
    QVERIFY(near(p->corner(0), expectedCorner0));
    // Without a direction the picture stands upright.
    if (!(p2 - p1).isFinite() || (p2 - p1).length() == 0)
        QVERIFY(near(p->corner(2), expectedCorner0 + PointD{20, 10}));
}

void TestShapes::setScale_data() {
    QTest::addColumn<int>("pixelsWide");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("width");
    QTest::addColumn<double>("storedScale");
    QTest::newRow("half of 201 truncates") << 201 << 0.5 << 100 << 0.5;
    QTest::newRow("double") << 30 << 2.0 << 60 << 2.0;
    QTest::newRow("zero is refused") << 30 << 0.0 << 30 << 1.0;
    QTest::newRow("negative is refused") << 30 << -2.0 << 30 << 1.0;
    QTest::newRow("NaN is refused") << 30 << std::nan("") << 30 << 1.0;
    QTest::newRow("infinity is refused") << 30 << HUGE_VAL << 30 << 1.0;
    QTest::newRow("overflowing size is refused") << 30 << 1e12 << 30 << 1.0;
}

void TestShapes::setScale() {
    QFETCH(int, pixelsWide);
    QFETCH(double, scale);
    QFETCH(int, width);
    QFETCH(double, storedScale);
    auto p = picture(pixelsWide, 10, {7, 8}, {7, 100});
    p->setScale(scale);
    QCOMPARE(p->width(), width);
    QCOMPARE(p->scale(), storedScale);
    QVERIFY(near(p->corner(0), {7, 8}));
    QVERIFY(near(p->corner(1), {7.0 + width, 8}));
}

void TestShapes::hitTestIsStrict_data() {
    QTest::addColumn<PointD>("pointer");
    QTest::addColumn<bool>("hit");
    // Picture 100 x 50 at (10, 20).
    QTest::newRow("inside") << PointD{50, 40} << true;
    QTest::newRow("just inside lower left") << PointD{10.001, 20.001} << true;
    QTest::newRow("on left edge") << PointD{10, 40} << false;
    QTest::newRow("on right edge") << PointD{110, 40} << false;
    QTest::newRow("on bottom edge") << PointD{50, 20} << false;
    QTest::newRow("on top edge") << PointD{50, 70} << false;
    QTest::newRow("on a corner") << PointD{110, 70} << false;
    QTest::newRow("outside") << PointD{200, 40} << false;
}

void TestShapes::hitTestIsStrict() {
    QFETCH(PointD, pointer);
    QFETCH(bool, hit);
    auto p = picture(100, 50, {10, 20}, {10, 120});
    QCOMPARE(p->hitTest(pointerAt(pointer)), hit);
    QCOMPARE(p->isHit(), hit);
}

void TestShapes::edgeMarks_data() {
    QTest::addColumn<PointD>("pointer");
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::newRow("left half") << PointD{30, 10} << true << false;
    QTest::newRow("right half") << PointD{70, 10} << false << true;
    QTest::newRow("exact middle counts left") << PointD{50, 10} << true << false;
    QTest::newRow("outside clears") << PointD{150, 10} << false << false;
    QTest::newRow("on edge clears") << PointD{0, 10} << false << false;
}

void TestShapes::edgeMarks() {
    QFETCH(PointD, pointer);
    QFETCH(bool, left);
    QFETCH(bool, right);
    auto p = picture(100, 50);
    p->updateEdgeMarks(pointerAt({80, 10})); // a mark from before must not linger
    p->updateEdgeMarks(pointerAt(pointer));
    QCOMPARE(p->leftMark(), left);
    QCOMPARE(p->rightMark(), right);
}

void TestShapes::previewBox() {
    auto p = picture(200, 100, {5, 6}, {5, 50});
    const RectD box = p->previewBox();
    QCOMPARE(box.minX(), 5.0);
    QCOMPARE(box.minY(), 6.0 - 40);
    QCOMPARE(box.maxX(), 205.0);
    QCOMPARE(box.maxY(), 106.0);
    auto turned = picture(200, 100, {0, 0}, {100, 0}); // corner2 far below corner0
    QVERIFY_THROWS_EXCEPTION(Err, turned->previewBox());
}

void TestShapes::addPointPlacesAndEndsTool() {
    int ended = 0;
    Shape::setEndToolHandler([&] { ++ended; });
    auto p = picture(40, 30, {500, 500}, {500, 600});
    QVERIFY(!p->isComplete());
    p->addPoint(pointerAt({-3, 4}));
    QVERIFY(p->isComplete());
    QCOMPARE(ended, 1);
    QVERIFY(near(p->corner(0), {-3, 4}));
    QVERIFY(near(p->corner(2), {37, 34}));
    Shape::setEndToolHandler(nullptr);
}

void TestShapes::vectorLineKeepsTwoPoints() {
    int ended = 0;
    Shape::setEndToolHandler([&] { ++ended; });
    VectorLine line;
    line.addPoint(pointerAt({1, 1}));
    QCOMPARE(ended, 0);
    line.addPoint(pointerAt({2, 2}));
    QCOMPARE(ended, 1);
    line.addPoint(pointerAt({3, 3}));
    QCOMPARE(ended, 1);
    QCOMPARE(line.points(), (PointDArray{{1, 1}, {2, 2}}));
    line.validate();
    QVERIFY(line.isComplete());
    Shape::setEndToolHandler(nullptr);
}

void TestShapes::removeAndRestorePoints() {
    VectorLine line;
    line.addPoint(pointerAt({1, 1}));
    line.addPoint(pointerAt({2, 2}));
    QVERIFY(line.removeLastPoint());
    QCOMPARE(line.points(), (PointDArray{{1, 1}}));
    line.validate();
    QVERIFY(!line.isComplete());
    QVERIFY(line.restorePoint());
    QCOMPARE(line.points(), (PointDArray{{1, 1}, {2, 2}}));
    QVERIFY(!line.restorePoint());
    QVERIFY(line.removeLastPoint());
    QVERIFY(line.removeLastPoint());
    QVERIFY(!line.removeLastPoint()); // floor 0 reached
    // A new point forgets what was removed.
    line.addPoint(pointerAt({9, 9}));
    QVERIFY(!line.restorePoint());
    QCOMPARE(line.points(), (PointDArray{{9, 9}}));
}

void TestShapes::createShapeKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("className"); // empty: none
    QTest::newRow("0 line") << 0 << "VectorLine";
    QTest::newRow("1 picture from a file") << 1 << "BmpRectFile";
    QTest::newRow("2 picture file direct") << 2 << "BmpRectFileDirect";
    QTest::newRow("3 stored picture") << 3 << "BmpRectStream";
    QTest::newRow("4 rectangle") << 4 << "RectShape";
    QTest::newRow("5 polyline") << 5 << "Pline";
    QTest::newRow("6 none") << 6 << "";
    QTest::newRow("-1 none") << -1 << "";
}

void TestShapes::createShapeKinds() {
    QFETCH(int, kind);
    QFETCH(QString, className);
    ScriptedWindowServices ui; // kind 1 asks for a file: cancelled
    std::unique_ptr<Shape> s = createShape(kind);
    QString got;
    if (dynamic_cast<VectorLine*>(s.get()))
        got = "VectorLine";
    else if (dynamic_cast<BmpRectFile*>(s.get()))
        got = "BmpRectFile";
    else if (dynamic_cast<BmpRectStream*>(s.get()))
        got = "BmpRectStream";
    else if (dynamic_cast<BmpRectFileDirect*>(s.get()))
        got = "BmpRectFileDirect";
    else if (dynamic_cast<RectShape*>(s.get()))
        got = "RectShape";
    else if (dynamic_cast<Pline*>(s.get()))
        got = "Pline";
    QCOMPARE(got, className);
    if (kind == 1)
        QCOMPARE(ui.fileDialogs.size(), 1);
    if (s)
        QVERIFY(!s->isComplete());
}

QTEST_MAIN(TestShapes)
#include "test_shapes.moc"
