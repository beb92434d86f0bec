#include "GifWriter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <unordered_map>

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;

// Collects codes of varying width, least significant bit first, as GIF's LZW packs them.
class BitPacker {
public:
    void put(int code, int bits) {
        m_acc |= quint32(code) << m_count;
        m_count += bits;
        while (m_count >= 8) {
            m_out.append(char(m_acc & 0xFF));
            m_acc >>= 8;
            m_count -= 8;
        }
    }
    QByteArray finish() {
        if (m_count > 0)
            m_out.append(char(m_acc & 0xFF));
        m_acc = 0;
        m_count = 0;
        return m_out;
    }

private:
    QByteArray m_out;
    quint32 m_acc = 0;
    int m_count = 0;
};

// A box of the 5-bit-per-channel colour histogram, split until the palette is full.
struct ColourBox {
    std::vector<int> bins; // histogram bin numbers (r << 10 | g << 5 | b)
    qint64 weight = 0;
    int axis = 0; // channel with the largest range
    int range = 0;
};

int channel(int bin, int axis) {
    return (bin >> (10 - 5 * axis)) & 31;
}

void measure(ColourBox& box, const std::vector<qint64>& counts) {
    std::array<int, 3> lo{31, 31, 31};
    std::array<int, 3> hi{0, 0, 0};
    box.weight = 0;
    for (int bin : box.bins) {
        box.weight += counts[bin];
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], channel(bin, a));
            hi[a] = std::max(hi[a], channel(bin, a));
        }
    }
    box.range = -1;
    for (int a = 0; a < 3; ++a) {
        if (hi[a] - lo[a] > box.range) {
            box.range = hi[a] - lo[a];
            box.axis = a;
        }
    }
}

void appendLittle16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

} // namespace

std::vector<QRgb> GifWriter::choosePalette(const std::vector<QImage>& frames, int maxColours) {
    std::vector<qint64> counts(1 << 15, 0);
    std::vector<qint64> sums(3 << 15, 0);
    for (const QImage& frame : frames) {
        const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                const QRgb c = line[x];
                const int bin = (qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3);
                ++counts[bin];
                sums[3 * bin] += qRed(c);
                sums[3 * bin + 1] += qGreen(c);
                sums[3 * bin + 2] += qBlue(c);
            }
        }
    }

    std::vector<ColourBox> boxes(1);
    for (int bin = 0; bin < int(counts.size()); ++bin)
        if (counts[bin] > 0)
            boxes[0].bins.push_back(bin);
    if (boxes[0].bins.empty())
        return {};
    measure(boxes[0], counts);

    while (int(boxes.size()) < maxColours) {
        // Split the box whose widest channel spans most, weighted by how many pixels it
        // holds, so large flat areas keep exact colours and gradients get the spare entries.
        int best = -1;
        double bestScore = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].bins.size() < 2)
                continue;
            const double score = double(boxes[i].range + 1) * double(boxes[i].weight);
            if (best < 0 || score > bestScore) {
                best = i;
                bestScore = score;
            }
        }
        if (best < 0)
            break;
        ColourBox& box = boxes[best];
        const int axis = box.axis;
        std::stable_sort(box.bins.begin(), box.bins.end(),
                         [axis](int a, int b) { return channel(a, axis) < channel(b, axis); });
        // Weighted median, but never an empty half.
        qint64 half = box.weight / 2;
        std::size_t cut = 1;
        qint64 running = 0;
        for (std::size_t i = 0; i + 1 < box.bins.size(); ++i) {
            running += counts[box.bins[i]];
            cut = i + 1;
            if (running >= half)
                break;
        }
        ColourBox upper;
        upper.bins.assign(box.bins.begin() + std::ptrdiff_t(cut), box.bins.end());
        box.bins.resize(cut);
        measure(box, counts);
        measure(upper, counts);
        boxes.push_back(std::move(upper));
    }

    std::vector<QRgb> palette;
    palette.reserve(boxes.size());
    for (const ColourBox& box : boxes) {
        qint64 r = 0, g = 0, b = 0;
        for (int bin : box.bins) {
            r += sums[3 * bin];
            g += sums[3 * bin + 1];
            b += sums[3 * bin + 2];
        }
        const qint64 n = std::max<qint64>(box.weight, 1);
        palette.push_back(qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n)));
    }
    return palette;
}

