#pragma once

#include <QByteArray>

class Shape;

// One undoable change of a lesson's row of pictures. The record remembers the picture after
// it and the names of both neighbours; undo puts it back before that very picture while it is
// in the row (the same plate may stand in a lesson twice, so a name alone can point at the
// wrong one), and goes by the name only when that picture has left the row.
struct LessonEdit {
    enum Kind : int {
        kDeleted = 0, // the picture was taken out; it lives on only through this record
        kMoved = 1,   // the picture was moved to another place
    };

    int kind = kDeleted;
    Shape* picture = nullptr;
    QByteArray previousName;     // name of the picture before it; empty when it was first
    QByteArray nextName;         // name of the picture after it; empty when it was last
    const Shape* next = nullptr; // the picture after it; null when it was last
};
