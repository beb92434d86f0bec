#include "CxSkinButton.h"
#include "DrawnBitmaps.h"
#include "ResourceIds.h"

#include <QApplication>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>

namespace {

QPixmap solid(QSize size, QColor colour) {
    QPixmap pm(size);
    pm.fill(colour);
    return pm;
}

// 2 × 2: red green / blue yellow.
QPixmap checker() {
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 255, 0));
    img.setPixel(0, 1, qRgb(0, 0, 255));
    img.setPixel(1, 1, qRgb(255, 255, 0));
    return QPixmap::fromImage(img);
}

QImage shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int lightness(QRgb c) {
    return qRed(c) + qGreen(c) + qBlue(c);
}

// Raised edge: light top-left, dark bottom-right; sunken: the other way round.
enum class Edge { None, Raised, Sunken };

Edge edgeOf(const QImage& img, QRgb face) {
    const QRgb tl = img.pixel(0, 0), br = img.pixel(img.width() - 1, img.height() - 1);
    if (tl == face && br == face)
        return Edge::None;
    return lightness(tl) > lightness(br) ? Edge::Raised : Edge::Sunken;
}

void moveMouse(QWidget* w, QPoint pos, Qt::MouseButtons buttons) {
    QMouseEvent e(QEvent::MouseMove, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::NoButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

const QColor kFace(40, 120, 200), kHover(200, 120, 40), kPressed(40, 200, 120),
    kDisabled(90, 90, 90), kFocus(220, 220, 60);

} // namespace

Q_DECLARE_METATYPE(Edge)

class TestSkinButton : public QObject {
    Q_OBJECT

private slots:
    // One bitmap for every look, as the program uses it: only the edge and the one-pixel
    // text shift tell pressed from normal; hover changes nothing.
    void oneBitmapForAllLooks() {
        QWidget window;
        CxSkinButton button("Ж", &window);
        button.setGeometry(0, 0, 60, 30);
        const QPixmap face = solid({60, 30}, kFace);
        button.applySkin({face, face, face, {}, {}, {}}, CxSkinButton::Normal, true, 0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QImage normal = shot(button);
        moveMouse(&button, {30, 15}, Qt::NoButton);
        QVERIFY(button.isHovering());
        QCOMPARE(shot(button), normal);

        QTest::mousePress(&button, Qt::LeftButton, {}, {30, 15});
        const QImage pressed = shot(button);
        QTest::mouseRelease(&button, Qt::LeftButton, {}, {30, 15});

        QCOMPARE(edgeOf(normal, kFace.rgb()), Edge::Raised);
        QCOMPARE(edgeOf(pressed, kFace.rgb()), Edge::Sunken);
        // Inside the edges the pressed look is the normal one moved by (1, 1).
        const QRect inner(2, 2, 55, 25);
        QVERIFY(pressed.copy(inner) != normal.copy(inner));
        QCOMPARE(pressed.copy(inner.translated(1, 1)), normal.copy(inner));
    }

    void looks_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("withDisabled");
        QTest::addColumn<QColor>("centre");
        QTest::addColumn<Edge>("edge");

        QTest::newRow("normal") << "normal" << true << kFace << Edge::Raised;
        QTest::newRow("hover") << "hover" << true << kHover << Edge::Raised;
        QTest::newRow("pressed") << "pressed" << true << kPressed << Edge::Sunken;
        QTest::newRow("held pushed by code") << "held" << true << kPressed << Edge::Sunken;
        QTest::newRow("focused") << "focus" << true << kFocus << Edge::Raised;
        QTest::newRow("hover wins over focus") << "hover+focus" << true << kHover << Edge::Raised;
        QTest::newRow("disabled") << "disabled" << true << kDisabled << Edge::Raised;
        QTest::newRow("disabled falls back to normal")
            << "disabled" << false << kFace << Edge::Raised;
        QTest::newRow("left after hovering") << "left" << true << kFace << Edge::Raised;
    }

    void looks() {
        QFETCH(QString, state);
        QFETCH(bool, withDisabled);
        QFETCH(QColor, centre);
        QFETCH(Edge, edge);

        QWidget window;
        CxSkinButton button(&window);
        button.setGeometry(0, 0, 40, 24);
        QWidget elsewhere(&window); // takes the focus when the button should not have it
        elsewhere.setFocusPolicy(Qt::StrongFocus);
        elsewhere.setGeometry(50, 0, 10, 10);
        const QSize s(40, 24);
        CxSkinButton::Images images{
            solid(s, kFace),  solid(s, kPressed),
            solid(s, kHover), withDisabled ? solid(s, kDisabled) : QPixmap(),
            solid(s, kFocus), {}};
        button.applySkin(images, CxSkinButton::Normal, true, 0);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        if (state.contains("focus")) {
            button.setFocus();
            QVERIFY(button.hasFocus());
        } else {
            elsewhere.setFocus();
            QVERIFY(!button.hasFocus());
        }
        if (state.startsWith("hover") || state == "left")
            moveMouse(&button, {20, 12}, Qt::NoButton);
        if (state == "left") {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(&button, &leave);
        }
        if (state == "pressed")
            QTest::mousePress(&button, Qt::LeftButton, {}, {20, 12});
        if (state == "held")
            button.setState(true);
        if (state == "disabled")
            button.setEnabled(false);

        const QImage img = shot(button);
        QCOMPARE(QColor(img.pixel(20, 12)), centre);
        QCOMPARE(edgeOf(img, centre.rgb()), edge);
        if (state == "pressed")
            QTest::mouseRelease(&button, Qt::LeftButton, {}, {20, 12});
    }

    // Dragging the pressed pointer off and back on toggles the pushed look, no click yet.
    void dragOffAndBackOn() {
        QWidget window;
        CxSkinButton button(&window);
        button.setGeometry(10, 10, 40, 24);
        button.applySkin({solid({40, 24}, kFace), solid({40, 24}, kPressed), {}, {}, {}, {}},
                         CxSkinButton::Normal, true, 0);
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicked(&button, &QAbstractButton::clicked);

        QTest::mousePress(&button, Qt::LeftButton, {}, {20, 12});
        QCOMPARE(QColor(shot(button).pixel(20, 12)), kPressed);
        moveMouse(&button, {100, 60}, Qt::LeftButton);
        QCOMPARE(QColor(shot(button).pixel(20, 12)), kFace);
        moveMouse(&button, {20, 12}, Qt::LeftButton);
        QCOMPARE(QColor(shot(button).pixel(20, 12)), kPressed);
        QCOMPARE(clicked.count(), 0);
        QTest::mouseRelease(&button, Qt::LeftButton, {}, {20, 12});
        QCOMPARE(clicked.count(), 1);
    }

    // The palette keeps its move button drawn pressed while the lesson view has the focus.
    void heldStateSurvivesFocusLoss() {
        QWidget window;
        CxSkinButton button(&window);
        QWidget elsewhere(&window);
        elsewhere.setFocusPolicy(Qt::StrongFocus);
        button.applySkin({solid({40, 24}, kFace), solid({40, 24}, kPressed), {}, {}, {}, {}},
                         CxSkinButton::Normal, false, 0);
        button.setGeometry(0, 0, 40, 24);
        elsewhere.setGeometry(50, 0, 20, 20);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        button.setFocus();
        button.setState(true);
        elsewhere.setFocus();
        QVERIFY(!button.hasFocus());
        QVERIFY(button.state());
        QCOMPARE(QColor(shot(button).pixel(20, 12)), kPressed);
        button.setState(false);
        QCOMPARE(QColor(shot(button).pixel(20, 12)), kFace);
    }

    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("clicks");
        QTest::newRow("space clicks") << int(Qt::Key_Space) << 1;
        QTest::newRow("enter belongs to the window") << int(Qt::Key_Return) << 0;
    }

    void keys() {
        QFETCH(int, key);
        QFETCH(int, clicks);
        QDialog dialog; // push buttons in dialogs would take Enter by default
        CxSkinButton button(&dialog);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        button.setFocus();
        QSignalSpy clicked(&button, &QAbstractButton::clicked);
        QTest::keyClick(&button, Qt::Key(key));
        QCOMPARE(clicked.count(), clicks);
        QVERIFY(dialog.isVisible());
    }

    void drawModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("colour"); // invalid = the button face colour

        const QColor red(255, 0, 0), green(0, 255, 0), yellow(255, 255, 0);
        QTest::newRow("own size: bitmap") << 0 << QPoint(1, 0) << green;
        QTest::newRow("own size: face beyond it") << 0 << QPoint(4, 3) << QColor();
        QTest::newRow("stretched: far corner") << 1 << QPoint(4, 4) << yellow;
        QTest::newRow("tiled: second tile") << 2 << QPoint(2, 0) << red;
        QTest::newRow("tiled: clipped last tile") << 2 << QPoint(4, 4) << red;
        QTest::newRow("above 2 counts as tiled") << 9 << QPoint(2, 2) << red;
        QTest::newRow("negative counts as own size") << -1 << QPoint(4, 3) << QColor();
    }

    void drawModes() {
        QFETCH(int, mode);
        QFETCH(QPoint, at);
        QFETCH(QColor, colour);
        CxSkinButton button;
        button.resize(5, 5);
        button.applySkin({checker(), {}, {}, {}, {}, {}}, mode, false, -3);
        QCOMPARE(button.focusMargin(), 0);
        const QImage img = shot(button);
        const QColor expected =
            colour.isValid() ? colour : button.palette().color(QPalette::Button);
        QCOMPARE(QColor(img.pixel(at)), expected);
    }

    void regionFromMask_data() {
        QTest::addColumn<QStringList>("rows"); // '#' = not white, '.' = white, '~' = off-white
        QTest::addColumn<QRegion>("region");

        QTest::newRow("all white") << QStringList{"...", "..."} << QRegion();
        QTest::newRow("all dark") << QStringList{"###", "###"} << QRegion(0, 0, 3, 2);
        QTest::newRow("one run per row")
            << QStringList{".##.", "####"} << (QRegion(1, 0, 2, 1) + QRegion(0, 1, 4, 1));
        QTest::newRow("two runs in a row")
            << QStringList{"#..#"} << (QRegion(0, 0, 1, 1) + QRegion(3, 0, 1, 1));
        QTest::newRow("off-white belongs to the button")
            << QStringList{".~."} << QRegion(1, 0, 1, 1);
    }

    void regionFromMask() {
        QFETCH(QStringList, rows);
        QFETCH(QRegion, region);
        QImage mask(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
        for (int y = 0; y < rows.size(); ++y)
            for (int x = 0; x < rows[y].size(); ++x)
                mask.setPixel(x, y,
                              rows[y][x] == '#'   ? qRgb(0, 0, 0)
                              : rows[y][x] == '~' ? qRgb(0xFE, 0xFF, 0xFF)
                                                  : qRgb(255, 255, 255));
        const QRegion made = CxSkinButton::regionFromMask(mask);
        QVERIFY2(made.xored(region).isEmpty(), qPrintable(QDebug::toString(made)));
    }

    void drawnBitmaps_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("size");
        QTest::newRow("exit full screen") << ResId::kBmpExitFullScreen << QSize(29, 29);
        QTest::newRow("move picture") << ResId::kBmpMovePicture << QSize(72, 34);
        QTest::newRow("delete picture") << ResId::kBmpDeletePicture << QSize(72, 34);
        QTest::newRow("add from file") << ResId::kBmpAddFromFile << QSize(72, 34);
        QTest::newRow("save lesson") << ResId::kBmpSaveLesson << QSize(48, 33);
        QTest::newRow("undo") << ResId::kBmpUndo << QSize(48, 33);
        QTest::newRow("new lesson") << ResId::kBmpNewLesson << QSize(48, 33);
        QTest::newRow("open lesson") << ResId::kBmpOpenLesson << QSize(51, 33);
    }

    // Each skin bitmap fills its button with a visible glyph, also on a scaled screen and
    // after the button is resized.
    void drawnBitmaps() {
        QFETCH(int, id);
        QFETCH(QSize, size);
        const QPixmap hiDpi = DrawnBitmaps::pixmap(id, size, 2.0);
        QCOMPARE(hiDpi.size(), size * 2);
        QCOMPARE(hiDpi.deviceIndependentSize().toSize(), size);

        CxSkinButton button;
        button.resize(size);
        button.applySkin(id, id, id, 0, 0, 0, 0, true, 0);
        for (const QSize s : {size, size * 2}) {
            button.resize(s);
            QApplication::sendPostedEvents(&button);
            const QImage img = shot(button);
            const QRgb centre = img.pixel(s.width() / 2, s.height() / 2);
            const QRgb nearEdge = img.pixel(3, 3);
            const QRgb farEdge = img.pixel(s.width() - 4, s.height() - 4);
            QVERIFY(nearEdge != button.palette().color(QPalette::Button).rgb());
            QVERIFY(farEdge != button.palette().color(QPalette::Button).rgb());
            int differing = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    differing += img.pixel(x, y) != centre;
            QVERIFY2(differing > img.width() * img.height() / 10, "no visible glyph");
        }
    }

    void unknownBitmapFallsBackToFace() {
        QVERIFY(DrawnBitmaps::pixmap(4242, {20, 20}).isNull());
        QVERIFY(DrawnBitmaps::pixmap(ResId::kBmpUndo, {0, 20}).isNull());
        CxSkinButton button;
        button.resize(20, 20);
        button.applySkin(4242, 0, 0, 0, 0, 0, 0, false, 0);
        QCOMPARE(QColor(shot(button).pixel(10, 10)), button.palette().color(QPalette::Button));
    }
};

QTEST_MAIN(TestSkinButton)
#include "test_skinbutton.moc"
