#pragma once

#include "Shape.h"

#include <memory>

// Shape kinds as stored numbers.
enum class ShapeKind {
    VectorLine = 0,
    BmpRectFile = 1, // asks the user for a picture file
    BmpRectFileDirect = 2,
    BmpRectStream = 3,
    RectShape = 4,
    Pline = 5,
};

// An empty shape of the kind; none for any other number.
std::unique_ptr<Shape> createShape(int kind);
