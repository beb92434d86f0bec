#pragma once

#include "PenLine.h"

#include <QColor>
#include <QPen>

// An open polyline through any number of points (black, width 2).
class Pline : public PenLine {
public:
    Pline();
    ~Pline() override;

    void draw(QPainter& g, const ViewTransform& vt) override;
    void drawCreating(QPainter& g, const ViewTransform& vt) override;
    void addPoint(const ViewTransform& vt) override;

    // Another pen (width in pixels). Round ends and joins suit a freehand line of many short
    // segments: flat ends leave notches where it bends.
    void setPen(const QColor& colour, double width, bool roundEnds = false);
    bool hasRoundEnds() const { return m_roundEnds; }

private:
    QPen pen() const;

    bool m_roundEnds = false;
};
