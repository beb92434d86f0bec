#include "CxSkinButton.h"

#include "DrawnBitmaps.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QtWidgets/qdrawutil.h>

#include <algorithm>

namespace {

// The bitmap with the mask's white pixels made transparent, so the background shows there.
// The mask is laid over the bitmap from its top-left corner in logical pixels.
QPixmap throughMask(const QPixmap& bitmap, const QImage& mask) {
    if (bitmap.isNull() || mask.isNull())
        return bitmap;
    const qreal dpr = bitmap.devicePixelRatio();
    QImage img = bitmap.toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage m = mask.scaled(qRound(mask.width() * dpr), qRound(mask.height() * dpr))
                         .convertToFormat(QImage::Format_RGB32);
    const int w = std::min(img.width(), m.width());
    const int h = std::min(img.height(), m.height());
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const auto* maskLine = reinterpret_cast<const QRgb*>(m.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if ((maskLine[x] & 0xFFFFFF) == 0xFFFFFF)
                line[x] = 0;
    }
    QPixmap out = QPixmap::fromImage(img);
    out.setDevicePixelRatio(dpr);
    return out;
}

} // namespace

CxSkinButton::CxSkinButton(QWidget* parent, Kind kind) : QPushButton(parent) {
    init(kind);
}

CxSkinButton::CxSkinButton(const QString& text, QWidget* parent, Kind kind)
    : QPushButton(text, parent) {
    init(kind);
}

void CxSkinButton::init(Kind kind) {
    m_kind = kind;
    m_textColor = palette().color(QPalette::ButtonText);
    // Enter belongs to the window around the button (it returns the focus to the view).
    setAutoDefault(false);
    setDefault(false);
    // Hover is tracked from plain mouse moves, as the button's own leave tracking did.
    setMouseTracking(true);
    setCheckable(kind != Kind::Push);
    setAutoExclusive(kind == Kind::Radio);
}

