#pragma once

#include <QByteArray>
#include <QSize>

// What an encoded picture's own structure says it will cost to decode, read without decoding:
// the decoders look at less (the size of a GIF's first frame, not the screen every frame is
// composed on) or at nothing (how many times a JPEG has the decoder walk every block).
namespace pictureheaders {

// The logical screen a GIF's header declares: every frame is composed on a canvas of this
// size. Invalid for bytes that are not a GIF; may be empty (0 x 0 is common and means the
// first frame's size).
QSize gifLogicalScreen(const QByteArray& bytes);

// The scans (start-of-scan segments) of a JPEG, counted by walking its marker segments up
// to the end of the image; the walk stops once more than `stopAfter` are found. Each scan
// has the decoder visit every block of the components it codes. 0 for bytes that are not a
// JPEG; a damaged file counts the scans before the damage.
int jpegScanCount(const QByteArray& bytes, int stopAfter);

} // namespace pictureheaders
