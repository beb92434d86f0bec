#include "BmpRectStream.h"
#include "DisplayState.h"
#include "GifBytes.h"
#include "ImageBytes.h"
#include "PictureImage.h"
#include "VectorLine.h"
#include "ViewTransform.h"

#include <QPainter>
#include <QTest>

#include <cmath>

namespace {

const QColor kBackground(66, 75, 121);
const QColor kOrange(255, 204, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

QImage canvas(int w = 120, int h = 120) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBackground);
    return image;
}

ViewTransform view(double height, double scale = 1.0) {
    ViewTransform vt;
    vt.viewHeight = height;
    vt.scale = scale;
    return vt;
}

// A 40 x 30 solid blue picture with its lower-left corner at plate (10, 10): on a 120-pixel
// high canvas at scale 1 it covers pixels x 10..50, y 80..110.
std::unique_ptr<BmpRectStream> bluePicture(bool framed, const QByteArray& caption = {}) {
    auto p = std::make_unique<BmpRectStream>();
    p->loadFromStream(imagebytes::solidPng(40, 30, Qt::blue), "b", {10, 10}, {10, 50});
    p->setBFrame(framed);
    p->setCaption(caption);
    return p;
}

int countColour(const QImage& image, const QColor& colour, QRect area = {}) {
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

// Pixels that differ clearly from the background.
int countChanged(const QImage& image, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) != kBackground;
    return n;
}

bool closeTo(QColor a, QColor b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// True when some pixel within one pixel of (x, y) has the colour.
bool colourNear(const QImage& image, int x, int y, QColor colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(x + dx, y + dy) && image.pixelColor(x + dx, y + dy) == colour)
                return true;
    return false;
}

struct DisplayStateGuard {
    DisplayState saved = DisplayState::current();
    ~DisplayStateGuard() { DisplayState::current() = saved; }
};

} // namespace

class TestRendering : public QObject {
    Q_OBJECT
private slots:
    void frameColourByState_data();
    void frameColourByState();
    void captionOnlyWithFrameFlag();
    void fullScreenVideoHidesFrameNotCaption();
    void edgeMarksInMoveMode_data();
    void edgeMarksInMoveMode();
    void creatingUsesFreshPen();
    void turnedPictureFillsItsParallelogram();
    void arrowHead();
    void gifStepsOneFramePerDraw();
    void clippedPictureIsSkippedButStillSteps();
    void copyMatchesSmoothScaling();
    void deepZoomDrawsVisiblePart();
    void stripPlateHoldsReducedDecode();
    void pictureCoversItsPlaceAtEveryScale_data();
    void pictureCoversItsPlaceAtEveryScale();
};

void TestRendering::frameColourByState_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QColor>("absent");
    QTest::newRow("normal: orange-yellow") << 1 << kOrange << kRed;
    QTest::newRow("selected: red") << 3 << kRed << kOrange;
    QTest::newRow("any state above 1: red") << 2 << kRed << kOrange;
}

void TestRendering::frameColourByState() {
    QFETCH(int, state);
    QFETCH(QColor, colour);
    QFETCH(QColor, absent);
    auto p = bluePicture(true);
    p->setState(state);
    QImage target = canvas();
    QPainter g(&target);
    p->draw(g, view(120));
    g.end();
    // Each of the four edges carries the frame colour.
    QVERIFY(colourNear(target, 30, 80, colour));  // top
    QVERIFY(colourNear(target, 30, 110, colour)); // bottom
    QVERIFY(colourNear(target, 10, 95, colour));  // left
    QVERIFY(colourNear(target, 50, 95, colour));  // right
    QCOMPARE(countColour(target, absent), 0);
    QCOMPARE(target.pixelColor(30, 95), QColor(Qt::blue));
}

