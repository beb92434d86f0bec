#pragma once

#include "RectD.h"
#include "Shape.h"

#include <ranges>

// The smallest rectangle holding every point of every shape in the range (a picture gives its
// four corners, a line its points, a rectangle shape none). Raises Err
// "EstimateBounds() : bound is empty" when the shapes have no points at all.
template <std::ranges::input_range Shapes> RectD estimateBounds(const Shapes& shapes) {
    PointDArray all;
    for (const Shape* s : shapes) {
        if (!s)
            continue;
        const PointDArray p = s->points();
        all.insert(all.end(), p.begin(), p.end());
    }
    return boundsOfPoints(all);
}
