#include "Draw.h"

#include "ShapeList.h"

Draw::~Draw() = default;

void Draw::drawOverlay(QPainter&, const ViewTransform&) {}

void Draw::takePoint(const ViewTransform&) {}

void Draw::finish() {}

bool Draw::undo() {
    return m_shapes.undo();
}

bool Draw::redo() {
    return m_shapes.redo();
}
