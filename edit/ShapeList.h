#pragma once

#include "ListEdit.h"
#include "Shape.h"

#include <list>
#include <span>
#include <vector>

// The shapes of a plate, a lesson or a preview in drawing order (the first is drawn first,
// underneath), with the history of the list's own insertions and removals.
//
// Ownership: the list owns every shape it holds and every shape named by its histories;
// clear() destroys each of them exactly once. Destroying the list itself destroys no shape,
// so an owner calls clear() first when the shapes must go.
//
// Every link and unlink goes through the operations below, which keep each shape's node
// back reference and forget history nodes that get unlinked. The std::list operations that
// add or drop nodes behind their back are therefore not reachable here.
class ShapeList : public std::list<Shape*> {
public:
    using Base = std::list<Shape*>;

    ShapeList() = default;
    ShapeList(const ShapeList&) = delete;
    ShapeList& operator=(const ShapeList&) = delete;
    ~ShapeList();

    // Each sets the shape's node back reference to the new node and returns that node.
    // A null shape is not linked (end() is returned).
    ShapeNode append(Shape* shape);
    ShapeNode prepend(Shape* shape);
    ShapeNode insertBefore(ShapeNode pos, Shape* shape);

    // Unlinks the node; the shape is not destroyed. Returns the node after it.
    ShapeNode erase(ShapeNode node);
    // Unlinks every node holding the shape; the shape is not destroyed.
    void removeAll(const Shape* shape);

    // Destroys every owned shape once (the listed ones, those the histories name and those
    // of dropped redo entries), then empties both histories and the list. alsoOwned names further
    // shapes the caller hands over for destruction (duplicates of listed shapes are fine).
    void clear(std::span<Shape* const> alsoOwned = {});

    bool contains(const Shape* shape) const;

    // Keeps a shape owned that holds no place in the list or its histories (for instance a
    // picture an undo could not put back), so that clear() still destroys it once.
    void retire(Shape* shape);

    // List-edit history. undo() and redo() move entries between the two arrays; neither
    // ever destroys a shape.
    const std::vector<ListEdit>& undoHistory() const { return m_undo; }
    const std::vector<ListEdit>& redoHistory() const { return m_redo; }
    int undoFloor() const { return m_undoFloor; }
    void setUndoFloor(int floor) { m_undoFloor = floor; }

    // Records a new edit (one without a shape is ignored). The redo array is emptied first: what it
    // held can never come back (its shapes stay owned until clear()).
    void recordEdit(const ListEdit& edit);
    // Undoes the newest edit above the floor; false when there is none.
    bool undo();
    // Redoes the newest undone edit; false when there is none or its kind is unknown.
    bool redo();

private:
    // Linking and unlinking only through the operations above.
    using Base::assign;
    using Base::emplace;
    using Base::emplace_back;
    using Base::emplace_front;
    using Base::insert;
    using Base::merge;
    using Base::pop_back;
    using Base::pop_front;
    using Base::push_back;
    using Base::push_front;
    using Base::remove;
    using Base::remove_if;
    using Base::resize;
    using Base::splice;
    using Base::swap;
    using Base::unique;

    ShapeNode link(ShapeNode pos, Shape* shape);
    // Forgets node in every history entry and in its shape, then unlinks it.
    ShapeNode unlink(ShapeNode node);
    // Unlinks the edit's node, or every node of its shape when it has none.
    void unlinkEdit(ListEdit& edit);

    std::vector<ListEdit> m_undo; // oldest first
    std::vector<ListEdit> m_redo; // oldest first
    int m_undoFloor = 0;          // this many oldest undo entries cannot be undone
    // Shapes of redo entries dropped by a new edit. Still owned (clear destroys them) rather
    // than destroyed at once: a view may still hold one as its selection.
    std::vector<Shape*> m_retired;
};
