#pragma once

#include "DrawNodes.h"

#include <memory>
#include <vector>

class Shape;

// Creates one shape from pointer input. The tool owns the shape under construction until
// finish() hands it to the list (recorded as an insertion) or destroys it when incomplete.
// While the shape is being built, undo and redo take back and restore its last point.
class NewShape : public DrawNodes {
public:
    using DrawNodes::DrawNodes;
    ~NewShape() override;

    // Starts an empty shape of the kind (createShape numbering); false when the kind makes
    // none. A shape still under construction is dropped.
    bool begin(int kind);
    // Starts with a shape made elsewhere (null: no shape).
    void begin(std::unique_ptr<Shape> shape);
    Shape* shape() const { return m_shape.get(); }

    void drawOverlay(QPainter& g, const ViewTransform& vt) override;
    void takePoint(const ViewTransform& vt) override;
    // Validates the shape; a complete one is appended to the list and recorded, an
    // incomplete one destroyed. Either way the tool holds no shape afterwards.
    void finish() override;
    // The same validation, but a complete shape is handed to the caller instead of the list
    // (null when it was incomplete, or there was none).
    std::unique_ptr<Shape> takeComplete();
    bool undo() override;
    bool redo() override;

private:
    // Destroys a shape, or keeps it until takePoint() returns when the shape's own addPoint
    // is still running (a completing shape ends the tool from inside addPoint).
    void drop(std::unique_ptr<Shape> shape);

    std::unique_ptr<Shape> m_shape;
    bool m_inAddPoint = false;
    std::vector<std::unique_ptr<Shape>> m_dropped;
};
