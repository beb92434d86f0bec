#pragma once

#include <QByteArray>

#include <algorithm>

// Small picture files made to cost a decoder far more than their size suggests, built byte by
// byte (for the tests, the benchmark of untrusted lessons and the fuzz corpus).
namespace hostile {

namespace detail {
inline void le16(QByteArray& out, int v) {
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}
inline void be16(QByteArray& out, int v) {
    out.append(char((v >> 8) & 0xff));
    out.append(char(v & 0xff));
}

// Entropy-coded bits, most significant first, with a zero byte after every 0xFF and the last
// byte filled with ones, as JPEG writes them.
class JpegBits {
public:
    void put(quint32 bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            m_acc = (m_acc << 1) | ((bits >> i) & 1u);
            if (++m_n == 8)
                flushByte();
        }
    }
    QByteArray finish() {
        while (m_n != 0)
            put(1, 1);
        return m_out;
    }

private:
    void flushByte() {
        m_out.append(char(m_acc));
        if (m_acc == 0xff)
            m_out.append(char(0));
        m_acc = 0;
        m_n = 0;
    }
    QByteArray m_out;
    quint32 m_acc = 0;
    int m_n = 0;
};
} // namespace detail

// A GIF whose logical screen is width x height while every frame is one pixel at its corner:
// a decoder that composes each frame on the whole screen does width x height work per frame.
inline QByteArray canvasGif(int width, int height, int frames) {
    QByteArray out("GIF89a");
    detail::le16(out, width);
    detail::le16(out, height);
    out.append(char(0x80)); // global table of 2 entries
    out.append(char(0));
    out.append(char(0));
    out.append(QByteArray("\xff\x00\x00\x00\x00\xff", 6));
    for (int i = 0; i < frames; ++i) {
        out.append(QByteArray("\x21\xf9\x04\x00\x0a\x00\x00\x00", 8)); // 100 ms
        out.append(char(0x2c));
        detail::le16(out, 0);
        detail::le16(out, 0);
        detail::le16(out, 1);
        detail::le16(out, 1);
        out.append(char(0));
        // Minimum code size 2: clear (4), index i % 2, end (5) in 3-bit codes.
        const int index = i % 2;
        const int bits = 4 | (index << 3) | (5 << 6);
        out.append(char(2));
        out.append(char(2));
        out.append(char(bits & 0xff));
        out.append(char(bits >> 8));
        out.append(char(0));
    }
    out.append(char(0x3b));
    return out;
}

// A grey progressive JPEG of size x size: one DC scan, then `scans` AC scans that code nothing
// but end-of-band runs (a few bytes each), each of which still makes the decoder visit every
// block of the image.
inline QByteArray manyScanJpeg(int size, int scans) {
    QByteArray out("\xff\xd8", 2);
    out.append("\xff\xdb", 2); // quantisation table 0, all ones
    detail::be16(out, 67);
    out.append(char(0));
    out.append(QByteArray(64, char(1)));
    out.append("\xff\xc2", 2); // progressive, 8 bits, one component
    detail::be16(out, 11);
    out.append(char(8));
    detail::be16(out, size);
    detail::be16(out, size);
    out.append(QByteArray("\x01\x01\x11\x00", 4));
    // DC table 0: category 0 is the code "0". AC table 0: EOB14 (runs of 16384..32767) is "0",
    // EOB run categories 0..13 the codes "10", "110", ... as needed.
    out.append("\xff\xc4", 2);
    detail::be16(out, 2 + 17 + 1);
    out.append(char(0x00));
    out.append(char(1));
    out.append(QByteArray(15, char(0)));
    out.append(char(0));
    QByteArray acCounts(16, char(0));
    QByteArray acSymbols;
    acCounts[0] = 1;
    acSymbols.append(char(0xe0));
    for (int r = 0; r < 14; ++r) {
        acCounts[std::min(r + 1, 15)] = char(acCounts[std::min(r + 1, 15)] + 1);
        acSymbols.append(char(r << 4));
    }
    out.append("\xff\xc4", 2);
    detail::be16(out, 2 + 17 + int(acSymbols.size()));
    out.append(char(0x10));
    out.append(acCounts);
    out.append(acSymbols);

    const int blocks = ((size + 7) / 8) * ((size + 7) / 8);
    const QByteArray sosDc("\xff\xda\x00\x08\x01\x01\x00\x00\x00\x00", 10);
    out.append(sosDc);
    detail::JpegBits dc;
    for (int b = 0; b < blocks; ++b)
        dc.put(0, 1);
    out.append(dc.finish());

    QByteArray acData;
    {
        // Canonical Huffman codes from the counts, as a decoder derives them.
        quint32 codes[15];
        int lengths[15];
        quint32 code = 0;
        int k = 0;
        for (int len = 1; len <= 16; ++len) {
            for (int i = 0; i < acCounts[len - 1]; ++i) {
                codes[k] = code++;
                lengths[k] = len;
                ++k;
            }
            code <<= 1;
        }
        // Symbol order as appended: 0xe0 first, then r << 4 for r = 0..13.
        detail::JpegBits ac;
        int left = blocks;
        while (left > 0) {
            int r = 14;
            while (r > 0 && (1 << r) > left)
                --r;
            const int run = std::min(left, (1 << (r + 1)) - 1);
            const int index = r == 14 ? 0 : r + 1;
            ac.put(codes[index], lengths[index]);
            if (r > 0)
                ac.put(quint32(run - (1 << r)), r);
            left -= run;
        }
        acData = ac.finish();
    }
    const QByteArray sosAc("\xff\xda\x00\x08\x01\x01\x00\x01\x3f\x00", 10);
    for (int s = 0; s < scans; ++s) {
        out.append(sosAc);
        out.append(acData);
    }
    out.append("\xff\xd9", 2);
    return out;
}

} // namespace hostile