void TestRendering::captionOnlyWithFrameFlag() {
    const QRect below(10, 111, 100, 8); // under the lower-left corner
    for (bool framed : {true, false}) {
        auto p = bluePicture(framed, "Caption");
        QImage target = canvas();
        QPainter g(&target);
        p->draw(g, view(120));
        g.end();
        if (framed) {
            QVERIFY(countChanged(target, below) > 10);
            QCOMPARE(countChanged(target, QRect(0, 111, 14, 8)), 0); // starts 5 px in
        } else {
            QCOMPARE(countChanged(target, below), 0);
            QCOMPARE(countColour(target, kOrange), 0);
        }
    }
}

void TestRendering::fullScreenVideoHidesFrameNotCaption() {
    DisplayStateGuard guard;
    DisplayState::current().fullScreen = true;
    DisplayState::current().videoShown = true;
    auto p = bluePicture(true, "Caption");
    QImage target = canvas();
    QPainter g(&target);
    p->draw(g, view(120));
    g.end();
    QVERIFY(!colourNear(target, 30, 80, kOrange));
    QVERIFY(!colourNear(target, 10, 95, kOrange));
    QVERIFY(countChanged(target, QRect(10, 111, 100, 8)) > 10);
}

void TestRendering::edgeMarksInMoveMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("pointerX");
    QTest::addColumn<bool>("leftGreen");
    QTest::addColumn<bool>("rightGreen");
    QTest::newRow("move mode, right half")
        << DisplayState::kModeLessonMove << 45.0 << false << true;
    QTest::newRow("move mode, left half") << DisplayState::kModeLessonMove << 15.0 << true << false;
    QTest::newRow("normal mode shows none") << DisplayState::kModeNormal << 45.0 << false << false;
}

void TestRendering::edgeMarksInMoveMode() {
    QFETCH(int, mode);
    QFETCH(double, pointerX);
    QFETCH(bool, leftGreen);
    QFETCH(bool, rightGreen);
    DisplayStateGuard guard;
    DisplayState::current().interactionMode = mode;
    auto p = bluePicture(false);
    ViewTransform vt = view(120);
    vt.pointer = {pointerX, 20};
    p->updateEdgeMarks(vt);
    QImage target = canvas();
    QPainter g(&target);
    p->draw(g, vt);
    g.end();
    QCOMPARE(colourNear(target, 10, 95, kGreen), leftGreen);
    QCOMPARE(colourNear(target, 50, 95, kGreen), rightGreen);
}

void TestRendering::creatingUsesFreshPen() {
    auto p = bluePicture(true);
    p->setState(BmpRect::kStateSelected);
    ViewTransform vt = view(120);
    vt.pointer = {60, 20};
    QImage target = canvas();
    QPainter g(&target);
    p->drawCreating(g, vt);
    g.end();
    QCOMPARE(p->corner(0), (PointD{60, 20}));
    QCOMPARE(countColour(target, kRed), 0);
    QVERIFY(colourNear(target, 80, 70, kOrange)); // top edge at plate y 50
    QCOMPARE(target.pixelColor(80, 85), QColor(Qt::blue));
}

void TestRendering::turnedPictureFillsItsParallelogram() {
    // Quadrants: red upper left, green upper right, blue lower left, white lower right.
    auto p = std::make_unique<BmpRectStream>();
    p->loadFromStream(imagebytes::encode(imagebytes::quadrants(80, 40), "PNG"), "q", {0, 0},
                      {0, 10});
    const double deg = 30.0;
    const double r = deg * M_PI / 180;
    p->placeByVector({60, 20}, {60 - std::sin(r), 20 + std::cos(r)});
    const ViewTransform vt = view(200);
    QImage target = canvas(200, 200);
    QPainter g(&target);
    p->draw(g, vt);
    g.end();
    // Image point (u, v) (v from the bottom) lies at corner0 + u * right/80 + v * up/40.
    const PointD c0 = p->corner(0);
    const PointD right = (p->corner(1) - c0) / 80.0;
    const PointD up = (p->corner(3) - c0) / 40.0;
    auto at = [&](double u, double v) {
        const PointD px = vt.toPixels(c0 + right * u + up * v);
        return target.pixelColor(int(px.x), int(px.y));
    };
    QVERIFY(closeTo(at(20, 30), Qt::red, 40));
    QVERIFY(closeTo(at(60, 30), Qt::green, 40));
    QVERIFY(closeTo(at(20, 10), Qt::blue, 40));
    QVERIFY(closeTo(at(60, 10), Qt::white, 40));
    // Outside the parallelogram (beyond each side) stays untouched.
    QCOMPARE(at(-6, 20), kBackground);
    QCOMPARE(at(86, 20), kBackground);
    QCOMPARE(at(40, -6), kBackground);
    QCOMPARE(at(40, 46), kBackground);
}

