#pragma once

#include "Shape.h"

#include <QByteArray>
#include <QUndoCommand>

#include <memory>
#include <optional>

class BmpRectStream;
class ShapeList;

// Where a picture stood in the lesson row: the names of both neighbours and the very picture
// after it. Going back, a picture stands before that very picture while it is in the row (the
// same plate may stand in a lesson twice, so a name alone can point at the wrong one), and
// before the first picture of its name only once it has left the row.
struct RowPlace {
    QByteArray previousName;     // empty when it was first
    QByteArray nextName;         // empty when it was last
    const Shape* next = nullptr; // null when it was last

    // The place of the picture at node; none when a neighbour is not a picture (such an edit
    // is made without a command, so it cannot be undone).
    static std::optional<RowPlace> of(const ShapeList& shapes, ShapeNode node);
    // Where the picture after it stands now, or end().
    ShapeNode nextIn(ShapeList& shapes) const;
};

// One undoable edit of the lesson row, held by the lesson's history (a QUndoStack). No
// picture dies with a command before the scene is cleared, so the pictures the older commands
// name stay valid for as long as those commands are in the history.
class LessonCommand : public QUndoCommand {
public:
    enum class Kind { Deleted, Moved };
    virtual Kind kind() const = 0;
};

// A picture taken out of the row. The command owns it while it is out and gives it back on
// undo, before the picture that followed it (first or last as it was). When that picture has
// left the row and none bears its name, the picture stays out and goes to the list, which
// destroys it when the scene is cleared.
class DeletePicture final : public LessonCommand {
public:
    DeletePicture(ShapeList& shapes, BmpRectStream& picture, const RowPlace& place);
    ~DeletePicture() override;
    void redo() override;
    void undo() override;
    Kind kind() const override { return Kind::Deleted; }

private:
    ShapeList& m_shapes;
    Shape* m_picture;
    std::unique_ptr<Shape> m_removed; // the picture while this command holds it
    RowPlace m_place;
};

// A picture moved before (or after) another one; it stays in the row, so the command owns
// nothing. Undo puts it back before the picture that followed it, or first, or last.
class MovePicture final : public LessonCommand {
public:
    MovePicture(ShapeList& shapes, BmpRectStream& moved, BmpRectStream& target, bool before,
                const RowPlace& place);
    void redo() override;
    void undo() override;
    Kind kind() const override { return Kind::Moved; }

    // The move itself, also for one made without a command.
    static void moveBeside(ShapeList& shapes, Shape& moved, const Shape& target, bool before);

private:
    ShapeList& m_shapes;
    Shape& m_moved;
    const Shape& m_target;
    bool m_before;
    RowPlace m_place;
};
