#pragma once

#include "EditablePoints.h"
#include "Shape.h"

#include <QColor>
#include <QPen>

// An open polyline through any number of points (black, width 2).
class Pline : public Shape {
public:
    Pline();
    ~Pline() override;

    void draw(QPainter& g, const ViewTransform& vt) override;
    void drawCreating(QPainter& g, const ViewTransform& vt) override;
    void addPoint(const ViewTransform& vt) override;
    bool hitTest(const ViewTransform& vt) override;
    bool removeLastPoint() override;
    bool restorePoint() override;
    void validate() override;
    PointDArray points() const override { return m_points.points(); }

    EditablePoints& editablePoints() { return m_points; }
    QColor penColour() const { return m_penColour; }
    double penWidth() const { return m_penWidth; }
    // Another pen (width in pixels). Round ends and joins suit a freehand line of many short
    // segments: flat ends leave notches where it bends.
    void setPen(const QColor& colour, double width, bool roundEnds = false);
    bool hasRoundEnds() const { return m_roundEnds; }

private:
    QPen pen() const;

    QColor m_penColour;
    double m_penWidth = 2.0;
    bool m_roundEnds = false;
    EditablePoints m_points;
};
