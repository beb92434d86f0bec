#include "Art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>

namespace art {

namespace {

// Local frame of a side view: origin at the middle of the footprint on the ground, x towards
// the front, y down (so everything above the ground has negative y).
void enterSideView(QPainter& p, QPointF ground, double s, bool right) {
    p.save();
    p.translate(ground);
    p.scale(right ? s : -s, s);
}

void groundShadow(QPainter& p, double halfLength) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 55));
    p.drawEllipse(QPointF(0, 0), halfLength, 6);
}

void wheel(QPainter& p, QPointF c, double r, bool spokes = false) {
    p.setPen(outlinePen(2));
    p.setBrush(QColor(34, 34, 38));
    p.drawEllipse(c, r, r);
    if (spokes) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(200, 200, 205), 1.2));
        p.drawEllipse(c, r * 0.86, r * 0.86);
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 8;
            const QPointF d(std::cos(a) * r * 0.85, std::sin(a) * r * 0.85);
            p.drawLine(c - d, c + d);
        }
        p.setBrush(QColor(170, 170, 175));
        p.drawEllipse(c, r * 0.12, r * 0.12);
        return;
    }
    QRadialGradient rim(c - QPointF(r * 0.15, r * 0.15), r * 0.6);
    rim.setColorAt(0, QColor(235, 235, 240));
    rim.setColorAt(1, QColor(150, 152, 160));
    p.setBrush(rim);
    p.setPen(outlinePen(1.5));
    p.drawEllipse(c, r * 0.55, r * 0.55);
    p.setBrush(QColor(90, 92, 100));
    p.drawEllipse(c, r * 0.16, r * 0.16);
}

void glass(QPainter& p, const QPolygonF& poly) {
    const QRectF b = poly.boundingRect();
    QLinearGradient g(b.topLeft(), b.bottomRight());
    g.setColorAt(0, QColor(200, 232, 250));
    g.setColorAt(0.5, QColor(140, 190, 225));
    g.setColorAt(1, QColor(110, 160, 205));
    p.setPen(outlinePen(2));
    p.setBrush(g);
    p.drawPolygon(poly);
}

QLinearGradient bodyShade(QColor body, double top, double bottom) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, body.lighter(125));
    g.setColorAt(0.55, body);
    g.setColorAt(1, body.darker(120));
    return g;
}

void helmetHead(QPainter& p, QPointF c, double r, QColor helmet) {
    p.setPen(outlinePen(2));
    p.setBrush(ink::skin);
    p.drawEllipse(c, r * 0.92, r * 0.92);
    p.setBrush(helmet);
    QPainterPath shell;
    shell.moveTo(c + QPointF(-r * 1.1, r * 0.25));
    shell.cubicTo(c + QPointF(-r * 1.2, -r * 1.3), c + QPointF(r * 1.1, -r * 1.4),
                  c + QPointF(r * 1.1, -r * 0.1));
    shell.lineTo(c + QPointF(r * 0.2, -r * 0.1));
    shell.lineTo(c + QPointF(-r * 0.2, r * 0.35));
    shell.closeSubpath();
    p.drawPath(shell);
    p.setBrush(QColor(60, 70, 90, 200));
    p.drawRect(QRectF(c.x() + r * 0.25, c.y() - r * 0.2, r * 0.85, r * 0.35));
}

} // namespace

