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
//  - for an animated image, a reader that decodes its frames in order as they are reached;
//    frames are kept only at the size they are shown, never at the size of the canvas they
//    are composed on;
//  - a copy of each frame scaled to the size it was last shown at, rebuilt when that size
//    changes, so a repaint is a plain copy of pixels.
// A still image decoded for a known shown size (the plate strip, while it loads) keeps only
// its screen copy: the source decode is made again from the bytes when the size changes.
//
// The bytes come from other people's files, so before anything is decoded the header is held
// to the limits: the pixel count and the decompression-bomb ratio apply to the image and to
// the screen a GIF composes its frames on, an animation plays no more frames than its canvas
// allows within a budget of decoding work, and a JPEG with more scans than real pictures
// ever have is refused (each scan walks every block again).
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

    // Once turned on (by the program, on the thread that shows its windows), draw() on that
    // thread never decodes or scales a large image: a picture lacking what its shown size
    // needs draws what it has (its last copy, stretched) and has the decode made on the
    // thread pool, one at a time per picture; PictureReady then tells the views to repaint.
    // An animation waits on a frame still being decoded (isWaitingForFrame). Other threads,
    // and every thread while it is off (tools, tests), draw synchronously.
    static void setDrawingWithoutDecoding(bool on);

    ~PictureImage();
    PictureImage(const PictureImage&) = delete;
    PictureImage& operator=(const PictureImage&) = delete;

    // An independent holder over the same bytes that shares the decoded pixels (they are
    // copied on write) and the image last drawn (it stands in until the copy has its own),
    // showing frame 0. Decodes nothing.
    std::unique_ptr<PictureImage> copy() const;

    const QByteArray& bytes() const { return m_bytes; }
    QSize size() const { return m_size; } // full pixel size, never empty
    // Frames played, at least 1: an animation whose frames cost more than the decoding budget
    // on its canvas loops early.
    int frameCount() const { return m_frameCount; }
    // Delay after the first frame as the decoder reports it, in ms; 0 when none is given.
    int firstFrameDelayMs() const { return m_firstDelayMs; }

    // Makes frame index the one drawn; false (the current frame stays) when it cannot be had.
    // Drawing without decoding, a frame is taken unless it is known to be missing.
    bool selectFrame(int index);
    // The last draw (drawing without decoding) showed a stand-in: what it needs is still
    // being decoded. An animation then waits on the frame.
    bool isStandingIn() const { return m_standingIn; }
    bool isWaitingForFrame() const { return m_animated && m_standingIn; }
    int currentFrame() const { return m_current; }

    // The current frame at full resolution (decoded on demand and not kept; null on failure).
    QImage fullImage();
    // The current frame at its full size, or shrunk to fit bound when larger (aspect kept),
    // decoded at the smallest 1/2, 1/4 or 1/8 that still fills it. Null on failure.
    QImage imageWithin(QSize bound);

    // Draws the current frame into the parallelogram given by its upper-left, upper-right and
    // lower-left corners in the painter's logical coordinates. Only what falls inside the
    // painter's clip and device is drawn; nothing at all when the parallelogram is outside.
    void draw(QPainter& g, QPointF ul, QPointF ur, QPointF ll);

    // Makes the current frame's copy for drawing at target device pixels now, so that the
    // next draw at that size is a plain copy of pixels. Safe on a worker thread for a holder
    // that no other thread uses meanwhile (a copy() made for it).
    void prepareScreenCopy(QSize target);

    // Whatever image it holds now, at whatever size (the last drawn, a screen copy or the
    // small decode); null when it holds none. Decodes nothing: thumbnails of what the views
    // already show.
    QImage heldImage() const {
        if (!m_shown.isNull())
            return m_shown;
        return !m_screen.empty() && !m_screen.front().isNull() ? m_screen.front() : m_still;
    }

    // Bytes of decoded pixels held now (source decode, the frame last read, screen copies).
    qint64 decodedBytes() const;

private:
    struct Preparation;

    PictureImage() = default;
    bool isAnimated() const { return m_animated; }
    // Still images: a decode at 1/2^shift of full size.
    bool ensureStill(int shift);
    QImage decodeStill(int shift) const;
    // Animated images: frame `index` at full size.
    QImage animatedFrame(int index);
    void resetReader();
    void releaseReader();
    QImage sourceFor(QSize target);
    QImage screenCopy(QSize target);
    void keepScreenCopy(std::size_t at, const QImage& copy);
    // Drawing without decoding.
    static bool drawsWithoutDecoding();
    // What to draw at target now: the image made for it, else the last one drawn (to be
    // stretched) while the right one is made on the thread pool.
    QImage preparedFor(QSize target, bool deep);
    void collectPrepared();
    void startPreparing(QSize target, bool deep);

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

    // Animated: the sequential reader, let go of once it has given the last frame.
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QImageReader> m_reader;
    qint64 m_readerCharge = 0; // its canvas, as counted against the budget of all readers
    int m_readerNext = 0;      // index of the frame the reader gives next
    int m_badFrom = 1 << 30;   // first frame that failed to decode
    QImage m_lastRead;         // the last frame the reader gave, at full size

    // Screen copies, one per frame, all of m_screenSize.
    QSize m_screenSize;
    std::vector<QImage> m_screen;
    qint64 m_screenBytes = 0;

    // Drawing without decoding: the decode under way (one at a time), the holder it works on
    // (an animation's is kept, so its reader goes on where it stopped), the image last drawn
    // and what it shows (it stands in, stretched, while the right one is made), and what
    // could not be had, so that it is not tried again at every repaint.
    std::shared_ptr<Preparation> m_preparing;
    std::shared_ptr<PictureImage> m_worker;
    QImage m_shown;
    int m_shownFrame = -1;
    QSize m_shownTarget;
    QSize m_failedTarget;
    bool m_standingIn = false;
};
