#include "RowCommands.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "ShapeList.h"

std::optional<RowPlace> RowPlace::of(const ShapeList& shapes, ShapeNode node) {
    RowPlace place;
    if (node != shapes.begin()) {
        const auto* previous = dynamic_cast<const BmpRect*>(*std::prev(node));
        if (!previous)
            return std::nullopt;
        place.previousName = previous->name();
    }
    if (std::next(node) != shapes.end()) {
        const auto* next = dynamic_cast<const BmpRect*>(*std::next(node));
        if (!next)
            return std::nullopt;
        place.nextName = next->name();
        place.next = next;
    }
    return place;
}

ShapeNode RowPlace::nextIn(ShapeList& shapes) const {
    if (next && next->hasNode())
        return next->node();
    for (auto it = shapes.begin(); it != shapes.end(); ++it) {
        const auto* picture = dynamic_cast<const BmpRect*>(*it);
        if (picture && picture->name() == nextName)
            return it;
    }
    return shapes.end();
}

DeletePicture::DeletePicture(ShapeList& shapes, BmpRectStream& picture, const RowPlace& place)
    : m_shapes(shapes), m_picture(&picture), m_place(place) {}

DeletePicture::~DeletePicture() = default;

void DeletePicture::redo() {
    // A picture that could not go back has gone to the list: there is nothing to take.
    if (m_removed || !m_picture->hasNode())
        return;
    m_shapes.erase(m_picture->node());
    m_removed.reset(m_picture);
}

void DeletePicture::undo() {
    if (!m_removed)
        return;
    const bool hasPrevious = !m_place.previousName.isEmpty();
    const bool hasNext = !m_place.nextName.isEmpty();
    if (hasPrevious && hasNext) {
        const ShapeNode next = m_place.nextIn(m_shapes);
        if (next != m_shapes.end())
            m_shapes.insertBefore(next, m_removed.release());
        else
            m_shapes.retire(m_removed.release()); // stays out, alive until the scene is cleared
    } else if (hasNext) {
        m_shapes.prepend(m_removed.release());
    } else {
        m_shapes.append(m_removed.release());
    }
}

MovePicture::MovePicture(ShapeList& shapes, BmpRectStream& moved, BmpRectStream& target,
                         bool before, const RowPlace& place)
    : m_shapes(shapes), m_moved(moved), m_target(target), m_before(before), m_place(place) {}

void MovePicture::moveBeside(ShapeList& shapes, Shape& moved, const Shape& target, bool before) {
    if (moved.hasNode())
        shapes.erase(moved.node());
    if (!target.hasNode()) {
        shapes.append(&moved);
        return;
    }
    const ShapeNode at = target.node();
    shapes.insertBefore(before ? at : std::next(at), &moved);
}

void MovePicture::redo() {
    moveBeside(m_shapes, m_moved, m_target, m_before);
}

void MovePicture::undo() {
    if (m_moved.hasNode())
        m_shapes.erase(m_moved.node());
    const bool hasPrevious = !m_place.previousName.isEmpty();
    const bool hasNext = !m_place.nextName.isEmpty();
    if (hasNext && !hasPrevious)
        m_shapes.prepend(&m_moved);
    else // end() when it was last, or when the picture after it is gone: appended
        m_shapes.insertBefore(hasNext ? m_place.nextIn(m_shapes) : m_shapes.end(), &m_moved);
}
