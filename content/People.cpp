#include "Art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace art {

namespace {

void limb(QPainter& p, QPointF a, QPointF b, double width, QColor colour) {
    // An outlined thick stroke: dark wide line under a coloured narrower one.
    p.setPen(QPen(ink::outline, width + 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(a, b);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(a, b);
}

void shoe(QPainter& p, QPointF at, double u) {
    p.setPen(outlinePen(1.5));
    p.setBrush(QColor(50, 44, 40));
    p.drawRoundedRect(QRectF(at.x() - u * 2.5, at.y() - u * 3, u * 8, u * 3.2), u, u);
}

} // namespace

void person(QPainter& p, QPointF feet, double height, const Person& who) {
    p.save();
    p.translate(feet);
    if (!who.right)
        p.scale(-1, 1);
    const double u = height / 100.0;
    const double hipY = who.child ? -45 * u : -48 * u;
    const double shoulderY = who.child ? -73 * u : -80 * u;
    const double headR = who.child ? 10 * u : 7.8 * u;
    const double headY = shoulderY - headR - 3 * u;
    const double torsoW = who.child ? 19 * u : 18 * u;
    const double swing = who.stride * 14 * u;

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(QPointF(0, 0), 16 * u, 2.5 * u);

    // Back limbs first, then torso, then front limbs, so the figure reads as one body.
    const QPointF hip(0, hipY);
    const QPointF shoulder(0, shoulderY + 3 * u);
    const QPointF backFoot(-swing, -1.5 * u), frontFoot(swing, -1.5 * u);
    auto handFor = [&](bool front) -> QPointF {
        if (front && who.armPose == 1)
            return {4 * u, shoulderY - 26 * u};
        if (front && who.armPose == 2)
            return {30 * u, shoulderY + 2 * u};
        const double armSwing = (front ? -1 : 1) * who.stride * 11 * u;
        return {armSwing, hipY - 2 * u};
    };
    limb(p, hip, backFoot, 7 * u, who.trousers.darker(115));
    shoe(p, backFoot, u);
    limb(p, shoulder, handFor(false), 5.5 * u, who.shirt.darker(120));

    if (who.backpack) {
        p.setPen(outlinePen(2));
        p.setBrush(QColor(230, 80, 60));
        p.drawRoundedRect(QRectF(-torsoW / 2 - 9 * u, shoulderY + 2 * u, 11 * u, 24 * u), 3 * u,
                          3 * u);
        p.setBrush(QColor(250, 220, 60));
        p.drawRect(QRectF(-torsoW / 2 - 8 * u, shoulderY + 14 * u, 3 * u, 3 * u));
    }

    p.setPen(outlinePen(2));
    if (who.girl) {
        QPainterPath dress;
        dress.moveTo(-torsoW / 2, shoulderY);
        dress.lineTo(torsoW / 2, shoulderY);
        dress.lineTo(torsoW / 2 + 6 * u, hipY + 10 * u);
        dress.lineTo(-torsoW / 2 - 6 * u, hipY + 10 * u);
        dress.closeSubpath();
        p.setBrush(who.shirt);
        p.drawPath(dress);
    } else {
        p.setBrush(who.shirt);
        p.drawRoundedRect(QRectF(-torsoW / 2, shoulderY, torsoW, hipY - shoulderY + 4 * u), 5 * u,
                          5 * u);
    }
    limb(p, hip, frontFoot, 7 * u, who.trousers);
    shoe(p, frontFoot, u);
    limb(p, shoulder, handFor(true), 5.5 * u, who.shirt);
    p.setPen(outlinePen(1.5));
    p.setBrush(ink::skin);
    p.drawEllipse(handFor(true), 2.6 * u, 2.6 * u);

    if (who.reflector) {
        const QPointF at(torsoW * 0.1, shoulderY + 12 * u);
        QRadialGradient glow(at, 9 * u);
        glow.setColorAt(0, QColor(230, 255, 120, 220));
        glow.setColorAt(1, QColor(230, 255, 120, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(at, 9 * u, 9 * u);
        p.setPen(outlinePen(1));
        p.setBrush(QColor(220, 255, 90));
        p.drawEllipse(at, 3.2 * u, 3.2 * u);
    }

    // Head, turned as asked (in screen terms, so undo the mirroring for the turn).
    const int turn = who.right ? who.headTurn : -who.headTurn;
    const QPointF headC(turn * 1.5 * u, headY);
    p.setPen(outlinePen(2));
    p.setBrush(ink::skin);
    p.drawEllipse(headC, headR, headR);
    p.setBrush(who.hair);
    const double hairSide = turn < 0 ? 1 : -1; // hair covers the back of the head
    QPainterPath hair;
    hair.moveTo(headC + QPointF(-headR * 1.02, 0));
    hair.arcTo(QRectF(headC.x() - headR * 1.05, headC.y() - headR * 1.08, headR * 2.1, headR * 2.1),
               180, -180);
    hair.lineTo(headC + QPointF(hairSide * headR * 0.2, -headR * 0.35));
    hair.closeSubpath();
    p.drawPath(hair);
    if (who.girl) {
        p.drawEllipse(headC + QPointF(hairSide * headR * 1.05, headR * 0.1), headR * 0.35,
                      headR * 0.55);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(ink::outline);
    const double eyeX = turn == 0 ? headR * 0.45 : (turn > 0 ? headR * 0.5 : -headR * 0.5);
    p.drawEllipse(headC + QPointF(eyeX, -headR * 0.05), headR * 0.11, headR * 0.13);
    p.setPen(QPen(QColor(170, 80, 70), u * 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(
        QRectF(headC.x() + eyeX - headR * 0.3, headC.y() + headR * 0.2, headR * 0.5, headR * 0.3),
        200 * 16, 140 * 16);
    p.restore();
}

void controller(QPainter& p, QPointF feet, double height, int pose) {
    p.save();
    p.translate(feet);
    const double u = height / 100.0;
    const QColor uniform(40, 60, 110);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(QPointF(0, 0), 20 * u, 3 * u);
    limb(p, QPointF(-5 * u, -48 * u), QPointF(-7 * u, -2 * u), 8 * u, uniform.darker(120));
    limb(p, QPointF(5 * u, -48 * u), QPointF(7 * u, -2 * u), 8 * u, uniform.darker(120));
    p.setPen(outlinePen(1.5));
    p.setBrush(QColor(30, 30, 30));
    p.drawRoundedRect(QRectF(-13 * u, -4 * u, 10 * u, 4 * u), u, u);
    p.drawRoundedRect(QRectF(3 * u, -4 * u, 10 * u, 4 * u), u, u);
    p.setPen(outlinePen(2));
    p.setBrush(uniform);
    p.drawRoundedRect(QRectF(-12 * u, -82 * u, 24 * u, 38 * u), 5 * u, 5 * u);
    // Reflective vest stripes.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 250, 80));
    p.drawRect(QRectF(-12 * u, -62 * u, 24 * u, 3.5 * u));
    p.drawRect(QRectF(-12 * u, -54 * u, 24 * u, 3.5 * u));

    QPointF leftHand(-16 * u, -46 * u), rightHand(16 * u, -46 * u);
    if (pose == 1) {
        rightHand = QPointF(8 * u, -112 * u);
    } else if (pose == 2) {
        leftHand = QPointF(-40 * u, -78 * u);
        rightHand = QPointF(40 * u, -78 * u);
    }
    limb(p, QPointF(-10 * u, -78 * u), leftHand, 6 * u, uniform);
    limb(p, QPointF(10 * u, -78 * u), rightHand, 6 * u, uniform);
    p.setPen(outlinePen(1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(leftHand, 3.2 * u, 3.2 * u);
    p.drawEllipse(rightHand, 3.2 * u, 3.2 * u);
    // Baton: black and white stripes, held in the right hand.
    p.save();
    p.translate(rightHand);
    p.rotate(pose == 1 ? -10 : (pose == 2 ? -70 : 10));
    for (int i = 0; i < 6; ++i) {
        p.setBrush(i % 2 ? Qt::black : Qt::white);
        p.drawRect(QRectF(-1.6 * u, -i * 4 * u - 4 * u, 3.2 * u, 4 * u));
    }
    p.restore();

    const QPointF headC(0, -91 * u);
    p.setPen(outlinePen(2));
    p.setBrush(ink::skin);
    p.drawEllipse(headC, 8 * u, 8 * u);
    p.setBrush(uniform.darker(110));
    p.drawRoundedRect(QRectF(-10 * u, -103 * u, 20 * u, 6 * u), 2 * u, 2 * u);
    p.setBrush(QColor(30, 30, 40));
    p.drawRect(QRectF(-9 * u, -98 * u, 18 * u, 2 * u));
    p.setPen(Qt::NoPen);
    p.setBrush(ink::outline);
    p.drawEllipse(headC + QPointF(-3 * u, 0), 1 * u, 1.2 * u);
    p.drawEllipse(headC + QPointF(3 * u, 0), 1 * u, 1.2 * u);
    p.restore();
}

} // namespace art
