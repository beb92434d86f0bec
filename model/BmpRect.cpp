#include "BmpRect.h"

#include "BmpRectStream.h"
#include "Cp1251.h"
#include "DisplayState.h"
#include "Graphics.h"
#include "PictureImage.h"
#include "ViewTransform.h"
#include "WindowServices.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The reference vector every loaded image gets: image units, pointing up.
constexpr PointD kRefStart{0.0, 0.0};
constexpr PointD kRefEnd{0.0, 10.0};

// Width and height are ints in plate units; a scale that would push them past this is refused.
constexpr double kMaxPlateSize = 1 << 24;

// Pixel coordinates beyond this are not drawn: a hostile placement (huge coordinates) must not
// reach the rasteriser as infinities.
constexpr double kMaxPixelCoordinate = 1e7;

QPointF px(const ViewTransform& vt, PointD p) {
    const PointD q = vt.toPixels(p);
    return {q.x, q.y};
}

bool drawable(QPointF p) {
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::abs(p.x()) < kMaxPixelCoordinate &&
           std::abs(p.y()) < kMaxPixelCoordinate;
}

} // namespace

BmpRect::BmpRect() : m_brushColour(gfx::kOrangeYellow), m_penColour(gfx::kOrangeYellow) {}

BmpRect::~BmpRect() = default;

void BmpRect::draw(QPainter& g, const ViewTransform& vt) {
    if (!m_image)
        return;
    if (m_bGif && !m_image->isWaitingForFrame()) {
        // Every draw shows the next frame; the view's repaint rate sets the speed. A frame
        // still being decoded off the windows' thread is waited for, not skipped.
        m_frameIndex = (m_frameIndex + 1) % std::max(1, m_frameCount);
        m_image->selectFrame(m_frameIndex); // a frame that cannot be had is skipped
    }
    drawPicture(g, vt, false);
}

void BmpRect::drawCreating(QPainter& g, const ViewTransform& vt) {
    placeAtPointer(vt);
    drawPicture(g, vt, true);
}

void BmpRect::drawPicture(QPainter& g, const ViewTransform& vt, bool creating) {
    const QPointF p0 = px(vt, m_corner[0]);
    const QPointF p1 = px(vt, m_corner[1]);
    const QPointF p2 = px(vt, m_corner[2]);
    const QPointF p3 = px(vt, m_corner[3]);
    if (!drawable(p0) || !drawable(p1) || !drawable(p2) || !drawable(p3))
        return;

    g.save();
    if (m_bGif && !creating)
        g.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_image)
        m_image->draw(g, p3, p2, p0);

    if (m_bFrame) {
        const DisplayState& ds = DisplayState::current();
        // In full screen a video clip marks the picture itself, so its frame is left out.
        const bool hideFrame = !creating && ds.fullScreen && ds.videoShown;
        if (!hideFrame) {
            const QPen pen = creating ? gfx::makePen(gfx::kOrangeYellow, 1.0)
                                      : gfx::makePen(m_penColour, m_penWidth);
            gfx::drawLine(g, pen, p0, p1);
            gfx::drawLine(g, pen, p1, p2);
            gfx::drawLine(g, pen, p2, p3);
            gfx::drawLine(g, pen, p3, p0);
        }
        // The caption hangs below the lower-left corner, 5 px in.
        gfx::drawString(g, m_captionText, gfx::pixelFont(QStringLiteral("Arial"), 13),
                        m_brushColour, p0 + QPointF(5, 0));
    }

    if (!creating && DisplayState::current().interactionMode == DisplayState::kModeLessonMove) {
        const QPen mark = gfx::makePen(gfx::kGreen, 4.0);
        if (m_rightMark)
            gfx::drawLine(g, mark, p1, p2);
        if (m_leftMark)
            gfx::drawLine(g, mark, p3, p0);
    }
    g.restore();
}

void BmpRect::placeAtPointer(const ViewTransform& vt) {
    placeByVector(vt.pointer, vt.pointer + PointD{0.0, 100.0});
}

void BmpRect::addPoint(const ViewTransform& vt) {
    placeAtPointer(vt);
    setComplete(true);
    notifyEndTool(); // must stay the last use of this shape: the tool may hand it over
}

bool BmpRect::hitTest(const ViewTransform& vt) {
    const PointD p = vt.pointer;
    const bool inside =
        m_corner[3].x < p.x && p.x < m_corner[1].x && m_corner[1].y < p.y && p.y < m_corner[3].y;
    setHit(inside);
    return inside;
}

PointDArray BmpRect::points() const {
    return {m_corner.begin(), m_corner.end()};
}

