#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>

// The cursors the views set by resource number (ResId::kCur…), drawn by the program:
// white shapes with a black outline, so they show on both the dark plate background and
// light pictures.
namespace Cursors {

// The cursor for `id`; the standard arrow for a number the program does not draw.
// Needs a QGuiApplication. Cursors are made once per id and cached.
QCursor cursor(int id);

// The image behind cursor `id` (32 × 32 logical pixels, rendered for `devicePixelRatio`)
// and its hot spot in logical pixels; a null image for an unknown id.
QImage image(int id, QPoint* hotSpot = nullptr, qreal devicePixelRatio = 1.0);

} // namespace Cursors
