#include "BmpRectStream.h"

#include "Err.h"
#include "PictureImage.h"

#include <QIODevice>

BmpRectStream::BmpRectStream() = default;

BmpRectStream::~BmpRectStream() = default;

void BmpRectStream::loadFromStream(const QByteArray& bytes, const QByteArray& name, PointD vecBeg,
                                   PointD vecEnd, QSize shown) {
    setOwnBytes(bytes);
    std::unique_ptr<PictureImage> image = PictureImage::decode(bytes, shown);
    if (!image)
        throw Err("Failed to load picture.");
    adoptImage(std::move(image));
    readGifInfo();
    placeByVector(vecBeg, vecEnd);
    setName(name);
    if (scale() != 1.0)
        setScale(scale());
}

void BmpRectStream::placeOutline(QSize pixels, const QByteArray& name, PointD vecBeg,
                                 PointD vecEnd) {
    setPixelSize(pixels);
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
