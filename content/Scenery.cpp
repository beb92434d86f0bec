#include "Art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace art {

QPen outlinePen(double width, QColor colour) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QFont font(double pixelSize, bool bold, bool serif) {
    QFont f(serif ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans"));
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting); // same glyphs at every plate scale
    return f;
}

void sky(QPainter& p, const QRectF& r, bool evening) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (evening) {
        g.setColorAt(0, QColor(28, 36, 84));
        g.setColorAt(0.7, QColor(92, 70, 132));
        g.setColorAt(1, QColor(220, 130, 110));
    } else {
        g.setColorAt(0, QColor(120, 182, 245));
        g.setColorAt(1, QColor(214, 236, 252));
    }
    p.fillRect(r, g);
}

void sun(QPainter& p, QPointF centre, double radius) {
    p.save();
    QRadialGradient glow(centre, radius * 2.2);
    glow.setColorAt(0, QColor(255, 240, 150, 160));
    glow.setColorAt(1, QColor(255, 240, 150, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, radius * 2.2, radius * 2.2);
    p.setBrush(QColor(255, 214, 64));
    p.drawEllipse(centre, radius, radius);
    p.restore();
}

void cloud(QPainter& p, QPointF c, double w) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    const double h = w * 0.32;
    QPainterPath path;
    path.addRoundedRect(QRectF(c.x() - w / 2, c.y() - h * 0.1, w, h * 0.6), h * 0.3, h * 0.3);
    path.addEllipse(QPointF(c.x() - w * 0.18, c.y()), w * 0.2, h * 0.55);
    path.addEllipse(QPointF(c.x() + w * 0.12, c.y() - h * 0.2), w * 0.24, h * 0.75);
    path.setFillRule(Qt::WindingFill);
    p.drawPath(path);
    p.restore();
}

void grass(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, ink::grass);
    g.setColorAt(1, ink::grassDark);
    p.fillRect(r, g);
}

void tree(QPainter& p, QPointF base, double h, int kind) {
    p.save();
    p.setPen(outlinePen(2));
    p.setBrush(QColor(120, 84, 52));
    const double trunkW = h * 0.09;
    p.drawRect(QRectF(base.x() - trunkW / 2, base.y() - h * 0.45, trunkW, h * 0.45));
    if (kind % 2 == 0) {
        // Broad-leaved: three overlapping crowns.
        p.setBrush(QColor(70, 150, 70));
        QPainterPath crown;
        crown.addEllipse(QPointF(base.x(), base.y() - h * 0.7), h * 0.3, h * 0.3);
        crown.addEllipse(QPointF(base.x() - h * 0.2, base.y() - h * 0.52), h * 0.22, h * 0.2);
        crown.addEllipse(QPointF(base.x() + h * 0.2, base.y() - h * 0.54), h * 0.22, h * 0.2);
        p.drawPath(crown.simplified());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(110, 185, 95, 170));
        p.drawEllipse(QPointF(base.x() - h * 0.08, base.y() - h * 0.8), h * 0.12, h * 0.09);
    } else {
        // Fir: stacked triangles.
        p.setBrush(QColor(46, 120, 76));
        for (int i = 2; i >= 0; --i) {
            const double top = base.y() - h * (1.0 - i * 0.18);
            const double bottom = base.y() - h * (0.3 + 0.12 * (2 - i));
            const double half = h * (0.16 + i * 0.07);
            const QPointF tri[3] = {
                {base.x(), top}, {base.x() + half, bottom}, {base.x() - half, bottom}};
            p.drawPolygon(tri, 3);
        }
    }
    p.restore();
}

