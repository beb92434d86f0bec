#include "ShapeList.h"

#include <algorithm>
#include <functional>

ShapeList::~ShapeList() = default;

ShapeNode ShapeList::link(ShapeNode pos, Shape* shape) {
    if (!shape)
        return end(); // the walks never expect an empty slot
    const ShapeNode node = Base::insert(pos, shape);
    shape->setNode(node);
    return node;
}

ShapeNode ShapeList::append(Shape* shape) {
    return link(end(), shape);
}

ShapeNode ShapeList::prepend(Shape* shape) {
    return link(begin(), shape);
}

ShapeNode ShapeList::insertBefore(ShapeNode pos, Shape* shape) {
    return link(pos, shape);
}

ShapeNode ShapeList::unlink(ShapeNode node) {
    // No history entry and no shape may keep a node that is about to die.
    for (auto* history : {&m_undo, &m_redo}) {
        for (ListEdit& e : *history) {
            if (e.node && *e.node == node)
                e.node.reset();
        }
    }
    Shape* shape = *node;
    if (shape && shape->hasNode() && shape->node() == node)
        shape->clearNode();
    return Base::erase(node);
}

ShapeNode ShapeList::erase(ShapeNode node) {
    if (node == end())
        return end();
    return unlink(node);
}

void ShapeList::removeAll(const Shape* shape) {
    for (auto it = begin(); it != end();) {
        if (*it == shape)
            it = unlink(it);
        else
            ++it;
    }
}

bool ShapeList::contains(const Shape* shape) const {
    return std::find(cbegin(), cend(), shape) != cend();
}

void ShapeList::retire(Shape* shape) {
    if (shape)
        m_retired.push_back(shape);
}

void ShapeList::clear(std::span<Shape* const> alsoOwned) {
    std::vector<Shape*> owned(cbegin(), cend());
    for (const auto* history : {&m_undo, &m_redo}) {
        for (const ListEdit& e : *history)
            owned.push_back(e.shape);
    }
    owned.insert(owned.end(), m_retired.begin(), m_retired.end());
    owned.insert(owned.end(), alsoOwned.begin(), alsoOwned.end());

    // A shape both listed and named by the history (or named twice) must die once.
    std::sort(owned.begin(), owned.end(), std::less<Shape*>());
    owned.erase(std::unique(owned.begin(), owned.end()), owned.end());

    // Empty everything first, so no destructor can meet a list holding dead shapes.
    Base::clear();
    m_undo.clear();
    m_redo.clear();
    m_retired.clear();
    for (Shape* shape : owned)
        delete shape; // delete of null does nothing
}

void ShapeList::unlinkEdit(ListEdit& edit) {
    if (edit.node)
        unlink(*edit.node); // also resets edit.node: the entry is already in a history
    else
        removeAll(edit.shape);
}

void ShapeList::recordEdit(const ListEdit& edit) {
    if (!edit.shape)
        return; // an entry without a shape could neither be undone nor redone
    for (const ListEdit& e : m_redo) {
        m_retired.push_back(e.shape);
    }
    m_redo.clear();
    m_undo.push_back(edit);
}

bool ShapeList::undo() {
    if (m_undo.size() <= static_cast<std::size_t>(std::max(0, m_undoFloor)))
        return false;
    m_redo.push_back(m_undo.back());
    m_undo.pop_back();
    ListEdit& edit = m_redo.back();
    if (edit.kind == ListEdit::kInserted)
        unlinkEdit(edit);
    else if (edit.kind == ListEdit::kRemoved)
        edit.node = append(edit.shape);
    return true;
}

bool ShapeList::redo() {
    if (m_redo.empty())
        return false;
    m_undo.push_back(m_redo.back());
    m_redo.pop_back();
    ListEdit& edit = m_undo.back();
    switch (edit.kind) {
    case ListEdit::kInserted:
        edit.node = append(edit.shape);
        return true;
    case ListEdit::kRemoved:
        unlinkEdit(edit);
        return true;
    default:
        return false;
    }
}
