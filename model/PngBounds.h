#pragma once

#include <QByteArray>

// The PNG decoder allocates a chunk's declared length before it reads the chunk, so a few
// hundred bytes claiming a 2 GB text chunk cost 2 GB. No chunk can be longer than what is
// left of the file: such a chunk and everything after it are cut off and the file is closed
// with an end chunk, so an image that comes before the damage still decodes.
//
// Bytes that are not a PNG, or a PNG whose chunks all fit, come back as they are (shared).
QByteArray pngWithinBounds(const QByteArray& bytes);