void house(QPainter& p, const QRectF& r, QColor wall, QColor roof, int floors, bool lit) {
    p.save();
    p.setPen(outlinePen(2));
    p.setBrush(wall);
    p.drawRect(r);
    const double roofH = r.width() * 0.12;
    p.setBrush(roof);
    const QPointF roofPts[4] = {{r.left() - 6, r.top()},
                                {r.left() + r.width() * 0.12, r.top() - roofH},
                                {r.right() - r.width() * 0.12, r.top() - roofH},
                                {r.right() + 6, r.top()}};
    p.drawPolygon(roofPts, 4);
    const int cols = qMax(2, int(r.width() / 48));
    const double floorH = r.height() / floors;
    const double winW = r.width() / cols * 0.5;
    const double winH = floorH * 0.5;
    p.setPen(outlinePen(1.5));
    for (int f = 0; f < floors; ++f)
        for (int c = 0; c < cols; ++c) {
            const QRectF win(r.left() + (c + 0.25) * r.width() / cols,
                             r.top() + f * floorH + floorH * 0.22, winW, winH);
            const bool on = lit && ((f * 7 + c * 3) % 4 != 0);
            p.setBrush(on ? QColor(255, 222, 120) : QColor(170, 210, 240));
            p.drawRect(win);
            p.drawLine(QPointF(win.center().x(), win.top()),
                       QPointF(win.center().x(), win.bottom()));
        }
    p.restore();
}

void street(QPainter& p, double width, double roadTop, double roadBottom, bool centreLine) {
    p.save();
    const double kerbH = 8;
    // Far pavement above the road, near pavement below it.
    p.fillRect(QRectF(0, roadTop - 34, width, 34), ink::pavement);
    p.fillRect(QRectF(0, roadTop - kerbH, width, kerbH), ink::kerb);
    QLinearGradient g(0, roadTop, 0, roadBottom);
    g.setColorAt(0, ink::asphaltDark);
    g.setColorAt(1, ink::asphalt);
    p.fillRect(QRectF(0, roadTop, width, roadBottom - roadTop), g);
    p.fillRect(QRectF(0, roadBottom, width, kerbH), ink::kerb);
    p.fillRect(QRectF(0, roadBottom + kerbH, width, 60), ink::pavement);
    p.setPen(QPen(QColor(190, 180, 160), 1));
    for (double x = 0; x < width; x += 40)
        p.drawLine(QPointF(x, roadBottom + kerbH), QPointF(x - 12, roadBottom + kerbH + 60));
    if (centreLine) {
        const double mid = (roadTop + roadBottom) / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 240, 240));
        for (double x = 10; x < width; x += 70)
            p.drawRect(QRectF(x, mid - 2.5, 40, 5));
    }
    p.restore();
}

void zebra(QPainter& p, double x0, double x1, double roadTop, double roadBottom) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 245));
    const int stripes = 6;
    const double h = roadBottom - roadTop;
    const double slant = (x1 - x0) * 0.18; // the far edge looks narrower
    for (int i = 0; i < stripes; ++i) {
        const double t0 = double(i) / stripes, t1 = t0 + 0.55 / stripes;
        const double yTop = roadTop + 4 + t0 * (h - 8);
        const double yBot = roadTop + 4 + t1 * (h - 8);
        const double shrinkTop = slant * (1 - t0), shrinkBot = slant * (1 - t1);
        const QPointF quad[4] = {{x0 + shrinkTop * 0.5, yTop},
                                 {x1 - shrinkTop * 0.5, yTop},
                                 {x1 - shrinkBot * 0.5, yBot},
                                 {x0 + shrinkBot * 0.5, yBot}};
        p.drawPolygon(quad, 4);
    }
    p.restore();
}

