// Touch gestures as a teacher makes them on a panel: what each sequence of finger positions
// comes to (and that nothing else is reported).
#include "TouchGestures.h"

#include <QPointingDevice>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using Frames = QList<QList<QPointF>>; // finger positions, frame by frame

class TestTouchGestures : public QObject {
    Q_OBJECT
private slots:
    void gestures_data();
    void gestures();
};

void TestTouchGestures::gestures_data() {
    QTest::addColumn<Frames>("frames");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<QString>("expected");
    QTest::newRow("tap") << Frames{{{100, 100}}} << 0 << "tap 100,100";
    QTest::newRow("tap with a tremble") << Frames{{{100, 100}}, {{106, 103}}} << 0 << "tap 106,103";
    QTest::newRow("swipe left: next")
        << Frames{{{300, 100}}, {{220, 105}}, {{150, 110}}} << 0 << "swipe 1";
    QTest::newRow("swipe right: back") << Frames{{{100, 100}}, {{250, 95}}} << 0 << "swipe -1";
    QTest::newRow("short slide: nothing") << Frames{{{100, 100}}, {{140, 100}}} << 0 << "";
    QTest::newRow("vertical drag: nothing") << Frames{{{100, 100}}, {{110, 300}}} << 0 << "";
    QTest::newRow("long press, no tap after") << Frames{{{80, 90}}} << 800 << "hold 80,90";
    QTest::newRow("pinch apart") << Frames{{{100, 100}, {200, 100}}, {{50, 100}, {250, 100}}} << 0
                                 << "pinch 2.00 at 150,100";
    QTest::newRow("two fingers pan, no swipe")
        << Frames{{{100, 100}, {200, 100}}, {{110, 120}, {210, 120}}, {{10, 120}}} << 0
        << "pan 10,20";
}

void TestTouchGestures::gestures() {
    QFETCH(Frames, frames);
    QFETCH(int, holdMs);
    QFETCH(QString, expected);
    QWidget widget;
    widget.resize(400, 300);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    TouchGestures gestures(&widget);
    QStringList log;
    const auto at = [](QPointF p) { return QStringLiteral("%1,%2").arg(p.x()).arg(p.y()); };
    connect(&gestures, &TouchGestures::tapped, this, [&](QPointF p) { log << "tap " + at(p); });
    connect(&gestures, &TouchGestures::swiped, this,
            [&](int step) { log << QStringLiteral("swipe %1").arg(step); });
    connect(&gestures, &TouchGestures::longPressed, this,
            [&](QPointF p) { log << "hold " + at(p); });
    connect(&gestures, &TouchGestures::pinched, this, [&](qreal f, QPointF c) {
        log << QStringLiteral("pinch %1 at ").arg(f, 0, 'f', 2) + at(c);
    });
    connect(&gestures, &TouchGestures::panned, this, [&](QPointF d) { log << "pan " + at(d); });

    static QPointingDevice* device = QTest::createTouchDevice();
    int fingers = 0;
    for (const QList<QPointF>& frame : frames) {
        auto sequence = QTest::touchEvent(&widget, device);
        for (int i = 0; i < frame.size(); ++i) {
            if (i < fingers)
                sequence.move(i, frame[i].toPoint(), &widget);
            else
                sequence.press(i, frame[i].toPoint(), &widget);
        }
        for (int i = int(frame.size()); i < fingers; ++i)
            sequence.release(i, frames.first()[i].toPoint(), &widget);
        sequence.commit();
        fingers = int(frame.size());
    }
    if (holdMs)
        QTest::qWait(holdMs);
    auto end = QTest::touchEvent(&widget, device);
    for (int i = 0; i < fingers; ++i)
        end.release(i, frames.last()[i].toPoint(), &widget);
    end.commit();
    QCOMPARE(log.join(" | "), expected);
}

QTEST_MAIN(TestTouchGestures)
#include "test_touchgestures.moc"