void TestRendering::arrowHead() {
    VectorLine line;
    ViewTransform vt = view(100);
    vt.pointer = {10, 50};
    line.addPoint(vt);
    vt.pointer = {110, 50};
    line.addPoint(vt);
    QImage target = canvas(130, 100);
    QPainter g(&target);
    line.draw(g, vt);
    g.end();
    // Along the line, and the barbs: 21 px back, 6 px to each side; tip 3 px short of the end.
    QVERIFY(colourNear(target, 50, 50, kGreen));
    QVERIFY(colourNear(target, 89, 44, kGreen));
    QVERIFY(colourNear(target, 89, 56, kGreen));
    QVERIFY(colourNear(target, 98, 47, kGreen)); // midway along a barb
    QVERIFY(colourNear(target, 98, 53, kGreen));
    QCOMPARE(countColour(target, kGreen, QRect(87, 30, 6, 10)), 0);   // barbs end at 6 px
    QCOMPARE(countColour(target, kGreen, QRect(113, 40, 10, 20)), 0); // nothing past the end
    QCOMPARE(countColour(target, kGreen, QRect(60, 40, 20, 6)), 0);   // no head further back
}

void TestRendering::gifStepsOneFramePerDraw() {
    QList<gifbytes::Frame> frames{{0, 10}, {1, 10}, {2, 10}};
    auto p = std::make_unique<BmpRectStream>();
    p->setBGif(true);
    p->loadFromStream(gifbytes::build(8, 8, frames), "g", {0, 0}, {0, 10});
    const QColor expected[] = {gifbytes::tableColour(1), gifbytes::tableColour(2),
                               gifbytes::tableColour(0), gifbytes::tableColour(1)};
    for (const QColor& colour : expected) {
        QImage target = canvas(20, 20);
        QPainter g(&target);
        p->draw(g, view(20, 2.0)); // 16 x 16 on screen
        g.end();
        QCOMPARE(target.pixelColor(8, 12), colour);
    }
}

void TestRendering::clippedPictureIsSkippedButStillSteps() {
    auto p = std::make_unique<BmpRectStream>();
    p->setBGif(true);
    p->loadFromStream(gifbytes::build(8, 8, {{0, 10}, {1, 10}}), "g", {0, 0}, {0, 10});
    QImage target = canvas(100, 100);
    QPainter g(&target);
    g.setClipRect(50, 0, 50, 50); // the picture is at the lower left
    p->draw(g, view(100));
    g.end();
    QCOMPARE(p->frameIndex(), 1);
    QCOMPARE(countChanged(target, target.rect()), 0);
}

void TestRendering::copyMatchesSmoothScaling() {
    const QImage source = imagebytes::quadrants(800, 600);
    auto p = std::make_unique<BmpRectStream>();
    p->loadFromStream(imagebytes::encode(source, "JPEG", 90), "j", {0, 0}, {0, 10});
    const ViewTransform vt = view(160, 0.25); // 200 x 150 on screen
    QImage fast = canvas(220, 160);
    {
        QPainter g(&fast);
        p->draw(g, vt);
    }
    QImage naive = canvas(220, 160);
    {
        QPainter g(&naive);
        g.setRenderHint(QPainter::SmoothPixmapTransform);
        g.drawImage(QRectF(0, 10, 200, 150), source);
    }
    qint64 diff = 0;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 220; ++x) {
            const QColor a = fast.pixelColor(x, y);
            const QColor b = naive.pixelColor(x, y);
            diff += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue());
        }
    const double mean = double(diff) / (220 * 160 * 3);
    QVERIFY2(mean < 2.0, qPrintable(QString::number(mean)));
}