void arrow(QPainter& p, const std::vector<QPointF>& pts, QColor colour, double width) {
    if (pts.size() < 2)
        return;
    p.save();
    const QPointF tip = pts.back();
    const QPointF from = pts[pts.size() - 2];
    const double head = width * 2.6;
    QLineF back(tip, from);
    back.setLength(head);
    QPainterPath shaft;
    shaft.moveTo(pts.front());
    for (std::size_t i = 1; i + 1 < pts.size(); ++i)
        shaft.lineTo(pts[i]);
    shaft.lineTo(back.p2());
    p.setBrush(Qt::NoBrush);
    p.setPen(
        QPen(QColor(255, 255, 255, 200), width + 5, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(shaft);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(shaft);
    QLineF wing1 = back.normalVector();
    wing1.setLength(head * 0.7);
    const QPointF headPts[3] = {tip, back.p2() + (wing1.p2() - wing1.p1()),
                                back.p2() - (wing1.p2() - wing1.p1())};
    p.setPen(outlinePen(2, QColor(255, 255, 255, 200)));
    p.setBrush(colour);
    p.drawPolygon(headPts, 3);
    p.restore();
}

void badge(QPainter& p, QPointF centre, const QString& text, double px, QColor fill,
           QColor textColour) {
    p.save();
    const QFont f = font(px, true);
    p.setFont(f);
    const QFontMetricsF fm(f);
    const double w = fm.horizontalAdvance(text) + px * 1.2;
    const double h = px * 1.7;
    const QRectF r(centre.x() - w / 2, centre.y() - h / 2, w, h);
    p.setPen(outlinePen(2, QColor(0, 0, 0, 60)));
    p.setBrush(fill);
    p.drawRoundedRect(r, h / 2, h / 2);
    p.setPen(textColour);
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

void hint(QPainter& p, double w, double h, const QString& text) {
    p.save();
    const QFont f = font(22, true);
    p.setFont(f);
    const QFontMetricsF fm(f);
    const double boxW = qMin(w - 40, fm.horizontalAdvance(text) + 40);
    const QRectF r((w - boxW) / 2, h - 62, boxW, 44);
    p.setPen(outlinePen(2, QColor(40, 40, 60, 90)));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(r, 14, 14);
    p.setPen(QColor(30, 40, 70));
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

void verdict(QPainter& p, QPointF c, double r, bool right) {
    p.save();
    p.setPen(outlinePen(3, QColor(255, 255, 255)));
    p.setBrush(right ? QColor(46, 170, 80) : QColor(220, 50, 50));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(Qt::white, r * 0.22, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (right) {
        const QPointF tick[3] = {c + QPointF(-r * 0.45, 0), c + QPointF(-r * 0.1, r * 0.38),
                                 c + QPointF(r * 0.48, -r * 0.38)};
        p.drawPolyline(tick, 3);
    } else {
        p.drawLine(c + QPointF(-r * 0.4, -r * 0.4), c + QPointF(r * 0.4, r * 0.4));
        p.drawLine(c + QPointF(r * 0.4, -r * 0.4), c + QPointF(-r * 0.4, r * 0.4));
    }
    p.restore();
}

void roadTop(QPainter& p, const QRectF& r, bool horizontal, bool centreLine) {
    p.save();
    p.fillRect(r, ink::asphalt);
    p.setPen(QPen(ink::kerb, 6));
    if (horizontal) {
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.bottomLeft(), r.bottomRight());
    } else {
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    if (centreLine) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 240, 240));
        if (horizontal)
            for (double x = r.left() + 10; x < r.right() - 20; x += 50)
                p.drawRect(QRectF(x, r.center().y() - 2, 28, 4));
        else
            for (double y = r.top() + 10; y < r.bottom() - 20; y += 50)
                p.drawRect(QRectF(r.center().x() - 2, y, 4, 28));
    }
    p.restore();
}

void zebraTop(QPainter& p, const QRectF& r, bool stripesVertical) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 245));
    if (stripesVertical)
        for (double x = r.left() + 3; x + 8 <= r.right(); x += 18)
            p.drawRect(QRectF(x, r.top(), 9, r.height()));
    else
        for (double y = r.top() + 3; y + 8 <= r.bottom(); y += 18)
            p.drawRect(QRectF(r.left(), y, r.width(), 9));
    p.restore();
}

