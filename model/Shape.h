#pragma once

#include "PointD.h"

#include <functional>
#include <list>

class QPainter;
class ViewTransform;
class Shape;

// The node of the owning shape list that holds a shape (ShapeList derives from
// std::list<Shape*>); nodes are stable, so shapes and history entries keep them.
using ShapeNode = std::list<Shape*>::iterator;

// Every object on a plate. Shapes draw themselves into a painter handed in by a view, in that
// view's pixels, converting plate coordinates with the view's transform; pointer questions
// read the pointer stored in that same transform.
//
// The virtual operations keep this order: destructor, draw, drawExtra, drawCreating,
// addPoint, hitTest, removeLastPoint, restorePoint, validate, points. Records are written
// by the store layer, which knows the file format.
class Shape {
public:
    Shape() = default;
    Shape(const Shape&) = delete;
    Shape& operator=(const Shape&) = delete;

    virtual ~Shape();
    virtual void draw(QPainter& g, const ViewTransform& vt);
    // Does nothing in every shape.
    virtual void drawExtra(QPainter& g, const ViewTransform& vt);
    // Drawing while the shape is being created, with a rubber band to the pointer.
    virtual void drawCreating(QPainter& g, const ViewTransform& vt);
    // Takes the pointer position as the next defining point.
    virtual void addPoint(const ViewTransform& vt);
    // Is the pointer on the shape; the answer is also kept (isHit).
    virtual bool hitTest(const ViewTransform& vt);
    virtual bool removeLastPoint();
    virtual bool restorePoint();
    // Recomputes the complete flag.
    virtual void validate();
    // The defining points, used for bounds.
    virtual PointDArray points() const = 0;

    // The list node holding this shape; valid only while hasNode().
    ShapeNode node() const { return m_node; }
    bool hasNode() const { return m_hasNode; }
    void setNode(ShapeNode node) {
        m_node = node;
        m_hasNode = true;
    }
    void clearNode() { m_hasNode = false; }

    // Enough data to stay on the plate: two points for a line, placed for a picture.
    bool isComplete() const { return m_complete; }
    void setComplete(bool complete) { m_complete = complete; }
    bool isHit() const { return m_hit; }

    // A shape that completes its creation ends the tool of the plate view's scene. The model
    // cannot see that scene: the application installs the handler (none: nothing happens).
    static void setEndToolHandler(std::function<void()> handler);
    static void notifyEndTool();

protected:
    void setHit(bool hit) { m_hit = hit; }

private:
    ShapeNode m_node{};
    bool m_hasNode = false;
    bool m_complete = false;
    bool m_hit = false;
};
