#include "DrawnBitmaps.h"

#include "ResourceIds.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace {

// Glyphs are designed in boxes of 100 units height; wide buttons get 160-unit-wide boxes.
const QColor kOutline(0x1f, 0x2a, 0x44);
const QColor kBlue(0x2f, 0x6f, 0xd0);
const QColor kGreen(0x2e, 0x9e, 0x44);
const QColor kRed(0xd2, 0x32, 0x2a);
const QColor kOrange(0xe8, 0x74, 0x10);

QPainterPath closedPath(std::initializer_list<QPointF> corners) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(corners)));
    path.closeSubpath();
    return path;
}

QPen outline(qreal width = 4.0) {
    QPen pen(kOutline, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A shape filled with the brush inside the dark outline of that width.
void drawOutlined(QPainter& p, const QPainterPath& shape, const QBrush& brush, qreal width) {
    p.setPen(outline(width));
    p.setBrush(brush);
    p.drawPath(shape);
}

QPainterPath rectPath(const QRectF& r) {
    QPainterPath path;
    path.addRect(r);
    return path;
}

template <class... Args> QPainterPath ellipsePath(Args... args) {
    QPainterPath path;
    path.addEllipse(args...);
    return path;
}

void fillFace(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, top);
    g.setColorAt(1.0, bottom);
    p.fillRect(r, g);
}

// Scales and centres a design box of w × h units into `area`, keeping its proportions.
void fitDesignBox(QPainter& p, const QRectF& area, qreal w, qreal h) {
    const qreal s = std::min(area.width() / w, area.height() / h);
    p.translate(area.center().x() - w * s / 2.0, area.center().y() - h * s / 2.0);
    p.scale(s, s);
}

// A thick stroke drawn as a filled, outlined shape (reads better than a plain line).
void drawBar(QPainter& p, const QPainterPath& centreLine, qreal width, const QColor& fill,
             Qt::PenCapStyle cap = Qt::FlatCap) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath shape = stroker.createStroke(centreLine).simplified();
    drawOutlined(p, shape, fill, 3.0);
}

void drawBadge(QPainter& p, QPointF centre, qreal radius, const QColor& fill) {
    drawOutlined(p, ellipsePath(centre, radius, radius), fill, 3.5);
}

