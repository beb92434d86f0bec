#include "Pline.h"

#include "Graphics.h"
#include "ViewTransform.h"

#include <QPainter>

Pline::Pline() : PenLine(gfx::kBlack, 2.0) {}

Pline::~Pline() = default;

void Pline::setPen(const QColor& colour, double width, bool roundEnds) {
    m_penColour = colour;
    m_penWidth = width;
    m_roundEnds = roundEnds;
}

QPen Pline::pen() const {
    QPen pen = gfx::makePen(m_penColour, m_penWidth);
    if (m_roundEnds) {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

void Pline::draw(QPainter& g, const ViewTransform& vt) {
    const QPen pen = this->pen();
    for (int i = 0; i + 1 < m_points.count(); ++i)
        gfx::drawLine(g, pen, px(vt, m_points.at(i)), px(vt, m_points.at(i + 1)));
}

void Pline::drawCreating(QPainter& g, const ViewTransform& vt) {
    draw(g, vt);
    if (m_points.count() >= 1)
        gfx::drawLine(g, pen(), px(vt, m_points.at(m_points.count() - 1)), px(vt, vt.pointer));
}

void Pline::addPoint(const ViewTransform& vt) {
    m_points.add(vt.pointer);
}
