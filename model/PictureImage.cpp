#include "PictureImage.h"

#include "DecodePool.h"
#include "Graphics.h"
#include "PictureHeaders.h"
#include "PictureReady.h"
#include "PngBounds.h"

#include <QBuffer>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

namespace {

// Every frame of an animation is composed on its whole canvas, so one loop costs frames x
// canvas pixels of decoding. An animation plays no more frames than fit in this (a 1080p
// animation of 500 frames does); the rest would take seconds per loop for a few kilobytes.
constexpr qint64 kAnimationPixelBudget = qint64(1) << 30;
// Real progressive JPEGs have about 10 scans. Each scan walks every block of the image, so
// a file of scans that code nothing costs seconds per kilobyte: more scans than this, or
// more scan pixels than the budget (fewer scans for a larger image), are refused.
constexpr int kMaxJpegScans = 100;
constexpr qint64 kJpegScanPixelBudget = qint64(1) << 31;
// Screen copies of one picture. A picture shown larger than this (deep zoom) is drawn straight
// from its source decode instead; the painter then samples only the visible part.
constexpr qint64 kScreenBudgetBytes = qint64(64) * 1024 * 1024;
constexpr qint64 kMaxScreenCopyPixels = qint64(16) * 1024 * 1024;
// An animation longer than this loops early rather than growing tables without bound.
constexpr int kMaxFrames = 65536;
// Source decodes are made at 1/2^shift of full size, shift 0..3 (what JPEG decodes directly).
constexpr int kMaxShift = 3;

bool acceptedFormat(const QByteArray& format) {
    static const QByteArray kFormats[] = {"gif", "jpeg", "jpg", "bmp", "dib", "png", "tif", "tiff"};
    return std::find(std::begin(kFormats), std::end(kFormats), format.toLower()) !=
           std::end(kFormats);
}

int shrink(int length, int shift) {
    return (length + (1 << shift) - 1) >> shift;
}

QSize shrunk(QSize full, int shift) {
    return {shrink(full.width(), shift), shrink(full.height(), shift)};
}

// The smallest source decode still at least as large as the target in both directions.
int neededShift(QSize full, QSize target) {
    for (int s = kMaxShift; s > 0; --s) {
        const QSize d = shrunk(full, s);
        if (d.width() >= target.width() && d.height() >= target.height())
            return s;
    }
    return 0;
}

// Formats a raster painter copies fastest: no conversion when blitting onto a back buffer.
QImage forBlitting(QImage image) {
    const QImage::Format f =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != f)
        image.convertTo(f);
    return image;
}

// A large image whose pixels outnumber its bytes by far more than any real picture is a
// decompression bomb: within the pixel limit it still costs seconds of decoding and hundreds
// of megabytes. Real pictures this large (photographs, scans) stay far below the ratio; flat
// drawings that compress better are much smaller.
constexpr qint64 kBombMinPixels = qint64(16) * 1024 * 1024;
constexpr qint64 kBombExpansion = 1024; // decoded bytes (4 per pixel) per encoded byte

// A GIF's logical screen costs nothing to declare, and every frame is composed on all of it:
// the ratio holds for screens from this size on (a 16 MB canvas).
constexpr qint64 kScreenBombMinPixels = qint64(4) * 1024 * 1024;

// A bitmap's best compression (run-length, 255 pixels in two bytes) stays far below the ratio,
// so a bitmap beyond it is truncated at any size that costs time to decode: its header
// promises rows the file does not hold.
constexpr qint64 kBitmapBombMinPixels = qint64(1) * 1024 * 1024;

qint64 bombFloorFor(const QByteArray& format) {
    return format == "bmp" || format == "dib" ? kBitmapBombMinPixels : kBombMinPixels;
}

bool isBomb(QSize claimed, qint64 encodedBytes, qint64 minPixels = kBombMinPixels) {
    const qint64 pixels = qint64(claimed.width()) * claimed.height();
    return pixels > minPixels && pixels * 4 > encodedBytes * kBombExpansion;
}

qint64 pixelsOf(QSize size) {
    return qint64(size.width()) * size.height();
}

// A size the header claims, held to the pixel limit and the bomb ratio; an invalid size
// (the header tells none) passes.
bool withinLimits(QSize claimed, qint64 encodedBytes, qint64 bombMinPixels = kBombMinPixels) {
    if (!claimed.isValid())
        return true;
    return !claimed.isEmpty() && pixelsOf(claimed) <= gfx::kMaxImagePixels &&
           !isBomb(claimed, encodedBytes, bombMinPixels);
}

