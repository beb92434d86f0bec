#include "PictureHeaders.h"

#include <cstring>

namespace pictureheaders {

namespace {

int byteAt(const QByteArray& bytes, qsizetype at) {
    return static_cast<unsigned char>(bytes.at(at));
}

bool isStandalone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); // TEM, RSTn
}

// The first marker at or after `at` inside entropy-coded data: 0xFF followed by neither a
// stuffed zero, a restart marker nor another fill byte. The size of bytes when there is none.
qsizetype nextMarker(const QByteArray& bytes, qsizetype at) {
    const qsizetype size = bytes.size();
    const char* data = bytes.constData();
    while (at < size) {
        const void* ff = std::memchr(data + at, 0xFF, std::size_t(size - at));
        if (!ff)
            return size;
        at = static_cast<const char*>(ff) - data;
        if (at + 1 >= size)
            return size;
        const int next = byteAt(bytes, at + 1);
        if (next == 0x00 || isStandalone(next))
            at += 2;
        else if (next == 0xFF)
            at += 1;
        else
            return at;
    }
    return size;
}

} // namespace

QSize gifLogicalScreen(const QByteArray& bytes) {
    if (bytes.size() < 10 || (!bytes.startsWith("GIF87a") && !bytes.startsWith("GIF89a")))
        return {};
    return {byteAt(bytes, 6) | (byteAt(bytes, 7) << 8), byteAt(bytes, 8) | (byteAt(bytes, 9) << 8)};
}

int jpegScanCount(const QByteArray& bytes, int stopAfter) {
    if (bytes.size() < 4 || byteAt(bytes, 0) != 0xFF || byteAt(bytes, 1) != 0xD8)
        return 0;
    int scans = 0;
    qsizetype at = 2;
    const qsizetype size = bytes.size();
    while (at + 1 < size) {
        if (byteAt(bytes, at) != 0xFF)
            return scans; // damaged: the decoder stops here too
        int marker = byteAt(bytes, at + 1);
        ++at;
        while (marker == 0xFF && at + 1 < size) { // fill bytes before the marker
            ++at;
            marker = byteAt(bytes, at);
        }
        ++at;
        if (marker == 0xD9) // end of image
            return scans;
        if (isStandalone(marker))
            continue;
        if (at + 1 >= size)
            return scans;
        const int length = (byteAt(bytes, at) << 8) | byteAt(bytes, at + 1);
        if (length < 2)
            return scans;
        at += length;
        if (marker == 0xDA) {
            if (++scans > stopAfter)
                return scans;
            at = nextMarker(bytes, at);
        }
    }
    return scans;
}

} // namespace pictureheaders