void BmpRect::placeByVector(PointD p1, PointD p2) {
    m_vecBeg = p1;
    m_vecEnd = p2;

    PointD a = m_refStart;
    PointD b = m_refEnd;
    double h = (b - a).length();
    if (!(h > 0.0) || !std::isfinite(h) || !a.isFinite()) {
        // No reference vector yet (no image): place upright.
        a = kRefStart;
        b = kRefEnd;
        h = (b - a).length();
    }
    if (!p1.isFinite())
        p1 = {};
    const double g = (p2 - p1).length();
    if (!p2.isFinite() || !(g > 0.0) || !std::isfinite(g)) {
        // A vector without a direction places the picture upright.
        p2 = p1 + (b - a);
    } else if (g / h != 1.0) {
        // Only the direction counts: the picture is never stretched by its vector.
        p2 = p1 + (p2 - p1) * (h / g);
    }

    const double num = (p1.y - p2.y) * (a.x - b.x) - (p1.x - p2.x) * (a.y - b.y);
    const double den = (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
    // Rounding can push the sine a hair past +-1, where asin has no value.
    double sine = num / den;
    sine = std::isfinite(sine) ? std::clamp(sine, -1.0, 1.0) : 0.0;
    const double theta = std::asin(sine);
    const double c = std::cos(theta);
    const double s = std::sin(theta);

    const double w = m_width;
    const double hh = m_height;
    const PointD image[4] = {{0.0, 0.0}, {w, 0.0}, {w, hh}, {0.0, hh}};
    for (int i = 0; i < 4; ++i) {
        const PointD d = image[i] - a;
        m_corner[static_cast<std::size_t>(i)] = p1 + PointD{d.x * c - d.y * s, d.x * s + d.y * c};
    }
}

void BmpRect::setScale(double s) {
    if (!std::isfinite(s) || !(s > 0.0) || m_width * s > kMaxPlateSize ||
        m_height * s > kMaxPlateSize)
        s = 1.0; // a scale that cannot size a picture leaves it at its own size
    m_scale = s;
    m_width = static_cast<int>(std::trunc(m_width * s));
    m_height = static_cast<int>(std::trunc(m_height * s));
    resetReference();
    placeByVector(m_vecBeg, m_vecEnd);
    clearEdgeMarks();
}

void BmpRect::setState(int state) {
    m_state = state;
    if (state == kStateNormal) {
        m_penWidth = 1.0;
        m_penColour = gfx::kOrangeYellow;
    } else {
        m_penWidth = 2.5;
        m_penColour = gfx::kRed;
    }
}

void BmpRect::setCaption(const QByteArray& caption) {
    m_caption = caption;
    m_captionText = cp1251::toUnicode(caption);
}

void BmpRect::updateEdgeMarks(const ViewTransform& vt) {
    const PointD p = vt.pointer;
    if (m_corner[3].x < p.x && p.x < m_corner[1].x && m_corner[1].y < p.y && p.y < m_corner[3].y) {
        m_rightMark = p.x > m_corner[3].x + (m_corner[1].x - m_corner[3].x) * 0.5;
        m_leftMark = !m_rightMark;
    } else {
        clearEdgeMarks();
    }
}

void BmpRect::clearEdgeMarks() {
    m_rightMark = false;
    m_leftMark = false;
}

std::unique_ptr<BmpRectStream> BmpRect::clone() const {
    auto copy = std::make_unique<BmpRectStream>();
    BmpRect& c = *copy;
    c.m_bytes = m_bytes; // shared until either side changes: the copy is independent
    if (m_image)
        c.m_image = m_image->copy();
    else if (!m_bytes.isEmpty())
        c.m_image = PictureImage::decode(m_bytes);
    if (!c.m_image)
        messageBox(QStringLiteral("Failed clone"));

    c.m_vecBeg = m_vecBeg;
    c.m_vecEnd = m_vecEnd;
    c.m_width = m_width;
    c.m_height = m_height;
    c.m_name = m_name;
    c.m_refStart = m_refStart;
    c.m_refEnd = m_refEnd;
    c.m_refLength = m_refLength;
    c.m_corner = m_corner;
    c.m_bFrame = m_bFrame;
    c.m_bAvi = m_bAvi;
    c.m_bGif = m_bGif;
    c.m_scale = m_scale;
    c.m_frameCount = m_frameCount;
    c.m_srcName = m_srcName;
    c.m_swfNameMy = m_swfNameMy;
    c.m_aviName = m_aviName;
    c.m_picName = m_picName;
    c.setCaption(m_caption);
    c.m_frameDelay = m_frameDelay;
    // Not copied: state (normal), edge marks (clear), frame index (0), pen and brush (default).
    return copy;
}

void BmpRect::reloadImage() {
    if (m_bytes.isEmpty())
        return;
    m_image = PictureImage::decode(m_bytes);
}

void BmpRect::readGifInfo() {
    if (!m_bGif || !m_image)
        return;
    m_frameCount = std::max(1, m_image->frameCount());
    const int delay = m_image->firstFrameDelayMs();
    m_frameDelay = delay <= kShortDelayLimitMs ? kDefaultFrameDelayMs : delay;
}

RectD BmpRect::previewBox() const {
    return RectD(m_corner[0].x, m_corner[0].y - 40.0, m_corner[2].x, m_corner[2].y);
}

void BmpRect::adoptImage(std::unique_ptr<PictureImage> image) {
    m_image = std::move(image);
    if (!m_image)
        return;
    m_width = m_image->size().width();
    m_height = m_image->size().height();
    resetReference();
}

void BmpRect::setPixelSize(QSize pixels) {
    m_width = pixels.width();
    m_height = pixels.height();
    resetReference();
}

void BmpRect::setImageOnly(std::unique_ptr<PictureImage> image) {
    m_image = std::move(image);
}

void BmpRect::resetReference() {
    m_refStart = kRefStart;
    m_refEnd = kRefEnd;
    m_refLength = (kRefEnd - kRefStart).length();
}