bool tooManyScans(const QByteArray& bytes, QSize claimed) {
    const qint64 pixels = std::max<qint64>(1, pixelsOf(claimed));
    const int allowed = int(std::min<qint64>(kMaxJpegScans, kJpegScanPixelBudget / pixels));
    return pictureheaders::jpegScanCount(bytes, allowed) > allowed;
}

// Readers of animations in the middle of a loop hold their canvas (and the decoder a second
// one). Past this much over all pictures, a decode made for drawing lets go of its reader,
// and the next frame starts again from the first: slower, but a row of large animations
// cannot hold gigabytes.
constexpr qint64 kLiveReaderBudgetBytes = qint64(128) * 1024 * 1024;
std::atomic<qint64> g_liveReaderBytes{0};

std::atomic<bool> g_drawingWithoutDecoding{false};
std::atomic<QThread*> g_windowsThread{nullptr};

struct Reader {
    QBuffer buffer;
    QImageReader reader;
    explicit Reader(const QByteArray& bytes) {
        buffer.setData(pngWithinBounds(bytes));
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setAutoTransform(false); // orientation tags are not applied: images as stored
    }
};

} // namespace

PictureImage::~PictureImage() {
    releaseReader();
}

void PictureImage::releaseReader() {
    m_reader.reset();
    m_buffer.reset();
    g_liveReaderBytes -= std::exchange(m_readerCharge, 0);
}

QSize PictureImage::headerSize(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    Reader r(bytes);
    return r.reader.size();
}

QSize PictureImage::shownSize(QPointF ul, QPointF ur, QPointF ll, qreal devicePixelRatio) {
    const QPointF across = ur - ul;
    const QPointF down = ll - ul;
    const double w = std::hypot(across.x(), across.y()) * devicePixelRatio;
    const double h = std::hypot(down.x(), down.y()) * devicePixelRatio;
    if (!std::isfinite(w) || !std::isfinite(h) || w > 1e6 || h > 1e6)
        return {};
    return {qRound(w), qRound(h)};
}

std::unique_ptr<PictureImage> PictureImage::decode(const QByteArray& bytes, QSize shown) {
    gfx::installDecodeLimits();
    if (bytes.isEmpty())
        return nullptr;
    Reader r(bytes);
    const QByteArray format = r.reader.format();
    if (format.isEmpty() || !acceptedFormat(format))
        return nullptr;
    const QSize claimed = r.reader.size();
    if (!withinLimits(claimed, bytes.size(), bombFloorFor(format)))
        return nullptr;
    // A GIF's reader tells its first frame's size; every frame is composed on the screen.
    QSize canvas = claimed;
    if (format == "gif") {
        const QSize screen = pictureheaders::gifLogicalScreen(bytes);
        if (!screen.isEmpty()) {
            if (!withinLimits(screen, bytes.size(), kScreenBombMinPixels))
                return nullptr;
            canvas = canvas.isValid() ? canvas.expandedTo(screen) : screen;
        }
    }
    if ((format == "jpeg" || format == "jpg") && tooManyScans(bytes, claimed))
        return nullptr;

    std::unique_ptr<PictureImage> p(new PictureImage);
    p->m_bytes = bytes;
    const int count = format == "gif" ? r.reader.imageCount() : 1;
    p->m_animated = count > 1;

    if (p->m_animated) {
        const qint64 affordable =
            std::max<qint64>(1, kAnimationPixelBudget / std::max<qint64>(1, pixelsOf(canvas)));
        p->m_frameCount = int(std::min<qint64>({count, kMaxFrames, affordable}));
        p->m_animated = p->m_frameCount > 1;
        p->resetReader();
        const QImage first = p->animatedFrame(0);
        if (first.isNull())
            return nullptr;
        if (p->m_reader)
            p->m_firstDelayMs = std::max(0, p->m_reader->nextImageDelay());
        p->m_size = first.size();
        if (!p->m_animated) {
            p->m_still = first; // one frame within the budget: a still image
            p->m_stillShift = 0;
        }
        // Nothing is kept at canvas size: the first draw decodes the frame again.
        if (p->m_animated && !shown.isEmpty() && pixelsOf(shown) <= kMaxScreenCopyPixels)
            p->prepareScreenCopy(shown);
        p->releaseReader();
        p->m_readerNext = 0;
        p->m_lastRead = QImage();
    } else if (claimed.isValid() && !shown.isEmpty() &&
               qint64(shown.width()) * shown.height() <= kMaxScreenCopyPixels) {
        // Shown size known: one decode at the size it needs, kept as the screen copy only.
        p->m_size = claimed;
        const QImage image = p->decodeStill(neededShift(claimed, shown));
        if (image.isNull())
            return nullptr;
        QImage scaled = image.size() == shown
                            ? image
                            : image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        p->m_screenSize = shown;
        p->m_screen.assign(1, forBlitting(std::move(scaled)));
        p->m_screenBytes = p->m_screen.front().sizeInBytes();
        p->m_keepSource = false;
    } else {
        // A small decode proves the bytes decode; drawing decodes the size it needs.
        p->m_size = claimed;
        const int shift = claimed.isValid() ? kMaxShift : 0;
        QImage image = p->decodeStill(shift);
        if (image.isNull())
            return nullptr;
        if (!claimed.isValid())
            p->m_size = image.size();
        p->m_still = std::move(image);
        p->m_stillShift = shift;
    }
    if (p->m_size.isEmpty() ||
        qint64(p->m_size.width()) * p->m_size.height() > gfx::kMaxImagePixels)
        return nullptr;
    return p;
}

