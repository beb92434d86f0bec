#pragma once

#include <QByteArray>

class Shape;

// One undoable change of a lesson's row of pictures. The record remembers the names of the
// picture's neighbours, not its position; undo puts it back next to them by name.
struct LessonEdit {
    enum Kind : int {
        kDeleted = 0, // the picture was taken out; it lives on only through this record
        kMoved = 1,   // the picture was moved to another place
    };

    int kind = kDeleted;
    Shape* picture = nullptr;
    QByteArray previousName; // name of the picture before it; empty when it was first
    QByteArray nextName;     // name of the picture after it; empty when it was last
};
