#pragma once

#include "Draw.h"

// Behaves as the plain Draw; the base of the tools that work on a shape's nodes.
class DrawNodes : public Draw {
public:
    using Draw::Draw;
};
