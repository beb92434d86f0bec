#pragma once

#include "PointD.h"

#include <array>

// An axis-aligned rectangle of the plate plane, kept with its four corners as well as its
// extremes. Invariant: minX <= maxX and minY <= maxY (zero width or height is valid).
// Corners run counter-clockwise from the lower left: (minX,minY), (maxX,minY), (maxX,maxY),
// (minX,maxY).
class RectD {
public:
    // Raises Err "Incorrect max min values in RectD" when minX > maxX or minY > maxY
    // (also when a value is NaN, which cannot satisfy the invariant).
    RectD(double minX, double minY, double maxX, double maxY);

    const std::array<PointD, 4>& corners() const { return m_corner; }
    PointD corner(int i) const { return m_corner.at(static_cast<std::size_t>(i)); }
    double minX() const { return m_minX; }
    double maxX() const { return m_maxX; }
    double minY() const { return m_minY; }
    double maxY() const { return m_maxY; }
    double width() const { return m_maxX - m_minX; }
    double height() const { return m_maxY - m_minY; }

private:
    std::array<PointD, 4> m_corner;
    double m_minX;
    double m_maxX;
    double m_minY;
    double m_maxY;
};

// The smallest rectangle holding every point; raises Err "EstimateBounds() : bound is empty"
// when there are none.
RectD boundsOfPoints(const PointDArray& points);
