#include "Art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace art {

namespace {

QPolygonF regularPolygon(QPointF c, double radius, int sides, double startDeg) {
    QPolygonF poly;
    for (int i = 0; i < sides; ++i) {
        const double a = qDegreesToRadians(startDeg + 360.0 * i / sides);
        poly << c + QPointF(std::cos(a) * radius, std::sin(a) * radius);
    }
    return poly;
}

// A triangle with rounded corners, apex up (or down), inscribed in a circle of radius r.
QPainterPath roundedTriangle(QPointF c, double r, bool apexUp, double rounding) {
    const QPolygonF tri = regularPolygon(c, r, 3, apexUp ? -90 : 90);
    QPainterPath path;
    for (int i = 0; i < 3; ++i) {
        const QPointF prev = tri[(i + 2) % 3], cur = tri[i], next = tri[(i + 1) % 3];
        QLineF in(cur, prev), out(cur, next);
        in.setLength(rounding);
        out.setLength(rounding);
        if (i == 0)
            path.moveTo(in.p2());
        else
            path.lineTo(in.p2());
        path.quadTo(cur, out.p2());
    }
    path.closeSubpath();
    return path;
}

void whiteArrow(QPainter& p, const QPainterPath& shaft, QPointF tip, double angleDeg,
                double width) {
    p.save();
    p.setPen(QPen(Qt::white, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shaft);
    p.translate(tip);
    p.rotate(angleDeg);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const QPointF head[3] = {
        {width * 1.5, 0}, {-width * 0.6, -width * 1.4}, {-width * 0.6, width * 1.4}};
    p.drawPolygon(head, 3);
    p.restore();
}

void redRing(QPainter& p, QPointF c, double r, QColor inside) {
    p.setPen(outlinePen(r * 0.03, QColor(120, 20, 20)));
    p.setBrush(ink::signRed);
    p.drawEllipse(c, r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(inside);
    p.drawEllipse(c, r * 0.76, r * 0.76);
}

void slash(QPainter& p, QPointF c, double r, bool both) {
    p.setPen(QPen(ink::signRed, r * 0.16, Qt::SolidLine, Qt::FlatCap));
    const double k = r * 0.76 * 0.7071;
    p.drawLine(c + QPointF(-k, -k), c + QPointF(k, k));
    if (both)
        p.drawLine(c + QPointF(k, -k), c + QPointF(-k, k));
}

void trafficLightIcon(QPainter& p, const QRectF& box) {
    const double w = box.width() * 0.34;
    const QRectF body(box.center().x() - w / 2, box.top(), w, box.height());
    p.setPen(outlinePen(1.5));
    p.setBrush(QColor(30, 30, 30));
    p.drawRoundedRect(body, w * 0.25, w * 0.25);
    const QColor lamps[3] = {QColor(230, 40, 40), QColor(250, 200, 20), QColor(40, 190, 80)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(body.center().x(), body.top() + body.height() * (0.18 + 0.32 * i)),
                      w * 0.32, w * 0.32);
    }
}

void workerIcon(QPainter& p, const QRectF& b, QColor c) {
    const double u = b.width() / 10;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(b.left() + 4 * u, b.top() + 1.5 * u), 1.1 * u, 1.1 * u);
    p.setPen(QPen(c, 1.3 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF hip(b.left() + 3 * u, b.top() + 6 * u);
    p.drawLine(QPointF(b.left() + 4 * u, b.top() + 3 * u), hip);
    p.drawLine(hip, QPointF(b.left() + 1.8 * u, b.bottom()));
    p.drawLine(hip, QPointF(b.left() + 4.5 * u, b.bottom()));
    p.drawLine(QPointF(b.left() + 3.8 * u, b.top() + 3.6 * u),
               QPointF(b.left() + 6.2 * u, b.top() + 5.6 * u));
    p.setPen(QPen(c, 0.8 * u));
    p.drawLine(QPointF(b.left() + 5 * u, b.top() + 4 * u),
               QPointF(b.left() + 7.5 * u, b.bottom() - u));
    p.setPen(Qt::NoPen);
    const QPointF pile[3] = {{b.left() + 6.5 * u, b.bottom()},
                             {b.right(), b.bottom()},
                             {b.left() + 8.7 * u, b.top() + 7 * u}};
    p.drawPolygon(pile, 3);
}

} // namespace

void walkerIcon(QPainter& p, const QRectF& b, QColor c, bool mirrored) {
    p.save();
    p.translate(b.center());
    if (mirrored)
        p.scale(-1, 1);
    const double u = b.height() / 10;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(0.4 * u, -4 * u), 0.95 * u, 0.95 * u);
    p.setPen(QPen(c, 1.35 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF neck(0.1 * u, -2.6 * u), hip(-0.4 * u, 1.0 * u);
    p.drawLine(neck, hip);
    const QPointF frontKnee(1.0 * u, 2.8 * u), backKnee(-1.2 * u, 3.0 * u);
    p.drawPolyline(QPolygonF({QPointF(2.2 * u, 4.9 * u), frontKnee, hip}));
    p.drawPolyline(QPolygonF({QPointF(-2.6 * u, 4.6 * u), backKnee, hip}));
    p.setPen(QPen(c, 1.0 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(2.0 * u, 0.3 * u), QPointF(1.1 * u, -1.4 * u), neck}));
    p.drawPolyline(QPolygonF({QPointF(-2.2 * u, 0.2 * u), QPointF(-1.2 * u, -1.3 * u), neck}));
    p.restore();
}

void childrenIcon(QPainter& p, const QRectF& b, QColor c) {
    const double w = b.width();
    walkerIcon(p, QRectF(b.left(), b.top(), w * 0.55, b.height()), c);
    walkerIcon(
        p, QRectF(b.left() + w * 0.45, b.top() + b.height() * 0.25, w * 0.42, b.height() * 0.75),
        c);
    p.setPen(QPen(c, b.height() * 0.06, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(b.left() + w * 0.45, b.top() + b.height() * 0.52),
               QPointF(b.left() + w * 0.6, b.top() + b.height() * 0.6));
}

void bicycleIcon(QPainter& p, const QRectF& b, QColor c) {
    const double r = b.width() * 0.22;
    const QPointF rear(b.left() + r, b.bottom() - r), front(b.right() - r, b.bottom() - r);
    const QPointF crank(b.center().x() - r * 0.1, b.bottom() - r);
    const QPointF seat(b.center().x() - r * 0.5, b.bottom() - r * 2.4);
    const QPointF head(front.x() - r * 0.5, b.bottom() - r * 2.5);
    p.setPen(QPen(c, b.width() * 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(rear, r, r);
    p.drawEllipse(front, r, r);
    p.drawPolyline(QPolygonF({rear, crank, head, front}));
    p.drawPolyline(QPolygonF({rear, seat, crank}));
    p.drawLine(seat, head);
    p.drawLine(head, head + QPointF(-r * 0.2, -r * 0.6));
    p.drawLine(seat + QPointF(-r * 0.35, -r * 0.2), seat + QPointF(r * 0.35, -r * 0.2));
}

void carIcon(QPainter& p, const QRectF& b, QColor c) {
    p.save();
    p.translate(b.left(), b.top());
    p.scale(b.width() / 100, b.height() / 50);
    QPainterPath body;
    body.moveTo(4, 38);
    body.lineTo(4, 24);
    body.quadTo(6, 20, 16, 19);
    body.lineTo(30, 6);
    body.lineTo(70, 6);
    body.lineTo(84, 19);
    body.quadTo(96, 20, 96, 26);
    body.lineTo(96, 38);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(body);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(34, 10, 14, 9));
    p.drawRect(QRectF(52, 10, 14, 9));
    p.setBrush(c);
    p.drawEllipse(QPointF(24, 40), 9, 9);
    p.drawEllipse(QPointF(76, 40), 9, 9);
    p.restore();
}

void busIcon(QPainter& p, const QRectF& b, QColor c) {
    p.save();
    p.translate(b.left(), b.top());
    p.scale(b.width() / 100, b.height() / 60);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(2, 4, 96, 44), 6, 6);
    p.drawEllipse(QPointF(22, 50), 9, 9);
    p.drawEllipse(QPointF(78, 50), 9, 9);
    p.setBrush(Qt::white);
    for (int i = 0; i < 5; ++i)
        p.drawRect(QRectF(8 + i * 17, 10, 12, 14));
    p.restore();
}

void sign(QPainter& p, QPointF c, double size, Sign which) {
    p.save();
    const double r = size / 2;
    const QRectF inner(c.x() - r * 0.45, c.y() - r * 0.45, r * 0.9, r * 0.9);
    const QColor black(20, 20, 20);
    switch (which) {
    case Sign::WarnCrossing:
    case Sign::WarnChildren:
    case Sign::WarnLights:
    case Sign::WarnBicycle:
    case Sign::WarnSlippery:
    case Sign::WarnRoadWorks:
    case Sign::WarnDanger: {
        const QPointF tc(c.x(), c.y() + r * 0.12);
        p.setPen(outlinePen(r * 0.03, QColor(120, 20, 20)));
        p.setBrush(ink::signRed);
        p.drawPath(roundedTriangle(tc, r * 1.1, true, r * 0.18));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(roundedTriangle(tc, r * 0.76, true, r * 0.1));
        const QRectF box(c.x() - r * 0.34, c.y() - r * 0.05, r * 0.68, r * 0.6);
        switch (which) {
        case Sign::WarnCrossing:
            walkerIcon(p, box.adjusted(r * 0.08, 0, -r * 0.08, -r * 0.08), black);
            p.setBrush(black);
            for (int i = 0; i < 4; ++i)
                p.drawRect(
                    QRectF(box.left() + i * r * 0.18, box.bottom() - r * 0.06, r * 0.1, r * 0.06));
            break;
        case Sign::WarnChildren:
            childrenIcon(p, box, black);
            break;
        case Sign::WarnLights:
            trafficLightIcon(p, box.adjusted(0, -r * 0.05, 0, 0));
            break;
        case Sign::WarnBicycle:
            bicycleIcon(p, box.adjusted(0, r * 0.1, 0, 0), black);
            break;
        case Sign::WarnSlippery: {
            carIcon(p,
                    QRectF(box.left() + r * 0.1, box.top(), box.width() * 0.75, box.height() * 0.4),
                    black);
            p.setPen(QPen(black, r * 0.045, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            for (int k = 0; k < 2; ++k) {
                QPainterPath skid;
                const double x = box.left() + r * (0.15 + 0.3 * k);
                skid.moveTo(x, box.top() + box.height() * 0.5);
                skid.cubicTo(x + r * 0.2, box.top() + box.height() * 0.65, x - r * 0.2,
                             box.top() + box.height() * 0.8, x + r * 0.1, box.bottom());
                p.drawPath(skid);
            }
            break;
        }
        case Sign::WarnRoadWorks:
            workerIcon(p, box, black);
            break;
        default: {
            p.setBrush(black);
            p.setPen(Qt::NoPen);
            const double w = r * 0.12;
            p.drawRoundedRect(QRectF(c.x() - w / 2, box.top(), w, box.height() * 0.62), w / 2,
                              w / 2);
            p.drawEllipse(QPointF(c.x(), box.bottom() - w * 0.6), w * 0.6, w * 0.6);
        }
        }
        break;
    }
    case Sign::NoEntry:
        p.setPen(outlinePen(r * 0.03, QColor(120, 20, 20)));
        p.setBrush(ink::signRed);
        p.drawEllipse(c, r, r);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(c.x() - r * 0.7, c.y() - r * 0.16, r * 1.4, r * 0.32));
        break;
    case Sign::NoParking:
    case Sign::NoStopping:
        redRing(p, c, r, ink::signBlue);
        slash(p, c, r, which == Sign::NoStopping);
        break;
    case Sign::NoOvertaking:
        redRing(p, c, r, Qt::white);
        carIcon(p, QRectF(c.x() - r * 0.62, c.y() - r * 0.25, r * 0.58, r * 0.34), ink::signRed);
        carIcon(p, QRectF(c.x() + r * 0.04, c.y() - r * 0.25, r * 0.58, r * 0.34), black);
        break;
    case Sign::NoPedestrians:
        redRing(p, c, r, Qt::white);
        walkerIcon(p, inner, black);
        slash(p, c, r, false);
        break;
    case Sign::NoBicycles:
        redRing(p, c, r, Qt::white);
        bicycleIcon(p, inner.adjusted(-r * 0.05, r * 0.15, r * 0.05, -r * 0.1), black);
        break;
    case Sign::NoMotorcycles:
        redRing(p, c, r, Qt::white);
        bicycleIcon(p, inner.adjusted(-r * 0.05, r * 0.15, r * 0.05, -r * 0.1), black);
        p.setPen(Qt::NoPen);
        p.setBrush(black);
        p.drawRoundedRect(QRectF(c.x() - r * 0.18, c.y() + r * 0.02, r * 0.3, r * 0.16), r * 0.05,
                          r * 0.05);
        break;
    case Sign::NoTrucks:
        redRing(p, c, r, Qt::white);
        p.setPen(Qt::NoPen);
        p.setBrush(black);
        p.drawRect(QRectF(c.x() - r * 0.55, c.y() - r * 0.3, r * 0.7, r * 0.42));
        p.drawRect(QRectF(c.x() + r * 0.18, c.y() - r * 0.14, r * 0.34, r * 0.26));
        p.drawEllipse(QPointF(c.x() - r * 0.35, c.y() + r * 0.18), r * 0.1, r * 0.1);
        p.drawEllipse(QPointF(c.x() + r * 0.32, c.y() + r * 0.18), r * 0.1, r * 0.1);
        break;
    case Sign::Speed40:
    case Sign::Speed60:
        redRing(p, c, r, Qt::white);
        p.setPen(black);
        p.setFont(font(r * 0.85, true));
        p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter,
                   which == Sign::Speed40 ? QStringLiteral("40") : QStringLiteral("60"));
        break;
    case Sign::AheadOnly:
    case Sign::TurnRight:
    case Sign::AheadOrRight:
    case Sign::Roundabout:
    case Sign::CyclePath:
    case Sign::FootPath: {
        p.setPen(outlinePen(r * 0.06, Qt::white));
        p.setBrush(ink::signBlue);
        p.drawEllipse(c, r * 0.97, r * 0.97);
        const double w = r * 0.2;
        if (which == Sign::AheadOnly || which == Sign::AheadOrRight) {
            QPainterPath shaft;
            shaft.moveTo(c.x() - (which == Sign::AheadOrRight ? r * 0.2 : 0), c.y() + r * 0.6);
            shaft.lineTo(shaft.currentPosition().x(), c.y() - r * 0.2);
            whiteArrow(p, shaft, QPointF(shaft.currentPosition().x(), c.y() - r * 0.35), -90, w);
        }
        if (which == Sign::TurnRight || which == Sign::AheadOrRight) {
            const double x0 = which == Sign::AheadOrRight ? c.x() - r * 0.2 : c.x() - r * 0.25;
            QPainterPath shaft;
            shaft.moveTo(x0, c.y() + r * 0.6);
            shaft.lineTo(x0, c.y() + r * 0.05);
            shaft.quadTo(x0, c.y() - r * 0.1, x0 + r * 0.2, c.y() - r * 0.1);
            shaft.lineTo(c.x() + r * 0.3, c.y() - r * 0.1);
            whiteArrow(p, shaft, QPointF(c.x() + r * 0.35, c.y() - r * 0.1), 0, w);
        }
        if (which == Sign::Roundabout) {
            // Three arcs running anticlockwise, as traffic goes round a roundabout.
            const QRectF ring(c.x() - r * 0.5, c.y() - r * 0.5, r, r);
            for (int k = 0; k < 3; ++k) {
                const double from = 120.0 * k + 20, sweep = 75;
                QPainterPath arc;
                arc.arcMoveTo(ring, from);
                arc.arcTo(ring, from, sweep);
                const double end = qDegreesToRadians(from + sweep);
                // Screen tangent of an anticlockwise arc at angle a is (-sin a, -cos a).
                const double heading =
                    qRadiansToDegrees(std::atan2(-std::cos(end), -std::sin(end)));
                whiteArrow(p, arc, arc.currentPosition(), heading, w * 0.8);
            }
        }
        if (which == Sign::CyclePath)
            bicycleIcon(p, inner.adjusted(-r * 0.1, r * 0.1, r * 0.1, 0), Qt::white);
        if (which == Sign::FootPath)
            walkerIcon(p, inner.adjusted(0, -r * 0.05, 0, r * 0.1), Qt::white);
        break;
    }
    case Sign::MainRoad: {
        p.setPen(outlinePen(r * 0.03, QColor(60, 60, 60)));
        p.setBrush(Qt::white);
        p.drawPolygon(regularPolygon(c, r, 4, -90));
        p.setPen(outlinePen(r * 0.02, black));
        p.setBrush(ink::signYellow);
        p.drawPolygon(regularPolygon(c, r * 0.68, 4, -90));
        break;
    }
    case Sign::GiveWay:
        p.setPen(outlinePen(r * 0.03, QColor(120, 20, 20)));
        p.setBrush(ink::signRed);
        p.drawPath(roundedTriangle(QPointF(c.x(), c.y() - r * 0.12), r * 1.1, false, r * 0.18));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(roundedTriangle(QPointF(c.x(), c.y() - r * 0.12), r * 0.74, false, r * 0.1));
        break;
    case Sign::Stop:
        p.setPen(outlinePen(r * 0.03, QColor(120, 20, 20)));
        p.setBrush(Qt::white);
        p.drawPolygon(regularPolygon(c, r, 8, 22.5));
        p.setPen(Qt::NoPen);
        p.setBrush(ink::signRed);
        p.drawPolygon(regularPolygon(c, r * 0.9, 8, 22.5));
        p.setPen(Qt::white);
        p.setFont(font(r * 0.52, true));
        p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter,
                   QStringLiteral("STOP"));
        break;
    case Sign::InfoCrossing:
    case Sign::InfoBusStop:
    case Sign::InfoParking:
    case Sign::InfoUnderpass:
    case Sign::InfoHospital: {
        const QRectF sq(c.x() - r, c.y() - r, 2 * r, 2 * r);
        p.setPen(outlinePen(r * 0.05, Qt::white));
        p.setBrush(ink::signBlue);
        p.drawRoundedRect(sq.adjusted(r * 0.02, r * 0.02, -r * 0.02, -r * 0.02), r * 0.12,
                          r * 0.12);
        if (which == Sign::InfoCrossing) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPath(roundedTriangle(QPointF(c.x(), c.y() + r * 0.12), r * 0.86, true, r * 0.06));
            walkerIcon(p, QRectF(c.x() - r * 0.3, c.y() - r * 0.22, r * 0.6, r * 0.62), black);
            p.setBrush(black);
            for (int i = 0; i < 4; ++i)
                p.drawRect(
                    QRectF(c.x() - r * 0.42 + i * r * 0.23, c.y() + r * 0.44, r * 0.13, r * 0.08));
        } else if (which == Sign::InfoBusStop) {
            p.setPen(Qt::NoPen);
            p.setBrush(ink::signYellow);
            p.drawRoundedRect(sq.adjusted(r * 0.22, r * 0.22, -r * 0.22, -r * 0.22), r * 0.08,
                              r * 0.08);
            busIcon(p, QRectF(c.x() - r * 0.55, c.y() - r * 0.35, r * 1.1, r * 0.66), black);
        } else if (which == Sign::InfoParking) {
            p.setPen(Qt::white);
            p.setFont(font(r * 1.3, true));
            p.drawText(sq, Qt::AlignCenter, QStringLiteral("P"));
        } else if (which == Sign::InfoUnderpass) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            QPolygonF stairs;
            stairs << QPointF(c.x() - r * 0.7, c.y() - r * 0.1);
            for (int i = 0; i < 4; ++i) {
                const double x = c.x() - r * 0.7 + i * r * 0.3;
                const double y = c.y() - r * 0.1 + i * r * 0.18;
                stairs << QPointF(x + r * 0.3, y) << QPointF(x + r * 0.3, y + r * 0.18);
            }
            stairs << QPointF(c.x() + r * 0.7, c.y() + r * 0.7)
                   << QPointF(c.x() - r * 0.7, c.y() + r * 0.7);
            p.drawPolygon(stairs);
            walkerIcon(p, QRectF(c.x() - r * 0.55, c.y() - r * 0.85, r * 0.5, r * 0.7), Qt::white);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(sq.adjusted(r * 0.3, r * 0.3, -r * 0.3, -r * 0.3));
            p.setBrush(ink::signRed);
            p.drawRect(QRectF(c.x() - r * 0.1, c.y() - r * 0.35, r * 0.2, r * 0.7));
            p.drawRect(QRectF(c.x() - r * 0.35, c.y() - r * 0.1, r * 0.7, r * 0.2));
        }
        break;
    }
    }
    p.restore();
}

void signOnPole(QPainter& p, QPointF base, double poleHeight, double size, Sign which) {
    p.save();
    QLinearGradient pole(base.x() - 4, 0, base.x() + 4, 0);
    pole.setColorAt(0, QColor(150, 152, 160));
    pole.setColorAt(1, QColor(100, 102, 110));
    p.setPen(outlinePen(1.5));
    p.setBrush(pole);
    p.drawRect(QRectF(base.x() - size * 0.045, base.y() - poleHeight, size * 0.09, poleHeight));
    p.restore();
    sign(p, QPointF(base.x(), base.y() - poleHeight), size, which);
}

} // namespace art
