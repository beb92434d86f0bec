#pragma once

class QPainter;
class ShapeList;
class ViewTransform;

// The root edit tool, bound to one scene's shape list. A tool draws an overlay after the
// shapes, takes pointer input, finishes its operation, and undoes or redoes list edits.
// The plain Draw does nothing but the list-edit undo and redo.
class Draw {
public:
    explicit Draw(ShapeList& shapes) : m_shapes(shapes) {}
    Draw(const Draw&) = delete;
    Draw& operator=(const Draw&) = delete;
    virtual ~Draw();

    // Drawn after every shape of the scene, in view pixels.
    virtual void drawOverlay(QPainter& g, const ViewTransform& vt);
    // Pointer input (the pointer is the one stored in vt).
    virtual void takePoint(const ViewTransform& vt);
    virtual void finish();
    // Undoes the newest list edit above the undo floor; false when there is none.
    virtual bool undo();
    // Redoes the newest undone list edit; false when there is none.
    virtual bool redo();

protected:
    ShapeList& shapes() const { return m_shapes; }

private:
    ShapeList& m_shapes;
};
