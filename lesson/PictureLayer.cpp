#include "PictureLayer.h"

#include <QPainter>

void PictureLayer::paint(QPainter& screen, const QRect& clip, QSize size, qreal dpr,
                         const std::function<void(QPainter&)>& draw) {
    const QSize pixels = (QSizeF(size) * dpr).toSize().expandedTo(QSize(1, 1));
    if (!m_valid || m_image.size() != pixels || m_image.devicePixelRatio() != dpr) {
        if (m_image.size() != pixels || m_image.devicePixelRatio() != dpr) {
            m_image = QImage(pixels, QImage::Format_RGB32);
            m_image.setDevicePixelRatio(dpr);
        }
        QPainter g(&m_image);
        draw(g);
        m_valid = true;
        ++m_count;
    }
    screen.drawImage(clip, m_image,
                     QRectF(QRectF(clip).topLeft() * dpr, QSizeF(clip.size()) * dpr));
}
