#include "RectShape.h"

RectShape::RectShape() = default;
RectShape::~RectShape() = default;
