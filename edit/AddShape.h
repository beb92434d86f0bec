#pragma once

#include <QUndoCommand>

#include <memory>

class Shape;
class ShapeList;

// A shape appended to a list. Undone, the command takes the shape out and holds it; redone, it
// appends it again. A command dropped while it holds its shape destroys it.
class AddShape final : public QUndoCommand {
public:
    AddShape(ShapeList& shapes, std::unique_ptr<Shape> shape);
    ~AddShape() override;
    void redo() override;
    void undo() override;

private:
    ShapeList& m_shapes;
    Shape* m_shape;
    std::unique_ptr<Shape> m_held; // the shape while it is out of the list
};
