#include "PngBounds.h"

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qsizetype kSignatureSize = 8;
constexpr qsizetype kChunkOverhead = 12; // length, type, CRC
constexpr char kEndChunk[] = "\0\0\0\0IEND\xae\x42\x60\x82";

quint32 bigEndian32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | u[3];
}

} // namespace

QByteArray pngWithinBounds(const QByteArray& bytes) {
    if (!bytes.startsWith(QByteArray::fromRawData(kSignature, kSignatureSize)))
        return bytes;
    qsizetype at = kSignatureSize;
    while (bytes.size() - at >= kChunkOverhead) {
        const quint32 length = bigEndian32(bytes.constData() + at);
        if (qint64(length) > qint64(bytes.size() - at - kChunkOverhead))
            return bytes.left(at) + QByteArray(kEndChunk, kChunkOverhead);
        if (QByteArrayView(bytes).sliced(at + 4, 4) == "IEND")
            return bytes;
        at += kChunkOverhead + qsizetype(length);
    }
    return bytes; // what is left is too short to claim anything
}