void carTop(QPainter& p, QPointF c, double angle, QColor body, double len) {
    p.save();
    p.translate(c);
    p.rotate(angle);
    const double w = len * 0.48;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRoundedRect(QRectF(-len / 2 + 3, -w / 2 + 4, len, w), w * 0.3, w * 0.3);
    p.setPen(outlinePen(2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(-len / 2, -w / 2, len, w), w * 0.3, w * 0.3);
    p.setBrush(QColor(150, 200, 235));
    p.drawRoundedRect(QRectF(len * 0.08, -w * 0.38, len * 0.16, w * 0.76), 4, 4);  // windscreen
    p.drawRoundedRect(QRectF(-len * 0.36, -w * 0.34, len * 0.12, w * 0.68), 4, 4); // rear
    p.setBrush(body.lighter(115));
    p.drawRoundedRect(QRectF(-len * 0.22, -w * 0.38, len * 0.3, w * 0.76), 5, 5); // roof
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 170));
    p.drawEllipse(QPointF(len * 0.47, -w * 0.32), 3.5, 3.5);
    p.drawEllipse(QPointF(len * 0.47, w * 0.32), 3.5, 3.5);
    p.restore();
}

void truckTop(QPainter& p, QPointF c, double angle, QColor cab, double len) {
    p.save();
    p.translate(c);
    p.rotate(angle);
    const double w = len * 0.32;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRect(QRectF(-len / 2 + 4, -w / 2 + 5, len, w));
    p.setPen(outlinePen(2));
    p.setBrush(QColor(200, 200, 190));
    p.drawRect(QRectF(-len / 2, -w / 2, len * 0.72, w));
    p.setPen(QPen(QColor(160, 160, 150), 1.5));
    for (double x = -len / 2 + 14; x < -len / 2 + len * 0.72; x += 14)
        p.drawLine(QPointF(x, -w / 2 + 3), QPointF(x, w / 2 - 3));
    p.setPen(outlinePen(2));
    p.setBrush(cab);
    p.drawRoundedRect(QRectF(len * 0.25, -w / 2, len * 0.25, w), 6, 6);
    p.setBrush(QColor(150, 200, 235));
    p.drawRect(QRectF(len * 0.42, -w * 0.4, len * 0.05, w * 0.8));
    p.restore();
}

void personTop(QPainter& p, QPointF c, QColor shirt, double size) {
    p.save();
    p.setPen(outlinePen(1.5));
    p.setBrush(shirt);
    p.drawEllipse(c, size * 0.6, size * 0.35);
    p.setBrush(QColor(90, 60, 40));
    p.drawEllipse(c, size * 0.25, size * 0.25);
    p.restore();
}

// ---- traffic lights ----

namespace {

QColor lampColour(int index, Lamp lamp) {
    const bool red = lamp == Lamp::Red || lamp == Lamp::RedYellow;
    const bool yellow = lamp == Lamp::Yellow || lamp == Lamp::RedYellow;
    const bool green = lamp == Lamp::Green;
    switch (index) {
    case 0:
        return red ? QColor(255, 50, 40) : QColor(90, 30, 30);
    case 1:
        return yellow ? QColor(255, 200, 30) : QColor(90, 75, 25);
    default:
        return green ? QColor(40, 230, 90) : QColor(25, 80, 40);
    }
}

void glowLamp(QPainter& p, QPointF c, double r, QColor colour, bool lit) {
    if (lit) {
        QRadialGradient glow(c, r * 2.2);
        QColor halo = colour;
        halo.setAlpha(120);
        glow.setColorAt(0, halo);
        halo.setAlpha(0);
        glow.setColorAt(1, halo);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, r * 2.2, r * 2.2);
    }
    p.setPen(outlinePen(1.5, QColor(20, 20, 20)));
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.2);
    g.setColorAt(0, lit ? colour.lighter(150) : colour.lighter(110));
    g.setColorAt(1, colour);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

} // namespace

