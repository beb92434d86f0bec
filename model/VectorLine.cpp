#include "VectorLine.h"

#include "Graphics.h"
#include "ViewTransform.h"

#include <QPainter>

VectorLine::VectorLine() : PenLine(gfx::kGreen, 3.0) {}

VectorLine::~VectorLine() = default;

void VectorLine::setPen(const QColor& colour, double width) {
    m_penColour = colour;
    m_penWidth = width;
}

void VectorLine::draw(QPainter& g, const ViewTransform& vt) {
    if (m_points.count() < 2)
        return;
    gfx::drawArrow(g, gfx::makePen(m_penColour, m_penWidth), px(vt, m_points.at(0)),
                   px(vt, m_points.at(1)));
}

void VectorLine::drawCreating(QPainter& g, const ViewTransform& vt) {
    if (m_points.count() != 1)
        return;
    gfx::drawArrow(g, gfx::makePen(m_penColour, m_penWidth), px(vt, m_points.at(0)),
                   px(vt, vt.pointer));
}

void VectorLine::addPoint(const ViewTransform& vt) {
    const int n = m_points.count();
    if (n >= 2)
        return;
    m_points.add(vt.pointer);
    if (n == 1)
        notifyEndTool(); // the arrow is complete; must stay the last use of this shape
}
