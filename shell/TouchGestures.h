#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QTimer>

class QTouchEvent;
class QWidget;

// Reads a widget's touch events as a teacher's gestures on a touch panel or an interactive
// whiteboard: a tap, a horizontal swipe, a long press, and with two fingers a pinch and a pan.
// It accepts every touch, so Qt synthesises no mouse events from them and each touch acts
// once; a stylus sends tablet events, which it leaves alone.
class TouchGestures : public QObject {
    Q_OBJECT
public:
    explicit TouchGestures(QWidget* target);

    // Distances in logical pixels, times in ms.
    static constexpr qreal kTapSlop = 12;
    static constexpr qreal kSwipeDistance = 60;
    static constexpr int kSwipeTimeMs = 700;
    static constexpr int kLongPressMs = 600;

signals:
    void tapped(QPointF position);
    // +1 for a swipe to the left (the next picture), -1 to the right.
    void swiped(int step);
    void longPressed(QPointF position);
    // Two fingers since the last report: the spread's ratio about their centre, and the
    // centre's move.
    void pinched(qreal factor, QPointF centre);
    void panned(QPointF delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void touch(const QTouchEvent& event);
    void oneFingerEnded(QPointF position);

    QWidget* m_target;
    QTimer m_longPress;
    QElapsedTimer m_since;
    QPointF m_start;
    QPointF m_last;
    bool m_twoFingers = false; // this touch has had two fingers: no tap or swipe at its end
    bool m_consumed = false;   // the long press has fired
    qreal m_spread = 0;
    QPointF m_centre;
};
