#include "Graphics.h"

#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <mutex>

namespace gfx {

void installDecodeLimits() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(kDecodeLimitMB); });
}

QPen makePen(const QColor& colour, qreal width) {
    QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setCosmetic(false);
    return pen;
}

QString substituteFamily(const QString& family) {
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (family.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    return family;
}

QFont pixelFont(const QString& family, int pixelSize) {
    QFont font(substituteFamily(family));
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    return font;
}

void drawLine(QPainter& g, const QPen& pen, QPointF a, QPointF b) {
    g.setPen(pen);
    g.drawLine(a, b);
}

void drawArrow(QPainter& g, const QPen& pen, QPointF from, QPointF to) {
    const QPointF d = to - from;
    const double len = std::hypot(d.x(), d.y());
    if (!(len > 0.0) || !std::isfinite(len))
        return;
    g.setPen(pen);
    g.drawLine(from, to);

    // The cap's frame: y along the line (forward positive), x across it, one unit per pen
    // width; the open stroke (-2,-7) (0,-1) (2,-7) is drawn with the line's own pen.
    const double w = pen.widthF();
    const QPointF along = d / len * w;
    const QPointF across(-along.y(), along.x());
    auto capPoint = [&](double x, double y) { return to + across * x + along * y; };
    QPainterPath cap;
    cap.moveTo(capPoint(-2, -7));
    cap.lineTo(capPoint(0, -1));
    cap.lineTo(capPoint(2, -7));
    g.setBrush(Qt::NoBrush);
    g.drawPath(cap);
}

void drawString(QPainter& g, const QString& text, const QFont& font, const QColor& colour,
                QPointF origin) {
    if (text.isEmpty())
        return;
    g.setFont(font);
    g.setPen(QPen(colour));
    // A rectangle anchored at the origin puts the text's top-left corner there.
    g.drawText(QRectF(origin, QSizeF(1e6, 1e6)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
               text);
}

QTransform parallelogramTransform(QSizeF size, QPointF ul, QPointF ur, QPointF ll) {
    const double w = size.width();
    const double h = size.height();
    if (!(w > 0) || !(h > 0))
        return QTransform(0, 0, 0, 0, ul.x(), ul.y());
    const QPointF a = ur - ul;
    const QPointF b = ll - ul;
    return QTransform(a.x() / w, a.y() / w, b.x() / h, b.y() / h, ul.x(), ul.y());
}

} // namespace gfx