QRegion CxSkinButton::regionFromMask(const QImage& mask) {
    if (mask.isNull())
        return {};
    const QImage m = mask.convertToFormat(QImage::Format_RGB32);
    // Rows top-down, runs left to right: the order QRegion keeps its bands in.
    QRegion region;
    for (int y = 0; y < m.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(m.constScanLine(y));
        int x = 0;
        while (x < m.width()) {
            while (x < m.width() && (line[x] & 0xFFFFFF) == 0xFFFFFF)
                ++x;
            const int start = x;
            while (x < m.width() && (line[x] & 0xFFFFFF) != 0xFFFFFF)
                ++x;
            if (x > start)
                region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

void CxSkinButton::applySkin(int normal, int pressed, int hover, int disabled, int focus, int mask,
                             int drawMode, bool border, int focusMargin) {
    m_ids = {normal, pressed, hover, disabled, focus};
    m_drawMode = std::clamp(drawMode, int(Normal), int(Tile));
    m_border = border;
    m_focusMargin = std::max(focusMargin, 0);
    Images images;
    if (mask != 0)
        images.mask = DrawnBitmaps::pixmap(mask, size()).toImage();
    setImages(images);
    renderResourceBitmaps();
}

void CxSkinButton::applySkin(const Images& images, int drawMode, bool border, int focusMargin) {
    m_ids = {};
    m_drawMode = std::clamp(drawMode, int(Normal), int(Tile));
    m_border = border;
    m_focusMargin = std::max(focusMargin, 0);
    setImages(images);
}

void CxSkinButton::setImages(const Images& images) {
    m_mask = images.mask.isNull() ? QImage() : images.mask.convertToFormat(QImage::Format_RGB32);
    m_region = regionFromMask(m_mask);
    m_normal = throughMask(images.normal, m_mask);
    m_pushedBitmap = throughMask(images.pressed, m_mask);
    m_hover = throughMask(images.hover, m_mask);
    m_focusBitmap = throughMask(images.focus, m_mask);
    m_disabled = images.disabled.isNull() ? m_normal : throughMask(images.disabled, m_mask);
    if (m_region.isEmpty()) {
        clearMask();
    } else {
        setMask(m_region);
        if (m_drawMode == Normal)
            resize(m_mask.size());
    }
    update();
}

void CxSkinButton::renderResourceBitmaps() {
    if (!m_ids.normal && !m_ids.pressed && !m_ids.hover && !m_ids.disabled && !m_ids.focus)
        return;
    const qreal dpr = devicePixelRatioF();
    auto draw = [&](int id) {
        return id ? throughMask(DrawnBitmaps::pixmap(id, size(), dpr), m_mask) : QPixmap();
    };
    m_normal = draw(m_ids.normal);
    m_pushedBitmap = draw(m_ids.pressed);
    m_hover = draw(m_ids.hover);
    m_focusBitmap = draw(m_ids.focus);
    m_disabled = m_ids.disabled ? draw(m_ids.disabled) : m_normal;
    update();
}

void CxSkinButton::setTip(const QString& text) {
    setToolTip(text);
}

void CxSkinButton::setState(bool pushed) {
    if (m_held == pushed)
        return;
    m_held = pushed;
    update();
}

bool CxSkinButton::shownPushed() const {
    return isDown() || isChecked() || m_held;
}

void CxSkinButton::drawBitmap(QPainter& painter, const QPixmap& bitmap) const {
    if (bitmap.isNull()) {
        painter.fillRect(rect(), palette().button());
        return;
    }
    switch (m_drawMode) {
    case Stretch:
        painter.drawPixmap(rect(), bitmap);
        break;
    case Tile:
        painter.drawTiledPixmap(rect(), bitmap);
        break;
    default:
        painter.drawPixmap(QPoint(0, 0), bitmap);
        break;
    }
}

void CxSkinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_region.isEmpty())
        p.setClipRegion(m_region);
    const QRect item = rect();
    const int inset = m_focusMargin + 2;
    QRect textRect = item.adjusted(inset, 0, -inset, 0);
    constexpr int textFlags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    const QPalette& pal = palette();

    if (!isEnabled()) {
        drawBitmap(p, m_disabled);
        if (m_border)
            qDrawWinPanel(&p, item, pal, false);
        // Embossed: a light copy under the grey text, one pixel down and right.
        p.setPen(pal.color(QPalette::Light));
        p.drawText(textRect, textFlags, text());
        textRect.translate(-1, -1);
        p.setPen(pal.color(QPalette::Disabled, QPalette::ButtonText));
        p.drawText(textRect, textFlags, text());
        return;
    }

    if (shownPushed()) {
        drawBitmap(p, m_pushedBitmap);
        textRect.translate(1, 1);
        if (m_border)
            qDrawWinPanel(&p, item, pal, true);
    } else {
        const QPixmap* face = &m_normal;
        if (m_hovering && !m_hover.isNull())
            face = &m_hover;
        else if (hasFocus() && !m_focusBitmap.isNull())
            face = &m_focusBitmap;
        drawBitmap(p, *face);
        if (m_border)
            qDrawWinPanel(&p, item, pal, false);
        if (hasFocus() && m_focusMargin > 0) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect =
                item.adjusted(m_focusMargin, m_focusMargin, -m_focusMargin, -m_focusMargin);
            focus.backgroundColor = pal.color(QPalette::Button);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
        }
    }
    p.setPen(m_textColor);
    p.drawText(textRect, textFlags, text());
}

void CxSkinButton::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressed && (event->buttons() & Qt::LeftButton)) {
        // The base class shows the button pushed exactly while the pointer is over it.
        QPushButton::mouseMoveEvent(event);
        return;
    }
    if (!m_hovering) {
        m_hovering = true;
        update();
    }
    event->accept();
}

void CxSkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (m_hovering) {
            m_hovering = false;
            update();
        }
        // The mouse takes over the pushed look from a state set by code.
        m_held = false;
    }
    QPushButton::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && event->isAccepted())
        m_pressed = true;
}

void CxSkinButton::mouseReleaseEvent(QMouseEvent* event) {
    QPushButton::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
}

void CxSkinButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    update();
    QPushButton::leaveEvent(event);
}

void CxSkinButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    m_pressed = false;
}

void CxSkinButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    renderResourceBitmaps();
}

bool CxSkinButton::event(QEvent* event) {
    // On a screen of another scale the drawn bitmaps are drawn again for its pixels.
    if (event->type() == QEvent::ScreenChangeInternal && !m_normal.isNull() &&
        m_normal.devicePixelRatio() != devicePixelRatioF())
        renderResourceBitmaps();
    return QPushButton::event(event);
}

void CxSkinButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        m_hovering = false;
    QPushButton::changeEvent(event);
}
