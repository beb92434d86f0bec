#pragma once

#include "DrawNodes.h"

// Behaves as the plain Draw.
class EditShape : public DrawNodes {
public:
    using DrawNodes::DrawNodes;
};
