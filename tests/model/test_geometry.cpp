#include "Err.h"
#include "EstimateBounds.h"
#include "RectD.h"
#include "ViewTransform.h"

#include <QTest>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// A shape that only answers with its points.
class PointsOnly : public Shape {
public:
    explicit PointsOnly(PointDArray p) : m_points(std::move(p)) {}
    PointDArray points() const override { return m_points; }

private:
    PointDArray m_points;
};

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Err& e) {
        return e.text();
    }
    return {};
}

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void rectValidity_data();
    void rectValidity();
    void bounds_data();
    void bounds();
    void pointerRoundTrip_data();
    void pointerRoundTrip();
    void zoomInThenOutRestores();
    void firstStepAssumesUnitScale();
    void zoomKeepsPlatePointUnderCentre();
    void wheelStopsAtScaleLimit();
    void wheelStopsAtLevelLimit();
    void wheelDeltaIsSixteenBit();
};

void TestGeometry::rectValidity_data() {
    QTest::addColumn<double>("minX");
    QTest::addColumn<double>("minY");
    QTest::addColumn<double>("maxX");
    QTest::addColumn<double>("maxY");
    QTest::addColumn<bool>("valid");
    QTest::newRow("single point") << 1.0 << 2.0 << 1.0 << 2.0 << true;
    QTest::newRow("zero width") << 3.0 << 0.0 << 3.0 << 5.0 << true;
    QTest::newRow("ordinary") << -1.0 << -2.0 << 4.0 << 3.0 << true;
    QTest::newRow("x inverted") << 2.0 << 0.0 << 1.0 << 5.0 << false;
    QTest::newRow("y inverted") << 0.0 << 5.0 << 1.0 << 4.0 << false;
    QTest::newRow("NaN") << std::nan("") << 0.0 << 1.0 << 1.0 << false;
}

void TestGeometry::rectValidity() {
    QFETCH(double, minX);
    QFETCH(double, minY);
    QFETCH(double, maxX);
    QFETCH(double, maxY);
    QFETCH(bool, valid);
    const QString error = errorOf([&] { RectD(minX, minY, maxX, maxY); });
    QCOMPARE(error, valid ? QString() : QStringLiteral("Incorrect max min values in RectD"));
}

void TestGeometry::bounds_data() {
    QTest::addColumn<std::vector<PointDArray>>("shapes");
    QTest::addColumn<QList<double>>("expected"); // minX minY maxX maxY; empty: the error
    QTest::newRow("no shapes") << std::vector<PointDArray>{} << QList<double>{};
    QTest::newRow("only shapes without points")
        << std::vector<PointDArray>{{}, {}} << QList<double>{};
    QTest::newRow("one point") << std::vector<PointDArray>{{{3, -4}}}
                               << QList<double>{3, -4, 3, -4};
    QTest::newRow("turned picture and a line")
        << std::vector<PointDArray>{{{0, 0}, {0, -200}, {100, -200}, {100, 0}},
                                    {},
                                    {{-5, 7}, {1, 1}}}
        << QList<double>{-5, -200, 100, 7};
}

void TestGeometry::bounds() {
    QFETCH(std::vector<PointDArray>, shapes);
    QFETCH(QList<double>, expected);
    std::vector<std::unique_ptr<Shape>> owned;
    std::list<Shape*> list;
    for (const PointDArray& p : shapes) {
        owned.push_back(std::make_unique<PointsOnly>(p));
        list.push_back(owned.back().get());
    }
    if (expected.isEmpty()) {
        QCOMPARE(errorOf([&] { estimateBounds(list); }),
                 QStringLiteral("EstimateBounds() : bound is empty"));
        return;
    }
    const RectD r = estimateBounds(list);
    QCOMPARE(r.minX(), expected[0]);
    QCOMPARE(r.minY(), expected[1]);
    QCOMPARE(r.maxX(), expected[2]);
    QCOMPARE(r.maxY(), expected[3]);
}

void TestGeometry::pointerRoundTrip_data() {
    QTest::addColumn<int>("zoomSteps"); // positive in, negative out
    QTest::addColumn<double>("shiftX");
    QTest::addColumn<double>("shiftY");
    QTest::newRow("initial") << 0 << 0.0 << 0.0;
    QTest::newRow("zoomed in, shifted") << 37 << -250.5 << 12.0;
    QTest::newRow("zoomed out far") << -180 << 1234.0 << -77.25;
    QTest::newRow("scale limit") << 80 << 3.0 << 4.0;
}

