#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <vector>

// Animated GIF89a writer: Qt reads GIF but cannot write it.
//
// All frames share one global palette of at most 256 colours, chosen by median cut over the
// colours of every frame, so the animation does not flicker between palettes. Frames are
// written whole (no sub-rectangles), disposal "leave in place", looping for ever.
class GifWriter {
public:
    // frames: same size, at least one. delayCs: delay after every frame in hundredths of a
    // second (the unit GIF stores). Returns empty bytes when the frames are unusable.
    static QByteArray encode(const std::vector<QImage>& frames, int delayCs);

    // Median-cut palette of at most maxColours entries over all pixels of the frames.
    static std::vector<QRgb> choosePalette(const std::vector<QImage>& frames, int maxColours);

    // GIF's variable-width LZW over palette indices (each below 1 << minCodeSize), packed
    // least significant bit first, without the sub-block framing.
    static QByteArray lzwCompress(const std::vector<quint8>& indices, int minCodeSize);
};