QByteArray GifWriter::lzwCompress(const std::vector<quint8>& indices, int minCodeSize) {
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    BitPacker out;
    std::unordered_map<quint32, int> table;
    table.reserve(kMaxCodes);
    int codeBits = minCodeSize + 1;
    int nextCode = endCode + 1;

    out.put(clearCode, codeBits);
    if (indices.empty()) {
        out.put(endCode, codeBits);
        return out.finish();
    }

    // Every code emitted (but the first after a clear) lets the decoder add one entry; its
    // width grows as soon as the newest entry no longer fits the current width.
    auto addEntry = [&](quint32 key) {
        table.emplace(key, nextCode);
        ++nextCode;
        if (nextCode - 1 == (1 << codeBits) && codeBits < kMaxCodeBits)
            ++codeBits;
    };

    int prefix = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const quint32 key = quint32(prefix) << 8 | indices[i];
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        out.put(prefix, codeBits);
        addEntry(key);
        if (nextCode >= kMaxCodes) {
            out.put(clearCode, codeBits);
            table.clear();
            codeBits = minCodeSize + 1;
            nextCode = endCode + 1;
        }
        prefix = indices[i];
    }
    out.put(prefix, codeBits);
    // The decoder adds an entry for this last code too and may widen before the end code.
    ++nextCode;
    if (nextCode - 1 == (1 << codeBits) && codeBits < kMaxCodeBits)
        ++codeBits;
    out.put(endCode, codeBits);
    return out.finish();
}

QByteArray GifWriter::encode(const std::vector<QImage>& frames, int delayCs) {
    if (frames.empty() || frames.front().isNull())
        return {};
    const QSize size = frames.front().size();
    if (size.width() > 0xFFFF || size.height() > 0xFFFF)
        return {};
    for (const QImage& frame : frames)
        if (frame.size() != size)
            return {};

    std::vector<QRgb> palette = choosePalette(frames, 256);
    palette.resize(256, qRgb(0, 0, 0)); // GIF tables hold a power of two entries

    QByteArray gif("GIF89a");
    appendLittle16(gif, size.width());
    appendLittle16(gif, size.height());
    gif.append(char(0xF7)); // global table of 256 entries, 8 bits of colour resolution
    gif.append(char(0));    // background colour index
    gif.append(char(0));    // square pixels
    for (QRgb c : palette) {
        gif.append(char(qRed(c)));
        gif.append(char(qGreen(c)));
        gif.append(char(qBlue(c)));
    }
    // Loop for ever.
    gif.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);

    std::unordered_map<QRgb, quint8> nearest;
    auto indexOf = [&](QRgb c) -> quint8 {
        c |= 0xFF000000u;
        const auto hit = nearest.find(c);
        if (hit != nearest.end())
            return hit->second;
        int best = 0;
        int bestDistance = INT_MAX;
        for (int i = 0; i < int(palette.size()); ++i) {
            const int dr = qRed(c) - qRed(palette[i]);
            const int dg = qGreen(c) - qGreen(palette[i]);
            const int db = qBlue(c) - qBlue(palette[i]);
            const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        nearest.emplace(c, quint8(best));
        return quint8(best);
    };

    const int delay = std::clamp(delayCs, 0, 0xFFFF);
    for (const QImage& frame : frames) {
        const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
        std::vector<quint8> indices;
        indices.reserve(std::size_t(size.width()) * std::size_t(size.height()));
        for (int y = 0; y < rgb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x)
                indices.push_back(indexOf(line[x]));
        }

        // Graphic control: disposal "do not dispose", no transparency.
        gif.append("\x21\xF9\x04\x04", 4);
        appendLittle16(gif, delay);
        gif.append(char(0));
        gif.append(char(0));
        // Image descriptor: the whole screen, no local table, not interlaced.
        gif.append(char(0x2C));
        appendLittle16(gif, 0);
        appendLittle16(gif, 0);
        appendLittle16(gif, size.width());
        appendLittle16(gif, size.height());
        gif.append(char(0));

        const int minCodeSize = 8;
        gif.append(char(minCodeSize));
        const QByteArray data = lzwCompress(indices, minCodeSize);
        for (qsizetype pos = 0; pos < data.size(); pos += 255) {
            const qsizetype n = std::min<qsizetype>(255, data.size() - pos);
            gif.append(char(n));
            gif.append(data.constData() + pos, n);
        }
        gif.append(char(0));
    }
    gif.append(char(0x3B));
    return gif;
}
