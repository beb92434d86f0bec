#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>

// Tiny GIF files built byte by byte (Qt reads GIF but cannot write it).
namespace gifbytes {

struct Frame {
    int colourIndex = 0;   // every pixel of the frame, into the 4-colour table
    int delayCs = 10;      // hundredths of a second
    bool withDelay = true; // false: no graphic control extension at all
};

// The fixed 4-colour table: red, green, blue, white.
inline QColor tableColour(int i) {
    static const QColor c[4] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255),
                                QColor(255, 255, 255)};
    return c[i & 3];
}

namespace detail {
inline void le16(QByteArray& out, int v) {
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

// LZW with 3-bit codes: a clear code before every two pixels keeps the table from growing
// past 3 bits, which every decoder must accept.
inline QByteArray lzwSolid(int pixels, int index) {
    constexpr int kClear = 4;
    constexpr int kEnd = 5;
    QList<int> codes;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            codes << kClear;
        codes << index;
    }
    codes << kEnd;
    QByteArray bits;
    quint32 acc = 0;
    int n = 0;
    for (int code : codes) {
        acc |= quint32(code) << n;
        n += 3;
        while (n >= 8) {
            bits.append(char(acc & 0xff));
            acc >>= 8;
            n -= 8;
        }
    }
    if (n > 0)
        bits.append(char(acc & 0xff));
    QByteArray out;
    out.append(char(2)); // minimum code size
    for (qsizetype at = 0; at < bits.size(); at += 255) {
        const QByteArray block = bits.mid(at, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append(char(0));
    return out;
}
} // namespace detail

inline QByteArray build(int width, int height, const QList<Frame>& frames, bool loop = true) {
    QByteArray out("GIF89a");
    detail::le16(out, width);
    detail::le16(out, height);
    out.append(char(0x91)); // global table of 4 entries
    out.append(char(0));
    out.append(char(0));
    for (int i = 0; i < 4; ++i) {
        const QColor c = tableColour(i);
        out.append(char(c.red()));
        out.append(char(c.green()));
        out.append(char(c.blue()));
    }
    if (loop && frames.size() > 1)
        out.append(QByteArray("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19));
    for (const Frame& f : frames) {
        if (f.withDelay) {
            out.append("\x21\xf9\x04", 3);
            out.append(char(0x04)); // dispose: leave in place
            detail::le16(out, f.delayCs);
            out.append(char(0));
            out.append(char(0));
        }
        out.append(char(0x2c));
        detail::le16(out, 0);
        detail::le16(out, 0);
        detail::le16(out, width);
        detail::le16(out, height);
        out.append(char(0));
        out.append(detail::lzwSolid(width * height, f.colourIndex));
    }
    out.append(char(0x3b));
    return out;
}

} // namespace gifbytes
