#pragma once

#include "EditablePoints.h"
#include "Shape.h"

#include <QColor>
#include <QPointF>

// A line drawn with a pen through points the user adds: what the freehand line and the arrow
// share. Neither is ever hit, and both are complete from two points.
class PenLine : public Shape {
public:
    PenLine(const QColor& colour, double width) : m_penColour(colour), m_penWidth(width) {}

    bool hitTest(const ViewTransform& vt) override;
    bool removeLastPoint() override;
    bool restorePoint() override;
    void validate() override;
    PointDArray points() const override { return m_points.points(); }

    EditablePoints& editablePoints() { return m_points; }
    QColor penColour() const { return m_penColour; }
    double penWidth() const { return m_penWidth; }

protected:
    static QPointF px(const ViewTransform& vt, PointD p);

    QColor m_penColour;
    double m_penWidth;
    EditablePoints m_points;
};
