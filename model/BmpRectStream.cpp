#include "BmpRectStream.h"

#include "Err.h"
#include "PictureImage.h"
#include "XmlDoc.h"

#include <QIODevice>

BmpRectStream::BmpRectStream() = default;

BmpRectStream::~BmpRectStream() = default;

void BmpRectStream::loadFromStream(const QByteArray& bytes, const QByteArray& name, PointD vecBeg,
                                   PointD vecEnd) {
    setOwnBytes(bytes);
    std::unique_ptr<PictureImage> image = PictureImage::decode(bytes);
    if (!image)
        throw Err("Failed to load picture.");
    adoptImage(std::move(image));
    readGifInfo();
    placeByVector(vecBeg, vecEnd);
    setName(name);
    if (scale() != 1.0)
        setScale(scale());
}

void BmpRectStream::adopt(std::unique_ptr<PictureImage> image) {
    adoptImage(std::move(image));
}

bool BmpRectStream::writeStreamTo(QIODevice& target) const {
    const QByteArray& bytes = streamBytes();
    return target.write(bytes) == bytes.size();
}

void BmpRectStream::writeRecord(XmlDoc& doc) const {
    const XmlPos e = doc.addElement(doc.root(), "Object");
    doc.setAttribute(e, "type", "BmpRectStream");
    doc.addIntElement(e, "bFrame", bFrame() ? 1 : 0);
    doc.addIntElement(e, "bAvi", bAvi() ? 1 : 0);
    doc.addIntElement(e, "bGif", bGif() ? 1 : 0);
    doc.addRealElement(e, "scale", scale());
    doc.addTextElement(e, "srcName", srcName());
    doc.addTextElement(e, "swfNameMy", swfNameMy());
    doc.addTextElement(e, "aviName", aviName());
    doc.addTextElement(e, "picName", picName());
    doc.addTextElement(e, "name", name());
    const XmlPos b = doc.addElement(e, "vecBeg");
    doc.addRealElement(b, "x", vecBeg().x);
    doc.addRealElement(b, "y", vecBeg().y);
    const XmlPos v = doc.addElement(e, "vecEnd");
    doc.addRealElement(v, "x", vecEnd().x);
    doc.addRealElement(v, "y", vecEnd().y);
}
