#pragma once

#include "EditablePoints.h"
#include "Shape.h"

#include <QColor>

// An arrow from its first point to its second (green, width 3, arrow cap at the end).
class VectorLine : public Shape {
public:
    VectorLine();
    ~VectorLine() override;

    void draw(QPainter& g, const ViewTransform& vt) override;
    void drawCreating(QPainter& g, const ViewTransform& vt) override;
    // First point: taken. Second point: taken, then the tool ends. Further points: ignored.
    void addPoint(const ViewTransform& vt) override;
    bool hitTest(const ViewTransform& vt) override;
    bool removeLastPoint() override;
    bool restorePoint() override;
    void validate() override;
    PointDArray points() const override { return m_points.points(); }

    EditablePoints& editablePoints() { return m_points; }
    QColor penColour() const { return m_penColour; }
    double penWidth() const { return m_penWidth; }
    // Another pen (width in pixels); the arrow cap grows with the width.
    void setPen(const QColor& colour, double width);

private:
    QColor m_penColour;
    double m_penWidth = 3.0;
    EditablePoints m_points;
};
