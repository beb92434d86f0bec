#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

// A reader of uncompressed SWF files for the tests: walks the header and every tag.
namespace swfwalk {

// Reads SWF's packed bit fields, most significant bit first.
class BitReader {
public:
    BitReader(const QByteArray& data, qsizetype offset) : m_data(data), m_pos(offset * 8) {}
    quint32 bits(int n) {
        quint32 v = 0;
        for (int i = 0; i < n; ++i, ++m_pos)
            v = v << 1 | ((quint8(m_data[m_pos / 8]) >> (7 - m_pos % 8)) & 1u);
        return v;
    }
    qint32 signedBits(int n) {
        const quint32 v = bits(n);
        return n > 0 && (v >> (n - 1)) ? qint32(v | ~((1u << n) - 1u)) : qint32(v);
    }
    qsizetype alignedByte() const { return (m_pos + 7) / 8; }

private:
    const QByteArray& m_data;
    qsizetype m_pos;
};

inline quint32 le16(const QByteArray& d, qsizetype at) {
    return quint8(d[at]) | quint32(quint8(d[at + 1])) << 8;
}
inline quint32 le32(const QByteArray& d, qsizetype at) {
    return le16(d, at) | le16(d, at + 2) << 16;
}

struct SwfSummary {
    QString error;
    int frameCountField = 0;
    int showFrames = 0;
    QList<int> tagCodes;
    QList<qsizetype> tagBodies; // offset of each tag's body
    QRect stageTwips;
};

// Walks a whole uncompressed SWF: header, every tag, the End tag exactly at the end.
inline SwfSummary walkSwf(const QByteArray& swf) {
    SwfSummary s;
    if (swf.size() < 21 || !swf.startsWith("FWS")) {
        s.error = "no FWS header";
        return s;
    }
    if (le32(swf, 4) != quint32(swf.size())) {
        s.error = QStringLiteral("length field %1, file %2").arg(le32(swf, 4)).arg(swf.size());
        return s;
    }
    BitReader rect(swf, 8);
    const int n = int(rect.bits(5));
    const int x0 = rect.signedBits(n), x1 = rect.signedBits(n);
    const int y0 = rect.signedBits(n), y1 = rect.signedBits(n);
    s.stageTwips = QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
    qsizetype at = rect.alignedByte() + 2; // frame rate
    s.frameCountField = int(le16(swf, at));
    at += 2;
    while (at + 2 <= swf.size()) {
        const quint32 head = le16(swf, at);
        at += 2;
        const int code = int(head >> 6);
        qsizetype length = head & 0x3F;
        if (length == 0x3F) {
            if (at + 4 > swf.size()) {
                s.error = "truncated long tag header";
                return s;
            }
            length = le32(swf, at);
            at += 4;
        }
        if (at + length > swf.size()) {
            s.error = QStringLiteral("tag %1 runs past the end").arg(code);
            return s;
        }
        s.tagCodes << code;
        s.tagBodies << at;
        at += length;
        if (code == 1)
            ++s.showFrames;
        if (code == 0) {
            if (at != swf.size())
                s.error = "data after the End tag";
            return s;
        }
    }
    s.error = "no End tag";
    return s;
}

} // namespace swfwalk
