#pragma once

#include "Shape.h"

#include <optional>

// One insertion into or removal from a shape list, as the list-edit history keeps it.
struct ListEdit {
    enum Kind : int {
        kInserted = 0, // the shape was inserted; undo unlinks it
        kRemoved = 1,  // the shape was removed; undo appends it again
    };

    Shape* shape = nullptr;
    // The node the shape occupies for this edit; none when unknown or when that node has
    // since been unlinked (the list forgets it then, so no entry keeps a dead node).
    std::optional<ShapeNode> node;
    int kind = kInserted;
};