void TestRendering::deepZoomDrawsVisiblePart() {
    auto p = std::make_unique<BmpRectStream>();
    p->loadFromStream(imagebytes::encode(imagebytes::quadrants(60, 60), "PNG"), "z", {0, 0},
                      {0, 10});
    ViewTransform vt = view(200, 100.0); // 6000 x 6000 on screen
    vt.shift = {-3000 + 100, 0};         // the middle column of the picture
    QImage target = canvas(200, 200);
    QPainter g(&target);
    p->draw(g, vt);
    g.end();
    // The view shows the bottom rows: blue on the left of the middle, white on the right.
    QVERIFY(closeTo(target.pixelColor(50, 100), Qt::blue, 10));
    QVERIFY(closeTo(target.pixelColor(150, 100), Qt::white, 10));
    QVERIFY(p->image()->decodedBytes() < 64 * 1024 * 1024);
}

void TestRendering::stripPlateHoldsReducedDecode() {
    const QImage source = imagebytes::quadrants(1600, 1200);
    auto p = std::make_unique<BmpRectStream>();
    p->loadFromStream(imagebytes::encode(source, "JPEG", 85), "s", {0, 0}, {0, 10});
    QImage target = canvas(300, 230);
    QPainter g(&target);
    p->draw(g, view(230, 205.0 / 1200)); // a strip plate, 273 x 205 on screen
    g.end();
    const qint64 full = qint64(1600) * 1200 * 4;
    QVERIFY2(p->image()->decodedBytes() < full / 4,
             qPrintable(QString::number(p->image()->decodedBytes())));
    // Shown large, the full resolution is decoded on demand.
    QCOMPARE(p->image()->fullImage().size(), QSize(1600, 1200));
}

void TestRendering::pictureCoversItsPlaceAtEveryScale_data() {
    QTest::addColumn<double>("ratio");
    QTest::addColumn<bool>("smallDecode"); // a 400 x 300 source, decoded for the pixels shown
    for (const double ratio : {1.0, 1.25, 1.5, 2.0}) {
        QTest::addRow("%g", ratio) << ratio << false;
        QTest::addRow("%g, from a reduced decode", ratio) << ratio << true;
    }
}

void TestRendering::pictureCoversItsPlaceAtEveryScale() {
    // On a high-density buffer the picture covers the device pixels of its logical place
    // (x 10..50, y 80..110), with its frame around it, whatever the ratio.
    QFETCH(double, ratio);
    QFETCH(bool, smallDecode);
    auto p = bluePicture(true);
    if (smallDecode) {
        p = std::make_unique<BmpRectStream>();
        p->loadFromStream(imagebytes::solidPng(400, 300, Qt::blue), "b", {100, 100}, {100, 500});
        p->setBFrame(true);
    }
    const ViewTransform vt = view(120, smallDecode ? 0.1 : 1.0);
    QImage target(QSize(120, 120) * ratio, QImage::Format_RGB32);
    target.setDevicePixelRatio(ratio);
    target.fill(kBackground);
    {
        QPainter g(&target);
        p->draw(g, vt);
    }
    QRect blue;
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x)
            if (closeTo(target.pixelColor(x, y), Qt::blue, 8))
                blue |= QRect(x, y, 1, 1);
    const QRect expected = QRectF(QPointF(10, 80) * ratio, QSizeF(40, 30) * ratio).toRect();
    QVERIFY2(std::abs(blue.left() - expected.left()) <= 1 &&
                 std::abs(blue.top() - expected.top()) <= 1 &&
                 std::abs(blue.right() - expected.right()) <= 1 &&
                 std::abs(blue.bottom() - expected.bottom()) <= 1,
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(blue.x())
                            .arg(blue.y())
                            .arg(blue.width())
                            .arg(blue.height())));
    // The frame runs along the picture's edge.
    QVERIFY(colourNear(target, expected.right(), expected.center().y(), kOrange));
}

QTEST_MAIN(TestRendering)
#include "test_rendering.moc"