void drawPlusBadge(QPainter& p, QPointF c, qreal r) {
    drawBadge(p, c, r, kGreen);
    const qreal arm = r * 0.58;
    p.setPen(QPen(Qt::white, r * 0.34, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
}

void drawCrossBadge(QPainter& p, QPointF c, qreal r) {
    drawBadge(p, c, r, kRed);
    const qreal arm = r * 0.45;
    p.setPen(QPen(Qt::white, r * 0.32, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - arm, c.y() - arm), QPointF(c.x() + arm, c.y() + arm));
    p.drawLine(QPointF(c.x() + arm, c.y() - arm), QPointF(c.x() - arm, c.y() + arm));
}

// A framed landscape: the sign for "an illustration" in a 100 × 100 box.
void drawPicture(QPainter& p) {
    const QRectF frame(6, 16, 88, 68);
    const QRectF inner = frame.adjusted(6, 6, -6, -6);
    drawOutlined(p, rectPath(frame), Qt::white, 4.0);
    QLinearGradient sky(inner.topLeft(), inner.bottomLeft());
    sky.setColorAt(0.0, QColor(0x7c, 0xc8, 0xf8));
    sky.setColorAt(1.0, QColor(0xd8, 0xf1, 0xff));
    p.setPen(Qt::NoPen);
    p.fillRect(inner, sky);
    p.setBrush(QColor(0xff, 0xc4, 0x00));
    p.drawEllipse(QPointF(72, 36), 8, 8);
    QPainterPath hills;
    hills.moveTo(inner.left(), inner.bottom());
    hills.lineTo(inner.left(), 62);
    hills.quadTo(30, 42, 48, 62);
    hills.quadTo(64, 48, inner.right(), 64);
    hills.lineTo(inner.right(), inner.bottom());
    hills.closeSubpath();
    p.setBrush(QColor(0x3a, 0x9d, 0x3a));
    p.drawPath(hills);
    drawOutlined(p, rectPath(inner), Qt::NoBrush, 2.5);
}

void drawNewLesson(QPainter& p) {
    const QPainterPath sheet = closedPath({{20, 6}, {58, 6}, {76, 24}, {76, 94}, {20, 94}});
    drawOutlined(p, sheet, Qt::white, 4.0);
    const QPainterPath fold = closedPath({{58, 6}, {58, 24}, {76, 24}});
    drawOutlined(p, fold, QColor(0xc9, 0xd3, 0xe3), 3.0);
    p.setPen(QPen(QColor(0x8a, 0x9a, 0xb8), 4, Qt::SolidLine, Qt::RoundCap));
    for (int y : {38, 50, 62})
        p.drawLine(30, y, 64, y);
    drawPlusBadge(p, QPointF(74, 74), 21);
}

void drawOpenLesson(QPainter& p) {
    const QPainterPath back =
        closedPath({{6, 20}, {36, 20}, {44, 29}, {88, 29}, {88, 86}, {6, 86}});
    drawOutlined(p, back, QColor(0xd9, 0x98, 0x00), 4.0);
    drawOutlined(p, rectPath(QRectF(18, 36, 60, 26)), Qt::white, 3.0);
    const QPainterPath front = closedPath({{6, 86}, {20, 46}, {98, 46}, {88, 86}});
    drawOutlined(p, front, QColor(0xff, 0xcf, 0x3a), 4.0);
}

void drawSaveLesson(QPainter& p) {
    const QPainterPath body = closedPath({{12, 8}, {78, 8}, {90, 20}, {90, 92}, {12, 92}});
    drawOutlined(p, body, kBlue, 4.0);
    drawOutlined(p, rectPath(QRectF(28, 8, 42, 28)), QColor(0xd5, 0xdd, 0xea), 3.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(54, 13, 10, 18));
    drawOutlined(p, rectPath(QRectF(22, 50, 58, 42)), Qt::white, 3.0);
    p.setPen(QPen(QColor(0x8a, 0x9a, 0xb8), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(32, 64, 70, 64);
    p.drawLine(32, 77, 70, 77);
}

void drawUndo(QPainter& p) {
    QPainterPath curve;
    curve.moveTo(82, 86);
    curve.cubicTo(94, 46, 66, 26, 34, 38);
    drawBar(p, curve, 14, kOrange);
    const QPainterPath head = closedPath({{8, 46}, {38, 16}, {46, 60}});
    drawOutlined(p, head, kOrange, 3.0);
}

// Wide buttons (160 × 100 design box): the picture on the left, the action on the right.
void drawAddFromFile(QPainter& p) {
    drawPicture(p);
    drawPlusBadge(p, QPointF(130, 52), 26);
}

void drawDeletePicture(QPainter& p) {
    drawPicture(p);
    drawCrossBadge(p, QPointF(130, 52), 26);
}

void drawArrow(QPainter& p, bool pointsLeft) {
    // Arrow along x from 0 to 30 with its tip at x = 0, mirrored for the right-hand one.
    QPolygonF arrow{{0, 50}, {20, 28}, {20, 41}, {32, 41}, {32, 59}, {20, 59}, {20, 72}};
    if (!pointsLeft)
        for (QPointF& pt : arrow)
            pt.setX(160 - pt.x());
    p.setPen(outline(3.0));
    p.setBrush(kBlue);
    p.drawPolygon(arrow);
}

void drawMovePicture(QPainter& p) {
    p.save();
    p.translate(38, 9);
    p.scale(0.84, 0.84);
    drawPicture(p);
    p.restore();
    drawArrow(p, true);
    drawArrow(p, false);
}

void drawExitFullScreen(QPainter& p) {
    QPainterPath cross;
    cross.moveTo(24, 24);
    cross.lineTo(76, 76);
    cross.moveTo(76, 24);
    cross.lineTo(24, 76);
    drawBar(p, cross, 18, Qt::white);
}

struct BitmapDesign {
    int id;
    qreal boxWidth; // design units; height is always 100
    bool alert;     // red face instead of the light one
    void (*draw)(QPainter&);
};

constexpr BitmapDesign kDesigns[] = {
    {ResId::kBmpExitFullScreen, 100, true, drawExitFullScreen},
    {ResId::kBmpMovePicture, 160, false, drawMovePicture},
    {ResId::kBmpDeletePicture, 160, false, drawDeletePicture},
    {ResId::kBmpAddFromFile, 160, false, drawAddFromFile},
    {ResId::kBmpSaveLesson, 100, false, drawSaveLesson},
    {ResId::kBmpUndo, 100, false, drawUndo},
    {ResId::kBmpNewLesson, 100, false, drawNewLesson},
    {ResId::kBmpOpenLesson, 100, false, drawOpenLesson},
};

const BitmapDesign* findDesign(int id) {
    for (const BitmapDesign& d : kDesigns)
        if (d.id == id)
            return &d;
    return nullptr;
}

} // namespace

namespace DrawnBitmaps {

bool exists(int id) {
    return findDesign(id) != nullptr;
}

QPixmap pixmap(int id, QSize size, qreal devicePixelRatio) {
    const BitmapDesign* design = findDesign(id);
    if (!design || size.isEmpty())
        return {};
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pm(QSize(static_cast<int>(std::ceil(size.width() * dpr)),
                     static_cast<int>(std::ceil(size.height() * dpr))));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);

    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF whole(QPointF(0, 0), QSizeF(size));
    if (design->alert)
        fillFace(p, whole, QColor(0xe8, 0x5a, 0x48), QColor(0xa8, 0x22, 0x1a));
    else
        fillFace(p, whole, QColor(0xfd, 0xfd, 0xff), QColor(0xd2, 0xdb, 0xeb));

    // Keep the glyph clear of the button's 2-pixel 3-D edge.
    const qreal pad = std::max(3.0, std::min(size.width(), size.height()) * 0.1);
    fitDesignBox(p, whole.adjusted(pad, pad, -pad, -pad), design->boxWidth, 100.0);
    design->draw(p);
    return pm;
}

} // namespace DrawnBitmaps
