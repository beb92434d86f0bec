#include "PictureImage.h"

#include "Graphics.h"
#include "PngBounds.h"

#include <QBuffer>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

// Full-size frames of one animated picture kept for replay; frames past this are decoded
// again each time they come round.
constexpr qint64 kFrameBudgetBytes = qint64(96) * 1024 * 1024;
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

bool isBomb(QSize claimed, qint64 encodedBytes) {
    const qint64 pixels = qint64(claimed.width()) * claimed.height();
    return pixels > kBombMinPixels && pixels * 4 > encodedBytes * kBombExpansion;
}

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

PictureImage::~PictureImage() = default;

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
    if (claimed.isValid() &&
        (claimed.isEmpty() || qint64(claimed.width()) * claimed.height() > gfx::kMaxImagePixels))
        return nullptr;

    if (claimed.isValid() && isBomb(claimed, bytes.size()))
        return nullptr;

    std::unique_ptr<PictureImage> p(new PictureImage);
    p->m_bytes = bytes;
    const int count = format == "gif" ? r.reader.imageCount() : 1;
    p->m_animated = count > 1;

    if (p->m_animated) {
        p->m_frameCount = std::min(count, kMaxFrames);
        p->m_frames.resize(static_cast<std::size_t>(p->m_frameCount));
        p->resetReader();
        const QImage first = p->animatedFrame(0);
        if (first.isNull())
            return nullptr;
        p->m_firstDelayMs = std::max(0, p->m_reader->nextImageDelay());
        p->m_size = first.size();
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
    p->m_still = m_still; // pixels shared until either side writes
    p->m_stillShift = m_stillShift;
    if (m_animated) {
        p->m_frames = m_frames;
        p->m_framesBytes = m_framesBytes;
        p->resetReader();
        if (p->m_frames.empty() || p->m_frames.front().isNull())
            p->animatedFrame(0);
    }
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
    m_reader.reset();
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
    const auto at = static_cast<std::size_t>(index);
    if (at < m_frames.size() && !m_frames[at].isNull())
        return m_frames[at];
    if (index == m_readerNext - 1 && !m_lastRead.isNull())
        return m_lastRead;
    if (!m_reader || index < m_readerNext)
        resetReader(); // frames build on each other: start again from the first
    while (m_readerNext <= index) {
        QImage frame;
        if (!m_reader->read(&frame) || frame.isNull()) {
            m_badFrom = m_readerNext; // the stream ends early: later frames cannot be had
            m_reader.reset();
            return {};
        }
        const auto n = static_cast<std::size_t>(m_readerNext);
        if (n < m_frames.size() && m_framesBytes + frame.sizeInBytes() <= kFrameBudgetBytes) {
            m_frames[n] = frame;
            m_framesBytes += frame.sizeInBytes();
        }
        m_lastRead = std::move(frame);
        ++m_readerNext;
    }
    return m_lastRead;
}

bool PictureImage::selectFrame(int index) {
    if (index < 0 || index >= m_frameCount)
        return false;
    if (m_animated && animatedFrame(index).isNull())
        return false;
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
    if (at < m_screen.size() && m_screenBytes + scaled.sizeInBytes() <= kScreenBudgetBytes) {
        m_screen[at] = scaled;
        m_screenBytes += scaled.sizeInBytes();
        if (!m_keepSource && !m_animated) {
            m_still = QImage();
            m_stillShift = -1;
        }
    }
    return scaled;
}

void PictureImage::draw(QPainter& g, QPointF ul, QPointF ur, QPointF ll) {
    QPaintDevice* device = g.device();
    if (!device)
        return;
    const QTransform t = g.combinedTransform();
    const QPointF dul = t.map(ul);
    const QPointF dur = t.map(ur);
    const QPointF dll = t.map(ll);
    const QRectF bounds = QPolygonF({dul, dur, dur + dll - dul, dll}).boundingRect();
    QRectF visible(0, 0, device->width(), device->height());
    if (g.hasClipping())
        visible &= t.mapRect(g.clipBoundingRect());
    if (!bounds.intersects(visible))
        return;

    const qreal dpr = device->devicePixelRatioF();
    const QPointF across = dur - dul;
    const QPointF down = dll - dul;
    const QSize target = shownSize(dul, dur, dll, dpr);
    if (target.isEmpty())
        return;

    if (qint64(target.width()) * target.height() > kMaxScreenCopyPixels) {
        const QImage source = sourceFor(target);
        if (source.isNull())
            return;
        g.save();
        g.setRenderHint(QPainter::SmoothPixmapTransform);
        g.setWorldTransform(gfx::parallelogramTransform(source.size(), ul, ur, ll), true);
        g.drawImage(QPointF(0, 0), source);
        g.restore();
        return;
    }

    const QImage copy = screenCopy(target);
    if (copy.isNull())
        return;
    constexpr double eps = 1e-6;
    const bool upright =
        std::abs(across.y()) < eps && std::abs(down.x()) < eps && across.x() > 0 && down.y() > 0;
    g.save();
    if (upright) {
        // The copy already has the on-screen size: place it on whole device pixels.
        g.resetTransform();
        const QPointF at(std::round(dul.x() * dpr), std::round(dul.y() * dpr));
        if (dpr == 1.0)
            g.drawImage(at.toPoint(), copy);
        else
            g.drawImage(QRectF(at / dpr, QSizeF(target) / dpr), copy);
    } else {
        g.setRenderHint(QPainter::SmoothPixmapTransform);
        g.setWorldTransform(gfx::parallelogramTransform(copy.size(), ul, ur, ll), true);
        g.drawImage(QPointF(0, 0), copy);
    }
    g.restore();
}

void PictureImage::prepareScreenCopy(QSize target) {
    if (target.isEmpty() || qint64(target.width()) * target.height() > kMaxScreenCopyPixels)
        return; // drawn straight from the source decode at that size
    screenCopy(target);
}

qint64 PictureImage::decodedBytes() const {
    return m_still.sizeInBytes() + m_framesBytes + m_screenBytes;
}
