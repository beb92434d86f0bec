#include "AddShape.h"

#include "Shape.h"
#include "ShapeList.h"

AddShape::AddShape(ShapeList& shapes, std::unique_ptr<Shape> shape)
    : m_shapes(shapes), m_shape(shape.get()), m_held(std::move(shape)) {}

AddShape::~AddShape() = default;

void AddShape::redo() {
    if (m_held)
        m_shapes.append(m_held.release());
}

void AddShape::undo() {
    if (m_held || !m_shape->hasNode())
        return;
    m_shapes.erase(m_shape->node());
    m_held.reset(m_shape);
}
