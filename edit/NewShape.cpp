#include "NewShape.h"

#include "CreateShape.h"
#include "ShapeList.h"

NewShape::~NewShape() = default;

bool NewShape::begin(int kind) {
    begin(createShape(kind));
    return m_shape != nullptr;
}

void NewShape::begin(std::unique_ptr<Shape> shape) {
    drop(std::move(m_shape));
    m_shape = std::move(shape);
}

void NewShape::drop(std::unique_ptr<Shape> shape) {
    if (!shape)
        return;
    if (m_inAddPoint)
        m_dropped.push_back(std::move(shape));
}

void NewShape::drawOverlay(QPainter& g, const ViewTransform& vt) {
    if (m_shape)
        m_shape->drawCreating(g, vt);
}

void NewShape::takePoint(const ViewTransform& vt) {
    if (!m_shape || m_inAddPoint)
        return;
    // addPoint may end the tool (finish) before it returns; the shape must outlive the call
    // whether it went to the list or was dropped.
    Shape* const building = m_shape.get();
    m_inAddPoint = true;
    building->addPoint(vt);
    m_inAddPoint = false;
    m_dropped.clear();
}

void NewShape::finish() {
    if (std::unique_ptr<Shape> complete = takeComplete()) {
        Shape* const shape = complete.release();
        const ShapeNode node = shapes().append(shape);
        shapes().recordEdit({shape, node, ListEdit::kInserted});
    }
}

std::unique_ptr<Shape> NewShape::takeComplete() {
    if (!m_shape)
        return nullptr;
    m_shape->validate();
    if (m_shape->isComplete())
        return std::move(m_shape);
    drop(std::move(m_shape));
    return nullptr;
}

bool NewShape::undo() {
    return m_shape && m_shape->removeLastPoint();
}

bool NewShape::redo() {
    return m_shape && m_shape->restorePoint();
}