std::unique_ptr<PictureImage> PictureImage::copy() const {
    std::unique_ptr<PictureImage> p(new PictureImage);
    p->m_bytes = m_bytes;
    p->m_size = m_size;
    p->m_animated = m_animated;
    p->m_frameCount = m_frameCount;
    p->m_firstDelayMs = m_firstDelayMs;
    p->m_badFrom = m_badFrom;
    p->m_still = m_still; // pixels shared until either side writes
    p->m_stillShift = m_stillShift;
    // The image last drawn stands in for the copy until it has its own.
    p->m_shown = m_shown;
    if (p->m_shown.isNull() && !m_screen.empty())
        p->m_shown = m_screen.front();
    if (p->m_shown.isNull())
        p->m_shown = m_still;
    return p;
}

QImage PictureImage::decodeStill(int shift) const {
    Reader r(m_bytes);
    if (shift > 0 && m_size.isValid())
        r.reader.setScaledSize(shrunk(m_size, shift));
    QImage image;
    if (!r.reader.read(&image))
        return {};
    return image;
}

bool PictureImage::ensureStill(int shift) {
    if (m_stillShift == shift && !m_still.isNull())
        return true;
    QImage image = decodeStill(shift);
    if (image.isNull())
        return false;
    m_still = std::move(image);
    m_stillShift = shift;
    return true;
}

void PictureImage::resetReader() {
    releaseReader();
    m_buffer = std::make_unique<QBuffer>();
    m_buffer->setData(pngWithinBounds(m_bytes));
    m_buffer->open(QIODevice::ReadOnly);
    m_reader = std::make_unique<QImageReader>(m_buffer.get());
    m_reader->setAutoTransform(false);
    m_readerNext = 0;
    m_lastRead = QImage();
}

QImage PictureImage::animatedFrame(int index) {
    if (index < 0 || index >= m_frameCount || index >= m_badFrom)
        return {};
    if (index == m_readerNext - 1 && !m_lastRead.isNull())
        return m_lastRead;
    if (!m_reader || index < m_readerNext)
        resetReader(); // frames build on each other: start again from the first
    while (m_readerNext <= index) {
        QImage frame;
        if (!m_reader->read(&frame) || frame.isNull()) {
            m_badFrom = m_readerNext; // the stream ends early: later frames cannot be had
            releaseReader();
            m_lastRead = QImage();
            return {};
        }
        m_lastRead = std::move(frame);
        ++m_readerNext;
    }
    if (m_readerNext == m_frameCount) {
        // The last frame played: the reader's canvas goes until the next loop needs it.
        releaseReader();
    } else if (m_readerCharge == 0) {
        m_readerCharge = 2 * m_lastRead.sizeInBytes();
        g_liveReaderBytes += m_readerCharge;
    }
    return m_lastRead;
}

bool PictureImage::selectFrame(int index) {
    if (index < 0 || index >= m_frameCount)
        return false;
    if (m_animated && drawsWithoutDecoding()) {
        collectPrepared();
        if (index >= m_badFrom)
            return false;
    } else if (m_animated && animatedFrame(index).isNull()) {
        return false;
    }
    m_current = index;
    return true;
}

QImage PictureImage::fullImage() {
    if (m_animated)
        return animatedFrame(m_current);
    if (m_stillShift == 0)
        return m_still;
    return decodeStill(0); // not kept: drawing keeps what the shown size needs
}

