#include "ChangePos.h"

#include "Graphics.h"
#include "ViewTransform.h"

#include <QLineF>
#include <QPainter>

#include <cmath>

namespace {

// Beyond this the outline is not drawn: hostile corners or a runaway zoom must not hand the
// rasteriser infinities or coordinates it would overflow on.
constexpr double kMaxPixelCoordinate = 1e7;

QPointF pixels(const ViewTransform& vt, PointD p) {
    const PointD q = vt.toPixels(p);
    return {q.x, q.y};
}

} // namespace

QRectF ChangePos::outline(const ViewTransform& vt) const {
    const QPointF p0 = pixels(vt, m_corners[0]);
    const double w = QLineF(p0, pixels(vt, m_corners[1])).length() * 0.5;
    const double h = QLineF(p0, pixels(vt, m_corners[3])).length() * 0.5;
    const QPointF at = pixels(vt, vt.pointer);
    return QRectF(at.x() - w, at.y() - h, 2 * w, 2 * h);
}

void ChangePos::drawOverlay(QPainter& g, const ViewTransform& vt) {
    const QRectF r = outline(vt);
    for (const double v : {r.left(), r.top(), r.right(), r.bottom()}) {
        if (!std::isfinite(v) || std::abs(v) > kMaxPixelCoordinate)
            return;
    }
    const QPen pen = gfx::makePen(gfx::kRed, 1.0);
    // y + h is the bottom edge in view pixels (y grows downwards).
    const QPointF bottomLeft = r.bottomLeft();
    const QPointF bottomRight = r.bottomRight();
    const QPointF topRight = r.topRight();
    const QPointF topLeft = r.topLeft();
    gfx::drawLine(g, pen, bottomLeft, bottomRight);
    gfx::drawLine(g, pen, bottomRight, topRight);
    gfx::drawLine(g, pen, topRight, topLeft);
    gfx::drawLine(g, pen, topLeft, bottomLeft);
}
