#include "TouchGestures.h"

#include <QLineF>
#include <QTouchEvent>
#include <QWidget>

#include <cmath>

TouchGestures::TouchGestures(QWidget* target) : QObject(target), m_target(target) {
    target->setAttribute(Qt::WA_AcceptTouchEvents);
    target->installEventFilter(this);
    m_longPress.setSingleShot(true);
    m_longPress.setInterval(kLongPressMs);
    connect(&m_longPress, &QTimer::timeout, this, [this] {
        m_consumed = true;
        emit longPressed(m_last);
    });
}

bool TouchGestures::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_target)
        return false;
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        touch(static_cast<const QTouchEvent&>(*event));
        event->accept();
        return true;
    case QEvent::TouchCancel:
        m_longPress.stop();
        m_twoFingers = false;
        event->accept();
        return true;
    default:
        return false;
    }
}

void TouchGestures::touch(const QTouchEvent& event) {
    const QList<QEventPoint>& points = event.points();
    if (points.isEmpty())
        return;
    if (event.type() == QEvent::TouchBegin) {
        m_start = m_last = points.first().position();
        m_since.start();
        m_twoFingers = false;
        m_consumed = false;
        m_spread = 0;
        m_longPress.start();
    }
    if (points.size() >= 2) {
        m_longPress.stop();
        const QPointF a = points.at(0).position();
        const QPointF b = points.at(1).position();
        const qreal spread = QLineF(a, b).length();
        const QPointF centre = (a + b) / 2;
        const bool releasing = points.at(0).state() == QEventPoint::Released ||
                               points.at(1).state() == QEventPoint::Released;
        if (m_twoFingers && m_spread > 0 && spread > 0 && !releasing) {
            if (std::abs(spread - m_spread) > 0.5)
                emit pinched(spread / m_spread, centre);
            if (centre != m_centre)
                emit panned(centre - m_centre);
        }
        m_twoFingers = true;
        m_spread = spread;
        m_centre = centre;
        return;
    }
    m_last = points.first().position();
    if (QLineF(m_start, m_last).length() > kTapSlop)
        m_longPress.stop();
    if (event.type() == QEvent::TouchEnd) {
        m_longPress.stop();
        if (!m_twoFingers && !m_consumed)
            oneFingerEnded(m_last);
    }
}

void TouchGestures::oneFingerEnded(QPointF position) {
    const QPointF moved = position - m_start;
    if (QLineF(m_start, position).length() <= kTapSlop) {
        emit tapped(position);
        return;
    }
    const bool horizontal = std::abs(moved.x()) > 2 * std::abs(moved.y());
    if (horizontal && std::abs(moved.x()) >= kSwipeDistance && m_since.elapsed() <= kSwipeTimeMs)
        emit swiped(moved.x() < 0 ? 1 : -1);
}