void trafficLight(QPainter& p, QPointF base, double height, Lamp lamp, bool onPole) {
    p.save();
    const double boxH = onPole ? height * 0.42 : height;
    const double boxW = boxH * 0.38;
    const double boxTop = base.y() - height;
    if (onPole) {
        p.setPen(outlinePen(2));
        p.setBrush(QColor(70, 74, 80));
        p.drawRect(QRectF(base.x() - boxW * 0.12, boxTop + boxH, boxW * 0.24, height - boxH));
    }
    p.setPen(outlinePen(2.5));
    p.setBrush(QColor(40, 44, 50));
    p.drawRoundedRect(QRectF(base.x() - boxW / 2, boxTop, boxW, boxH), boxW * 0.22, boxW * 0.22);
    const double r = boxW * 0.3;
    for (int i = 0; i < 3; ++i) {
        const QPointF c(base.x(), boxTop + boxH * (0.18 + 0.32 * i));
        // Visor above each lamp.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(25, 28, 32));
        p.drawChord(QRectF(c.x() - r * 1.25, c.y() - r * 1.25, r * 2.5, r * 2.5), 0, 180 * 16);
        const QColor col = lampColour(i, lamp);
        const bool lit = (i == 0 && (lamp == Lamp::Red || lamp == Lamp::RedYellow)) ||
                         (i == 1 && (lamp == Lamp::Yellow || lamp == Lamp::RedYellow)) ||
                         (i == 2 && lamp == Lamp::Green);
        glowLamp(p, c, r, col, lit);
    }
    p.restore();
}

void pedestrianLight(QPainter& p, QPointF base, double height, bool go, bool onPole) {
    p.save();
    const double boxH = onPole ? height * 0.36 : height;
    const double boxW = boxH * 0.5;
    const double boxTop = base.y() - height;
    if (onPole) {
        p.setPen(outlinePen(2));
        p.setBrush(QColor(70, 74, 80));
        p.drawRect(QRectF(base.x() - boxW * 0.1, boxTop + boxH, boxW * 0.2, height - boxH));
    }
    p.setPen(outlinePen(2.5));
    p.setBrush(QColor(40, 44, 50));
    p.drawRoundedRect(QRectF(base.x() - boxW / 2, boxTop, boxW, boxH), boxW * 0.16, boxW * 0.16);
    for (int i = 0; i < 2; ++i) {
        const QRectF cell(base.x() - boxW * 0.4, boxTop + boxH * (0.05 + 0.48 * i), boxW * 0.8,
                          boxH * 0.42);
        const bool lit = (i == 0) != go;
        p.setPen(outlinePen(1.5, QColor(20, 20, 20)));
        p.setBrush(QColor(22, 24, 28));
        p.drawRoundedRect(cell, 4, 4);
        const QColor on = i == 0 ? QColor(255, 60, 50) : QColor(50, 235, 110);
        const QColor off = i == 0 ? QColor(90, 35, 35) : QColor(30, 85, 50);
        const QRectF icon = cell.adjusted(cell.width() * 0.12, cell.height() * 0.08,
                                          -cell.width() * 0.12, -cell.height() * 0.08);
        if (i == 0) {
            // Standing man: head, body, legs together.
            p.setPen(Qt::NoPen);
            p.setBrush(lit ? on : off);
            const double u = icon.height() / 10;
            const double cx = icon.center().x();
            p.drawEllipse(QPointF(cx, icon.top() + u), u * 0.9, u * 0.9);
            p.drawRoundedRect(QRectF(cx - u * 1.3, icon.top() + u * 2.1, u * 2.6, u * 4), u * 0.6,
                              u * 0.6);
            p.drawRect(QRectF(cx - u * 1.0, icon.top() + u * 5.8, u * 0.8, u * 4));
            p.drawRect(QRectF(cx + u * 0.2, icon.top() + u * 5.8, u * 0.8, u * 4));
        } else {
            walkerIcon(p, icon, lit ? on : off);
        }
    }
    p.restore();
}

void trafficLightTop(QPainter& p, QPointF c, double angle, Lamp lamp) {
    p.save();
    p.translate(c);
    p.rotate(angle);
    p.setPen(outlinePen(2));
    p.setBrush(QColor(40, 44, 50));
    p.drawRoundedRect(QRectF(-10, -26, 20, 52), 6, 6);
    for (int i = 0; i < 3; ++i) {
        const bool lit = (i == 0 && (lamp == Lamp::Red || lamp == Lamp::RedYellow)) ||
                         (i == 1 && (lamp == Lamp::Yellow || lamp == Lamp::RedYellow)) ||
                         (i == 2 && lamp == Lamp::Green);
        glowLamp(p, QPointF(0, -16 + 16 * i), 6, lampColour(i, lamp), lit);
    }
    p.restore();
}

} // namespace art
