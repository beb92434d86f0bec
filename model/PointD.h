#pragma once

#include <cmath>
#include <vector>

// A point of the plate plane, in plate units. x grows to the right, y grows upwards
// (the screen's y axis points the other way; ViewTransform flips it).
struct PointD {
    double x = 0.0;
    double y = 0.0;

    friend PointD operator+(PointD a, PointD b) { return {a.x + b.x, a.y + b.y}; }
    friend PointD operator-(PointD a, PointD b) { return {a.x - b.x, a.y - b.y}; }
    friend PointD operator*(PointD a, double k) { return {a.x * k, a.y * k}; }
    friend PointD operator/(PointD a, double k) { return {a.x / k, a.y / k}; }
    friend bool operator==(PointD a, PointD b) = default;

    double length() const { return std::hypot(x, y); }
    bool isFinite() const { return std::isfinite(x) && std::isfinite(y); }
};

// Points in insertion order; only appended, removed from the end and read in order.
using PointDArray = std::vector<PointD>;