void TestGeometry::pointerRoundTrip() {
    QFETCH(int, zoomSteps);
    QFETCH(double, shiftX);
    QFETCH(double, shiftY);
    ViewTransform vt;
    vt.viewHeight = 480;
    // Zoom about changing centres so that origin and offset move too.
    for (int i = 0; i < std::abs(zoomSteps); ++i) {
        const PointD c{double(i * 7 % 640), double(i * 13 % 480)};
        zoomSteps > 0 ? vt.zoomIn(c) : vt.zoomOut(c);
    }
    vt.shift = {shiftX, shiftY};
    for (double px = -100; px <= 700; px += 53.5) {
        for (double py = -50; py <= 500; py += 61.25) {
            vt.setPointer({px, py});
            QCOMPARE(vt.pointerPixels, (PointD{px, py}));
            const PointD back = vt.toPixels(vt.pointer);
            QVERIFY2(std::abs(back.x - px) < 1e-6 && std::abs(back.y - py) < 1e-6,
                     qPrintable(QStringLiteral("(%1, %2) came back as (%3, %4)")
                                    .arg(px)
                                    .arg(py)
                                    .arg(back.x)
                                    .arg(back.y)));
        }
    }
}

void TestGeometry::zoomInThenOutRestores() {
    ViewTransform vt;
    vt.viewHeight = 300;
    vt.zoomIn({10, 10}); // the first step is special; the rule holds from here on
    for (const PointD c : {PointD{0, 0}, PointD{320, 200}, PointD{-40, 999}}) {
        const double scale = vt.scale;
        const PointD origin = vt.origin;
        vt.zoomIn(c);
        vt.zoomOut(c);
        QVERIFY(std::abs(vt.scale - scale) < 1e-12 * scale);
        QVERIFY(std::abs(vt.origin.x - origin.x) < 1e-9);
        QVERIFY(std::abs(vt.origin.y - origin.y) < 1e-9);
    }
}

void TestGeometry::firstStepAssumesUnitScale() {
    // The first step treats the plate point under the centre as having the centre's own
    // coordinates, whatever scale and offset the view had set.
    ViewTransform vt;
    vt.scale = 3.0;
    vt.zoomIn({100, 50});
    QCOMPARE(vt.pivot, (PointD{100, 50}));
    QCOMPARE(vt.scale, 3.0 * vt.zoomStep);
    const PointD expectedOrigin = PointD{100, 50} - PointD{100, 50} / vt.scale;
    QVERIFY(std::abs(vt.origin.x - expectedOrigin.x) < 1e-12);
    QVERIFY(std::abs(vt.pixelOffset.x + vt.origin.x * vt.scale) < 1e-9);
    QVERIFY(!vt.fresh);
}

void TestGeometry::zoomKeepsPlatePointUnderCentre() {
    ViewTransform vt;
    vt.viewHeight = 400;
    vt.shift = {15, -8};
    vt.wheelZoom(120, {50, 60}); // first step
    for (int i = 0; i < 30; ++i) {
        const PointD pixel{double(20 + i * 11), double(380 - i * 9)};
        vt.setPointer(pixel);
        const PointD plate = vt.pointer;
        QVERIFY(vt.wheelZoom(i % 3 ? 120 : -120, pixel));
        const PointD back = vt.toPixels(plate);
        QVERIFY(std::abs(back.x - pixel.x) < 1e-6 && std::abs(back.y - pixel.y) < 1e-6);
    }
}

void TestGeometry::wheelStopsAtScaleLimit() {
    ViewTransform vt;
    vt.viewHeight = 100;
    int steps = 0;
    while (vt.wheelZoom(120, {10, 10}))
        ++steps;
    QVERIFY(vt.scale >= vt.maxScale);
    QVERIFY(vt.scale / vt.zoomStep < vt.maxScale); // the last step started below the limit
    QCOMPARE(vt.zoomLevel, steps);
    const double scale = vt.scale;
    QVERIFY(!vt.wheelZoom(120, {10, 10}));
    QCOMPARE(vt.scale, scale);
}

void TestGeometry::wheelStopsAtLevelLimit() {
    ViewTransform vt;
    vt.viewHeight = 100;
    int steps = 0;
    while (vt.wheelZoom(-120, {10, 10}))
        ++steps;
    QCOMPARE(steps, 201);
    QCOMPARE(vt.zoomLevel, -201);
    QVERIFY(!vt.wheelZoom(-120, {10, 10}));
    QVERIFY(!vt.wheelZoom(0, {10, 10}));
}

void TestGeometry::wheelDeltaIsSixteenBit() {
    ViewTransform vt;
    vt.viewHeight = 100;
    QVERIFY(vt.wheelZoom(0x1ff88, {0, 0})); // low 16 bits: -120
    QCOMPARE(vt.zoomLevel, -1);
    QVERIFY(!vt.wheelZoom(0x10000, {0, 0})); // low 16 bits: 0
}

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