QImage PictureImage::imageWithin(QSize bound) {
    if (bound.isEmpty())
        return {};
    QSize target = m_size;
    if (target.width() > bound.width() || target.height() > bound.height())
        target = m_size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QImage source = sourceFor(target);
    if (source.isNull() || source.size() == target)
        return source;
    return source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage PictureImage::sourceFor(QSize target) {
    if (m_animated)
        return animatedFrame(m_current);
    const int need = neededShift(m_size, target);
    if (m_stillShift < 0 || m_stillShift > need) {
        // Shown larger than the source decode: decode the size needed now.
        if (!ensureStill(need))
            return m_still; // keep showing what there is
    } else if (m_stillShift < need - 1) {
        // Shown much smaller than the source decode: keep no more than is needed.
        m_still =
            m_still.scaled(shrunk(m_size, need), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_stillShift = need;
    }
    return m_still;
}

QImage PictureImage::screenCopy(QSize target) {
    if (target != m_screenSize) {
        m_screen.assign(static_cast<std::size_t>(m_animated ? m_frameCount : 1), QImage());
        m_screenBytes = 0;
        m_screenSize = target;
    }
    const auto at = static_cast<std::size_t>(m_animated ? m_current : 0);
    if (at < m_screen.size() && !m_screen[at].isNull())
        return m_screen[at];
    const QImage source = sourceFor(target);
    if (source.isNull())
        return {};
    QImage scaled = source.size() == target
                        ? source
                        : source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled = forBlitting(std::move(scaled));
    keepScreenCopy(at, scaled);
    return scaled;
}

void PictureImage::keepScreenCopy(std::size_t at, const QImage& copy) {
    if (at < m_screen.size() && m_screen[at].isNull() &&
        m_screenBytes + copy.sizeInBytes() <= kScreenBudgetBytes) {
        m_screen[at] = copy;
        m_screenBytes += copy.sizeInBytes();
        if (!m_keepSource && !m_animated) {
            m_still = QImage();
            m_stillShift = -1;
        }
    }
}

void PictureImage::draw(QPainter& g, QPointF ul, QPointF ur, QPointF ll) {
    QPaintDevice* device = g.device();
    if (!device)
        return;
    // The combined transform ends in device pixels: it includes the device's pixel ratio.
    const QTransform t = g.combinedTransform();
    const QPointF dul = t.map(ul);
    const QPointF dur = t.map(ur);
    const QPointF dll = t.map(ll);
    const QRectF bounds = QPolygonF({dul, dur, dur + dll - dul, dll}).boundingRect();
    const qreal dpr = device->devicePixelRatioF();
    // Images and pixmaps measure themselves in device pixels, widgets in logical ones.
    const qreal toDevice = device->devType() == QInternal::Widget ? dpr : 1.0;
    QRectF visible(0, 0, device->width() * toDevice, device->height() * toDevice);
    if (g.hasClipping())
        visible &= t.mapRect(g.clipBoundingRect());
    if (!bounds.intersects(visible))
        return;

    const QPointF across = dur - dul;
    const QPointF down = dll - dul;
    const QSize target = shownSize(dul, dur, dll, 1.0);
    if (target.isEmpty())
        return;

    const bool deep = pixelsOf(target) > kMaxScreenCopyPixels;
    // Deep zoom draws straight from a source decode; the painter samples the visible part.
    const QImage image = drawsWithoutDecoding() ? preparedFor(target, deep)
                         : deep                 ? sourceFor(target)
                                                : screenCopy(target);
    if (image.isNull())
        return;
    constexpr double eps = 1e-6;
    const bool upright =
        std::abs(across.y()) < eps && std::abs(down.x()) < eps && across.x() > 0 && down.y() > 0;
    g.save();
    if (upright && image.size() == target) {
        // The copy already has the on-screen size: place it on whole device pixels. What the
        // reset leaves is the device's pixel ratio, so the rectangle is in logical pixels.
        g.resetTransform();
        const QPointF at(std::round(dul.x()), std::round(dul.y()));
        if (dpr == 1.0)
            g.drawImage(at.toPoint(), image);
        else
            g.drawImage(QRectF(at / dpr, QSizeF(target) / dpr), image);
    } else {
        g.setRenderHint(QPainter::SmoothPixmapTransform);
        g.setWorldTransform(gfx::parallelogramTransform(image.size(), ul, ur, ll), true);
        g.drawImage(QPointF(0, 0), image);
    }
    g.restore();
}

void PictureImage::prepareScreenCopy(QSize target) {
    if (target.isEmpty() || qint64(target.width()) * target.height() > kMaxScreenCopyPixels)
        return; // drawn straight from the source decode at that size
    screenCopy(target);
}

// The image last drawn is left out: it shares its pixels with one of these, or with the
// holder it was copied from.
qint64 PictureImage::decodedBytes() const {
    return m_still.sizeInBytes() + m_lastRead.sizeInBytes() + m_screenBytes;
}

// ---- Drawing without decoding

struct PictureImage::Preparation {
    // Set before the job starts; the job alone touches `worker` until `done`.
    std::shared_ptr<PictureImage> worker;
    int frame = 0;
    QSize target;
    bool deep = false; // drawn straight from a source decode, not from a screen copy
    // Written by the job before `done`.
    QImage image;
    QImage source;
    int sourceShift = -1;
    int badFrom = 1 << 30;
    std::atomic<bool> done{false};
};

void PictureImage::setDrawingWithoutDecoding(bool on) {
    if (on) {
        g_windowsThread.store(QThread::currentThread());
        (void)PictureReady::instance(); // made here, on the windows' thread
    }
    g_drawingWithoutDecoding.store(on);
}

bool PictureImage::drawsWithoutDecoding() {
    return g_drawingWithoutDecoding.load() && QThread::currentThread() == g_windowsThread.load();
}

void PictureImage::collectPrepared() {
    if (!m_preparing || !m_preparing->done.load(std::memory_order_acquire))
        return;
    const std::shared_ptr<Preparation> done = std::move(m_preparing);
    m_preparing.reset();
    if (m_animated) {
        m_badFrom = std::min(m_badFrom, done->badFrom);
    } else {
        m_worker.reset(); // a still image's worker holds nothing to go on from
        if (m_keepSource && !done->source.isNull() && done->sourceShift >= 0) {
            m_still = done->source;
            m_stillShift = done->sourceShift;
        }
    }
    if (done->image.isNull()) {
        if (m_current >= m_badFrom)
            m_current = std::max(0, m_badFrom - 1); // the stream ended before this frame
        else
            m_failedTarget = done->target; // not tried again at every repaint
        return;
    }
    if (!done->deep) {
        if (done->target != m_screenSize) {
            m_screen.assign(static_cast<std::size_t>(m_animated ? m_frameCount : 1), QImage());
            m_screenBytes = 0;
            m_screenSize = done->target;
        }
        keepScreenCopy(static_cast<std::size_t>(m_animated ? done->frame : 0), done->image);
    }
    m_shown = done->image;
    m_shownFrame = done->frame;
    m_shownTarget = done->target;
}

void PictureImage::startPreparing(QSize target, bool deep) {
    if (m_preparing || target == m_failedTarget)
        return;
    if (!m_worker)
        m_worker = std::shared_ptr<PictureImage>(copy());
    auto job = std::make_shared<Preparation>();
    job->worker = m_worker;
    job->frame = m_current;
    job->target = target;
    job->deep = deep;
    m_preparing = job;
    decodePool().start([job] {
        PictureImage& w = *job->worker;
        if (!w.m_animated || w.selectFrame(job->frame))
            job->image = job->deep ? w.sourceFor(job->target) : w.screenCopy(job->target);
        job->badFrom = w.m_badFrom;
        if (w.m_animated && g_liveReaderBytes.load() > kLiveReaderBudgetBytes) {
            w.releaseReader();
            w.m_lastRead = QImage();
        }
        if (!w.m_animated) {
            job->source = w.m_still;
            job->sourceShift = w.m_stillShift;
        }
        job->done.store(true, std::memory_order_release);
        PictureReady::instance().notify();
    });
}

QImage PictureImage::preparedFor(QSize target, bool deep) {
    collectPrepared();
    const int frame = m_animated ? m_current : 0;
    QImage ready;
    if (!deep && target == m_screenSize) {
        const auto at = static_cast<std::size_t>(frame);
        if (at < m_screen.size())
            ready = m_screen[at];
    } else if (deep && !m_animated && m_stillShift >= 0 && !m_still.isNull() &&
               m_stillShift <= neededShift(m_size, target)) {
        ready = m_still;
    }
    if (ready.isNull() && m_shownFrame == frame && m_shownTarget == target)
        ready = m_shown;
    m_standingIn = false;
    if (ready.isNull()) {
        startPreparing(target, deep);
        m_standingIn = m_preparing != nullptr;
        // Stands in, stretched, until the right one is ready.
        return m_shown.isNull() ? m_still : m_shown;
    }
    m_shown = ready;
    m_shownFrame = frame;
    m_shownTarget = target;
    return ready;
}
