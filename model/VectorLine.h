#pragma once

#include "PenLine.h"

// An arrow from its first point to its second (green, width 3, arrow cap at the end).
class VectorLine : public PenLine {
public:
    VectorLine();
    ~VectorLine() override;

    void draw(QPainter& g, const ViewTransform& vt) override;
    void drawCreating(QPainter& g, const ViewTransform& vt) override;
    // First point: taken. Second point: taken, then the tool ends. Further points: ignored.
    void addPoint(const ViewTransform& vt) override;

    // Another pen (width in pixels); the arrow cap grows with the width.
    void setPen(const QColor& colour, double width);
};
