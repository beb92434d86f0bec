#include "Cursors.h"

#include "ResourceIds.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <cmath>

namespace {

// Cursor images are designed on a 32 × 32 grid (the classic Windows cursor size).
constexpr int kCursorSize = 32;

QPainterPath roundedRect(qreal x, qreal y, qreal w, qreal h, qreal r) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

// A closed outline through the polygon's corners.
QPainterPath polygonPath(const QPolygonF& polygon) {
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return path;
}

// Pointing hand, index finger up; hot spot at the fingertip.
QPainterPath pointingHand() {
    QPainterPath hand = roundedRect(10, 1, 6, 18, 3);
    hand = hand.united(roundedRect(15.5, 9, 5.5, 12, 2.75));
    hand = hand.united(roundedRect(20.5, 10, 5.5, 11, 2.75));
    hand = hand.united(roundedRect(25.5, 12, 5, 10, 2.5));
    hand = hand.united(roundedRect(10, 15, 20.5, 15, 5));
    QPainterPath thumb;
    thumb.moveTo(10.5, 18);
    thumb.lineTo(6, 14.5);
    thumb.quadTo(3, 13, 2.5, 16.5);
    thumb.lineTo(10.5, 27);
    thumb.closeSubpath();
    return hand.united(thumb).simplified();
}

// Closed hand holding the picture; hot spot in the palm.
QPainterPath grabbingHand() {
    QPainterPath hand = roundedRect(7, 11, 20, 16, 5);
    for (int i = 0; i < 4; ++i)
        hand = hand.united(roundedRect(8 + i * 4.75, 7.5, 5.25, 8, 2.6));
    QPainterPath thumb;
    thumb.moveTo(8, 15);
    thumb.quadTo(3, 14, 3.5, 18.5);
    thumb.lineTo(8, 23);
    thumb.closeSubpath();
    return hand.united(thumb).simplified();
}

// Magnifier with a plus; hot spot in the lens centre.
QPainterPath magnifier() {
    QPainterPath lens;
    lens.addEllipse(QPointF(13, 13), 10.5, 10.5);
    const QPainterPath handle = polygonPath({{19, 22.5}, {22.5, 19}, {30.5, 27}, {27, 30.5}});
    return lens.united(handle).simplified();
}

// Double arrow left-right, and the four-way arrow, around the centre (16, 16): shafts 6 px
// wide, heads 12 px wide and 8 px long, tips 15 px from the centre.
QPainterPath arrowHeads(bool vertical) {
    QPainterPath path = polygonPath(QRectF(8, 13, 16, 6));
    path = path.united(polygonPath({{9, 10}, {1, 16}, {9, 22}}));
    path = path.united(polygonPath({{23, 10}, {31, 16}, {23, 22}}));
    if (vertical) {
        path = path.united(polygonPath(QRectF(13, 8, 6, 16)));
        path = path.united(polygonPath({{10, 9}, {16, 1}, {22, 9}}));
        path = path.united(polygonPath({{10, 23}, {16, 31}, {22, 23}}));
    }
    return path;
}

// A polygon given in a frame along a direction: each point is (along, across) from origin.
QPainterPath alongPath(QPointF origin, QPointF direction, const QList<QPointF>& points) {
    const QPointF d = direction / std::hypot(direction.x(), direction.y());
    const QPointF n(-d.y(), d.x());
    QPolygonF polygon;
    for (const QPointF& p : points)
        polygon << origin + d * p.x() + n * p.y();
    return polygonPath(polygon);
}

// A pencil lying from its tip in the lower left corner up to the right.
const QPointF kPencilTip(2, 30);
const QPointF kPencilAxis(1, -1);

QPainterPath pencil() {
    return alongPath(kPencilTip, kPencilAxis,
                     {{0, 0}, {9, -4.5}, {33, -4.5}, {36, -2}, {36, 2}, {33, 4.5}, {9, 4.5}});
}

QPainterPath pencilLead() {
    return alongPath(kPencilTip, kPencilAxis, {{0, 0}, {9, -4.5}, {9, 4.5}});
}

// A cross round the hot spot (9, 9), open in the middle so the spot itself stays visible.
QPainterPath crossHair() {
    QPainterPath path = polygonPath(QRectF(0, 7.5, 6, 3));
    path = path.united(polygonPath(QRectF(12, 7.5, 6, 3)));
    path = path.united(polygonPath(QRectF(7.5, 0, 3, 6)));
    path = path.united(polygonPath(QRectF(7.5, 12, 3, 6)));
    return path;
}

// The small arrow beside the cross, pointing up to the right.
QPainterPath smallArrow() {
    return alongPath(
        QPointF(13, 31), QPointF(1, -1),
        {{0, -1.75}, {16, -1.75}, {16, -5.5}, {24, 0}, {16, 5.5}, {16, 1.75}, {0, 1.75}});
}

struct CursorDesign {
    QPainterPath shape;
    QPoint hotSpot;
    bool plus = false; // the magnifier's plus sign
    QPainterPath red;  // filled red over the shape (the tools that draw in red)
};

bool designFor(int id, CursorDesign* out) {
    switch (id) {
    case ResId::kCurPoint:
        *out = {pointingHand(), QPoint(13, 1), false, {}};
        return true;
    case ResId::kCurDrag:
        *out = {grabbingHand(), QPoint(16, 18), false, {}};
        return true;
    case ResId::kCurZoom:
        *out = {magnifier(), QPoint(13, 13), true, {}};
        return true;
    case ResId::kCurPlayback: // steps back or forward by the half of the screen
        *out = {arrowHeads(false), QPoint(16, 16), false, {}};
        return true;
    case ResId::kCurMovePicture:
        *out = {arrowHeads(true), QPoint(16, 16), false, {}};
        return true;
    case ResId::kCurPen:
        *out = {pencil(), kPencilTip.toPoint(), false, pencilLead()};
        return true;
    case ResId::kCurArrowTool:
        *out = {crossHair(), QPoint(9, 9), false, smallArrow()};
        return true;
    default:
        return false;
    }
}

QHash<int, QCursor>* g_cache = nullptr;

qreal screenRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

} // namespace

namespace Cursors {

QImage image(int id, QPoint* hotSpot, qreal devicePixelRatio) {
    CursorDesign design;
    if (!designFor(id, &design))
        return {};
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int side = static_cast<int>(std::ceil(kCursorSize * dpr));
    QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(Qt::black, 2.0);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::white);
    p.drawPath(design.shape);
    if (design.plus) {
        p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(8, 13), QPointF(18, 13));
        p.drawLine(QPointF(13, 8), QPointF(13, 18));
    }
    if (!design.red.isEmpty()) {
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(QColor(255, 0, 0));
        p.drawPath(design.red);
    }
    if (hotSpot)
        *hotSpot = design.hotSpot;
    return img;
}

QCursor cursor(int id) {
    // Held until the application object goes: cursor pixmaps must not outlive it.
    if (!g_cache) {
        g_cache = new QHash<int, QCursor>;
        qAddPostRoutine([] {
            delete g_cache;
            g_cache = nullptr;
        });
    }
    const auto found = g_cache->constFind(id);
    if (found != g_cache->constEnd())
        return *found;
    QPoint hot;
    const QImage img = image(id, &hot, screenRatio());
    const QCursor made = img.isNull() ? QCursor(Qt::ArrowCursor)
                                      : QCursor(QPixmap::fromImage(img), hot.x(), hot.y());
    g_cache->insert(id, made);
    return made;
}

} // namespace Cursors
