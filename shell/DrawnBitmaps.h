#pragma once

#include <QPixmap>
#include <QSize>

// The bitmaps of the skin buttons (ResId::kBmp…), drawn by the program at whatever size the
// button has: light faces with a strong, dark-outlined glyph that stays readable on a
// projector. Windows loaded fixed-size bitmaps; drawing at the button's size keeps the
// glyphs sharp at any dialog-font size and screen scale.
namespace DrawnBitmaps {

// True for the bitmap numbers this program draws.
bool exists(int id);

// The bitmap `id` at `size` logical pixels, rendered for `devicePixelRatio`; a null pixmap
// for an unknown id or an empty size.
QPixmap pixmap(int id, QSize size, qreal devicePixelRatio = 1.0);

} // namespace DrawnBitmaps
