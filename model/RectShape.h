#pragma once

#include "Shape.h"

// An inert rectangle record: draws nothing, has no points, is never hit.
class RectShape : public Shape {
public:
    RectShape();
    ~RectShape() override;

    PointDArray points() const override { return {}; }
};
