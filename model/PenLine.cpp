#include "PenLine.h"

#include "ViewTransform.h"

QPointF PenLine::px(const ViewTransform& vt, PointD p) {
    const PointD q = vt.toPixels(p);
    return {q.x, q.y};
}

bool PenLine::hitTest(const ViewTransform&) {
    setHit(false);
    return false;
}

bool PenLine::removeLastPoint() {
    return m_points.removeLast();
}

bool PenLine::restorePoint() {
    return m_points.restore();
}

void PenLine::validate() {
    setComplete(m_points.count() >= 2);
}
