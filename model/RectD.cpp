#include "RectD.h"

#include "Err.h"

RectD::RectD(double minX, double minY, double maxX, double maxY)
    : m_minX(minX), m_maxX(maxX), m_minY(minY), m_maxY(maxY) {
    // Written as "not <=" so that NaN fails too.
    if (!(minX <= maxX) || !(minY <= maxY))
        throw Err("Incorrect max min values in RectD");
    m_corner = {PointD{minX, minY}, PointD{maxX, minY}, PointD{maxX, maxY}, PointD{minX, maxY}};
}

RectD boundsOfPoints(const PointDArray& points) {
    if (points.empty())
        throw Err("EstimateBounds() : bound is empty");
    double minX = points.front().x;
    double maxX = minX;
    double minY = points.front().y;
    double maxY = minY;
    for (const PointD& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return RectD(minX, minY, maxX, maxY);
}
