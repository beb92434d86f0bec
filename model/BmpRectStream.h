#pragma once

#include "BmpRect.h"

class QIODevice;

// A picture whose encoded bytes come from a stream: a fragment's picture stream, a clone,
// or a lesson picture file.
class BmpRectStream : public BmpRect {
public:
    BmpRectStream();
    ~BmpRectStream() override;

    // Makes the image from a picture stream's whole content (the bytes are kept as the
    // picture's own), then places the picture by the vector, takes the name and applies the
    // stored scale when it is not exactly 1.0. Raises Err "Failed to load picture." when the
    // bytes give no image or an empty one. Safe on a worker thread (no drawing, no dialogs).
    // `shown`: the device-pixel size it will be drawn at, when known (PictureImage::decode).
    void loadFromStream(const QByteArray& bytes, const QByteArray& name, PointD vecBeg,
                        PointD vecEnd, QSize shown = {});
    // The same placing for an image of `pixels` that is not there (no bytes, no image).
    void placeOutline(QSize pixels, const QByteArray& name, PointD vecBeg, PointD vecEnd);

    // Copies the picture's own bytes into a target stream; false when not all were written.
    bool writeStreamTo(QIODevice& target) const;

    // Whether the picture owns its bytes (always true here: bytes are shared by value).
    bool ownsStream() const { return true; }

private:
    friend class LessFile; // toPicture hands its bytes and image over
    void takeBytes(const QByteArray& bytes) { setOwnBytes(bytes); }
    void adopt(std::unique_ptr<PictureImage> image);
};
