#pragma once

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QSize>

#include <memory>
#include <vector>

class QPainter;
class QImageReader;
class QBuffer;

// The decoded image of a picture, made from the picture's own encoded bytes.
//
// Drawing a plate must be cheap and a plate in the strip must not hold its full-resolution
// decode, so the holder keeps:
//  - the encoded bytes (shared with the picture; never re-read from a file or container);
//  - a source decode of a still image at 1, 1/2, 1/4 or 1/8 of its size, the smallest that
//    is at least as large as the image is shown (JPEG decodes such sizes directly);
//  - the frames of an animated image, at full size, decoded in order as they are reached
//    and kept within a memory budget (frames past the budget are decoded again when needed);
//  - a copy of each frame scaled to the size it was last shown at, rebuilt when that size
//    changes, so a repaint is a plain copy of pixels.
// A still image decoded for a known shown size (the plate strip, while it loads) keeps only
// its screen copy: the source decode is made again from the bytes when the size changes.
class PictureImage {
public:
    // Decodes bytes whose content decides the format. Null when they do not decode, decode to
    // an empty image, or claim more pixels than the decoding limit allows.
    // With a shown size (device pixels, as draw computes it) a still image decodes at the
    // smallest 1/2, 1/4 or 1/8 at or above it and is scaled to it at once; an animated image,
    // or one shown larger than a screen copy may be, ignores it.
    static std::unique_ptr<PictureImage> decode(const QByteArray& bytes, QSize shown = {});
    // The pixel size the bytes' header claims; invalid when the header tells none.
    static QSize headerSize(const QByteArray& bytes);
    // The device-pixel size draw() shows a parallelogram at (its corners in logical pixels).
    static QSize shownSize(QPointF ul, QPointF ur, QPointF ll, qreal devicePixelRatio);

    ~PictureImage();
    PictureImage(const PictureImage&) = delete;
    PictureImage& operator=(const PictureImage&) = delete;

    // An independent holder over the same bytes that shares the decoded pixels (they are
    // copied on write), showing frame 0.
    std::unique_ptr<PictureImage> copy() const;

    const QByteArray& bytes() const { return m_bytes; }
    QSize size() const { return m_size; } // full pixel size, never empty
    // Frames in the time dimension; at least 1.
    int frameCount() const { return m_frameCount; }
    // Delay after the first frame as the decoder reports it, in ms; 0 when none is given.
    int firstFrameDelayMs() const { return m_firstDelayMs; }

    // Makes frame index the one drawn; false (the current frame stays) when it cannot be had.
    bool selectFrame(int index);
    int currentFrame() const { return m_current; }

    // The current frame at full resolution (decoded on demand and not kept; null on failure).
    QImage fullImage();

    // Draws the current frame into the parallelogram given by its upper-left, upper-right and
    // lower-left corners in the painter's logical coordinates. Only what falls inside the
    // painter's clip and device is drawn; nothing at all when the parallelogram is outside.
    void draw(QPainter& g, QPointF ul, QPointF ur, QPointF ll);

    // Makes the current frame's copy for drawing at target device pixels now, so that the
    // next draw at that size is a plain copy of pixels. Safe on a worker thread for a holder
    // that no other thread uses meanwhile (a copy() made for it).
    void prepareScreenCopy(QSize target);

    // Bytes of decoded pixels held now (source decodes, frames and screen copies).
    qint64 decodedBytes() const;

private:
    PictureImage() = default;
    bool isAnimated() const { return m_animated; }
    // Still images: a decode at 1/2^shift of full size.
    bool ensureStill(int shift);
    QImage decodeStill(int shift) const;
    // Animated images: frame `index` at full size.
    QImage animatedFrame(int index);
    void resetReader();
    QImage sourceFor(QSize target);
    QImage screenCopy(QSize target);

    QByteArray m_bytes;
    QSize m_size;
    bool m_animated = false;
    int m_frameCount = 1;
    int m_firstDelayMs = 0;
    int m_current = 0;
    // False for a still image decoded for its shown size: a cached screen copy is then all it
    // holds.
    bool m_keepSource = true;

    // Still image source decode and the shift it was made at (0 = full size).
    QImage m_still;
    int m_stillShift = -1;

    // Animated: frames kept so far (null where not kept), and the sequential reader.
    std::vector<QImage> m_frames;
    qint64 m_framesBytes = 0;
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QImageReader> m_reader;
    int m_readerNext = 0;    // index of the frame the reader gives next
    int m_badFrom = 1 << 30; // first frame that failed to decode
    QImage m_lastRead;       // the last frame the reader gave, when not kept in m_frames

    // Screen copies, one per frame, all of m_screenSize.
    QSize m_screenSize;
    std::vector<QImage> m_screen;
    qint64 m_screenBytes = 0;
};