void car(QPainter& p, QPointF ground, double s, QColor body, bool right, bool headlights) {
    enterSideView(p, ground, s, right);
    groundShadow(p, 104);
    if (headlights) {
        QLinearGradient beam(100, 0, 260, 0);
        beam.setColorAt(0, QColor(255, 250, 200, 150));
        beam.setColorAt(1, QColor(255, 250, 200, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(beam);
        const QPointF cone[3] = {{98, -42}, {260, -70}, {260, 4}};
        p.drawPolygon(cone, 3);
    }
    QPainterPath shell;
    shell.moveTo(-92, -14);
    shell.quadTo(-100, -14, -100, -24);
    shell.lineTo(-100, -42);
    shell.quadTo(-100, -54, -86, -55);
    shell.lineTo(-58, -57);
    shell.lineTo(-38, -86);
    shell.quadTo(-34, -91, -26, -91);
    shell.lineTo(28, -91);
    shell.quadTo(35, -91, 40, -86);
    shell.lineTo(64, -59);
    shell.lineTo(92, -53);
    shell.quadTo(101, -50, 101, -40);
    shell.lineTo(101, -24);
    shell.quadTo(101, -14, 92, -14);
    shell.closeSubpath();
    p.setPen(outlinePen(2.5));
    p.setBrush(bodyShade(body, -91, -14));
    p.drawPath(shell);
    // Wheel arches.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 34));
    p.drawPie(QRectF(-84, -42, 48, 48), 0, 180 * 16);
    p.drawPie(QRectF(36, -42, 48, 48), 0, 180 * 16);
    glass(p, QPolygonF({{-52, -59}, {-34, -84}, {-6, -84}, {-6, -59}}));
    glass(p, QPolygonF({{0, -59}, {0, -84}, {27, -84}, {54, -59}}));
    p.setPen(outlinePen(1.8));
    p.drawLine(QPointF(-3, -59), QPointF(-3, -20));
    p.drawLine(QPointF(56, -57), QPointF(58, -22));
    p.setBrush(QColor(60, 60, 66));
    p.drawRoundedRect(QRectF(10, -52, 12, 4), 2, 2);
    p.drawRoundedRect(QRectF(-44, -52, 12, 4), 2, 2);
    // Lights and bumpers.
    p.setBrush(QColor(255, 248, 200));
    p.drawEllipse(QRectF(92, -47, 9, 8));
    p.setBrush(QColor(220, 40, 40));
    p.drawRect(QRectF(-101, -48, 6, 9));
    p.setBrush(QColor(70, 72, 80));
    p.drawRoundedRect(QRectF(88, -26, 16, 10), 3, 3);
    p.drawRoundedRect(QRectF(-104, -26, 16, 10), 3, 3);
    wheel(p, QPointF(-60, -18), 18);
    wheel(p, QPointF(60, -18), 18);
    p.restore();
}

void truck(QPainter& p, QPointF ground, double s, QColor cab, QColor cargo, bool right) {
    enterSideView(p, ground, s, right);
    groundShadow(p, 134);
    p.setPen(outlinePen(2.5));
    p.setBrush(QColor(60, 62, 70));
    p.drawRect(QRectF(-132, -38, 256, 12)); // chassis
    p.setBrush(bodyShade(cargo, -140, -38));
    p.drawRoundedRect(QRectF(-134, -140, 194, 102), 4, 4);
    p.setPen(QPen(cargo.darker(125), 2));
    for (double x = -114; x < 56; x += 22)
        p.drawLine(QPointF(x, -134), QPointF(x, -44));
    QPainterPath cabin;
    cabin.moveTo(66, -30);
    cabin.lineTo(66, -112);
    cabin.quadTo(66, -118, 72, -118);
    cabin.lineTo(102, -118);
    cabin.lineTo(128, -76);
    cabin.quadTo(132, -70, 132, -60);
    cabin.lineTo(132, -30);
    cabin.closeSubpath();
    p.setPen(outlinePen(2.5));
    p.setBrush(bodyShade(cab, -118, -30));
    p.drawPath(cabin);
    glass(p, QPolygonF({{74, -110}, {99, -110}, {120, -78}, {74, -78}}));
    p.setPen(outlinePen(1.8));
    p.drawLine(QPointF(70, -74), QPointF(70, -34));
    p.setBrush(QColor(255, 248, 200));
    p.drawEllipse(QRectF(124, -52, 9, 9));
    p.setBrush(QColor(70, 72, 80));
    p.drawRoundedRect(QRectF(118, -34, 18, 10), 3, 3);
    // Mirror.
    p.setPen(outlinePen(2));
    p.drawLine(QPointF(104, -100), QPointF(112, -104));
    p.setBrush(QColor(40, 40, 44));
    p.drawRect(QRectF(110, -112, 5, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 34));
    for (double x : {-100.0, -58.0, 96.0})
        p.drawPie(QRectF(x - 27, -49, 54, 54), 0, 180 * 16);
    wheel(p, QPointF(-100, -22), 22);
    wheel(p, QPointF(-58, -22), 22);
    wheel(p, QPointF(96, -22), 22);
    p.restore();
}

void bus(QPainter& p, QPointF ground, double s, QColor body, bool right, bool doorsOpen) {
    enterSideView(p, ground, s, right);
    groundShadow(p, 154);
    p.setPen(outlinePen(2.5));
    p.setBrush(bodyShade(body, -130, -16));
    p.drawRoundedRect(QRectF(-152, -130, 304, 114), 14, 14);
    p.setBrush(QColor(210, 212, 216));
    p.drawRoundedRect(QRectF(-110, -140, 90, 10), 3, 3); // roof unit
    // Stripe.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawRect(QRectF(-150, -58, 300, 8));
    // Side windows.
    for (int i = 0; i < 5; ++i) {
        const double x = -140 + i * 44;
        glass(p, QPolygonF({{x, -118}, {x + 38, -118}, {x + 38, -70}, {x, -70}}));
    }
    // Front windscreen.
    glass(p, QPolygonF({{128, -122}, {148, -122}, {150, -62}, {128, -62}}));
    // Route board.
    p.setPen(outlinePen(1.5));
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(90, -128, 34, 12));
    p.setPen(QColor(255, 180, 40));
    p.setFont(font(10, true));
    p.drawText(QRectF(90, -128, 34, 12), Qt::AlignCenter, QStringLiteral("12"));
    // Doors: two panels each; open doors show a dark opening with steps.
    for (double x : {-10.0, 80.0}) {
        const QRectF door(x, -120, 40, 100);
        if (doorsOpen) {
            p.setPen(outlinePen(2));
            p.setBrush(QColor(40, 38, 46));
            p.drawRect(door);
            p.setBrush(QColor(150, 150, 150));
            p.drawRect(QRectF(x + 2, -34, 36, 6));
            glass(p, QPolygonF({{x - 6, -116}, {x + 2, -116}, {x + 2, -24}, {x - 6, -24}}));
            glass(p, QPolygonF({{x + 38, -116}, {x + 46, -116}, {x + 46, -24}, {x + 38, -24}}));
        } else {
            glass(p, QPolygonF({{x, -120}, {x + 20, -120}, {x + 20, -22}, {x, -22}}));
            glass(p, QPolygonF({{x + 20, -120}, {x + 40, -120}, {x + 40, -22}, {x + 20, -22}}));
        }
    }
    p.setPen(outlinePen(1.5));
    p.setBrush(QColor(255, 248, 200));
    p.drawEllipse(QRectF(142, -44, 10, 9));
    p.setBrush(QColor(220, 40, 40));
    p.drawRect(QRectF(-153, -48, 6, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 34));
    p.drawPie(QRectF(-121, -46, 52, 52), 0, 180 * 16);
    p.drawPie(QRectF(69, -46, 52, 52), 0, 180 * 16);
    wheel(p, QPointF(-95, -20), 20);
    wheel(p, QPointF(95, -20), 20);
    p.restore();
}

void motorcycle(QPainter& p, QPointF ground, double s, QColor body, bool right, bool rider,
                bool helmet) {
    enterSideView(p, ground, s, right);
    groundShadow(p, 74);
    const QPointF rear(-48, -22), front(50, -22);
    wheel(p, rear, 22, true);
    wheel(p, front, 22, true);
    p.setPen(outlinePen(4, QColor(70, 72, 80)));
    p.drawLine(rear, QPointF(-10, -46));
    p.drawLine(front, QPointF(34, -74)); // fork
    p.setPen(outlinePen(2));
    p.setBrush(QColor(150, 152, 160));
    p.drawRoundedRect(QRectF(-16, -50, 36, 24), 5, 5); // engine
    p.setBrush(QColor(190, 190, 196));
    p.drawRoundedRect(QRectF(-58, -36, 50, 8), 4, 4); // exhaust
    QPainterPath tank;
    tank.moveTo(-6, -58);
    tank.quadTo(6, -76, 32, -70);
    tank.lineTo(34, -56);
    tank.quadTo(12, -48, -6, -52);
    tank.closeSubpath();
    p.setBrush(bodyShade(body, -76, -48));
    p.drawPath(tank);
    p.setBrush(QColor(40, 40, 44));
    p.drawRoundedRect(QRectF(-46, -62, 42, 10), 5, 5); // seat
    p.setBrush(bodyShade(body, -64, -40));
    QPainterPath fender;
    fender.moveTo(-70, -30);
    fender.quadTo(-66, -52, -44, -52);
    fender.lineTo(-44, -46);
    fender.quadTo(-62, -46, -64, -30);
    fender.closeSubpath();
    p.drawPath(fender);
    p.setBrush(QColor(255, 248, 200));
    p.drawEllipse(QRectF(38, -80, 12, 12));
    p.setPen(outlinePen(3.5));
    p.drawLine(QPointF(32, -76), QPointF(22, -90)); // handlebar
    if (rider) {
        const QColor jacket(60, 80, 150);
        p.setPen(outlinePen(9, QColor(40, 46, 60)));
        p.drawLine(QPointF(-22, -64), QPointF(8, -62)); // thigh
        p.drawLine(QPointF(8, -62), QPointF(2, -36));   // shin
        p.setPen(outlinePen(2));
        p.setBrush(QColor(30, 30, 30));
        p.drawRoundedRect(QRectF(-4, -40, 16, 8), 3, 3);
        p.setBrush(jacket);
        QPainterPath torso;
        torso.moveTo(-32, -62);
        torso.lineTo(-12, -112);
        torso.quadTo(-4, -118, 4, -112);
        torso.lineTo(-6, -62);
        torso.closeSubpath();
        p.drawPath(torso);
        p.setPen(outlinePen(7, jacket.darker(130)));
        p.drawLine(QPointF(-6, -104), QPointF(20, -90));
        if (helmet) {
            helmetHead(p, QPointF(-2, -128), 13, QColor(230, 50, 50));
        } else {
            p.setPen(outlinePen(2));
            p.setBrush(ink::skin);
            p.drawEllipse(QPointF(-2, -128), 12, 12);
            p.setBrush(QColor(90, 60, 40));
            p.drawChord(QRectF(-14, -140, 24, 24), 20 * 16, 180 * 16);
        }
    }
    p.restore();
}

void bicycle(QPainter& p, QPointF ground, double s, QColor frame, bool right, bool rider,
             bool helmet) {
    enterSideView(p, ground, s, right);
    groundShadow(p, 70);
    const QPointF rear(-40, -28), front(42, -28), crank(-2, -28), seat(-16, -72), head(30, -74);
    wheel(p, rear, 28, true);
    wheel(p, front, 28, true);
    p.setPen(outlinePen(4.5, frame));
    p.drawLine(rear, crank);
    p.drawLine(rear, seat);
    p.drawLine(crank, seat);
    p.drawLine(crank, head);
    p.drawLine(seat + QPointF(2, 2), head);
    p.drawLine(head, front);
    p.setPen(outlinePen(3, QColor(60, 60, 66)));
    p.drawLine(head, head + QPointF(-4, -12));
    p.drawLine(head + QPointF(-4, -12), head + QPointF(8, -14)); // handlebar
    p.drawLine(seat, seat + QPointF(-1, -6));
    p.setPen(outlinePen(2));
    p.setBrush(QColor(40, 40, 44));
    p.drawRoundedRect(QRectF(seat.x() - 12, seat.y() - 10, 20, 6), 3, 3);
    p.setBrush(QColor(180, 180, 186));
    p.drawEllipse(crank, 7, 7);
    // Reflectors: red at the back, white at the front.
    p.setBrush(QColor(230, 40, 40));
    p.drawRect(QRectF(-62, -56, 7, 5));
    p.setBrush(QColor(255, 250, 210));
    p.drawEllipse(QRectF(30, -72, 8, 8));
    if (rider) {
        const QColor shirt(240, 140, 40);
        p.setPen(outlinePen(8, QColor(50, 60, 100)));
        p.drawLine(QPointF(-18, -80), QPointF(6, -64));
        p.drawLine(QPointF(6, -64), QPointF(6, -34));
        p.setPen(outlinePen(2));
        p.setBrush(QColor(40, 40, 40));
        p.drawRoundedRect(QRectF(2, -36, 14, 7), 3, 3);
        p.setBrush(shirt);
        QPainterPath torso;
        torso.moveTo(-26, -80);
        torso.lineTo(-4, -124);
        torso.quadTo(4, -128, 10, -120);
        torso.lineTo(-6, -78);
        torso.closeSubpath();
        p.drawPath(torso);
        p.setPen(outlinePen(6, shirt.darker(125)));
        p.drawLine(QPointF(2, -116), QPointF(34, -88));
        if (helmet) {
            helmetHead(p, QPointF(8, -138), 12, QColor(40, 160, 220));
        } else {
            p.setPen(outlinePen(2));
            p.setBrush(ink::skin);
            p.drawEllipse(QPointF(8, -138), 11, 11);
            p.setBrush(QColor(90, 60, 40));
            p.drawChord(QRectF(-3, -149, 22, 22), 20 * 16, 180 * 16);
        }
    }
    p.restore();
}

} // namespace art
