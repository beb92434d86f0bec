#include "PlateRenderer.h"

#include "Art.h"
#include "GifWriter.h"

#include <QBuffer>
#include <QImageWriter>

namespace plates {

void drawBanner(QPainter& p, const Canvas& c, const QString& title, QColor theme) {
    p.save();
    const QFont f = art::font(30, true);
    p.setFont(f);
    const QFontMetricsF fm(f);
    const double w = std::min(c.width - 24, fm.horizontalAdvance(title) + 60);
    const QRectF r((c.width - w) / 2, 12, w, 52);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(r.translated(0, 4), 18, 18);
    QColor fill = theme;
    fill.setAlpha(240);
    p.setBrush(fill);
    p.setPen(art::outlinePen(2.5, QColor(255, 255, 255, 220)));
    p.drawRoundedRect(r, 18, 18);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, fm.elidedText(title, Qt::ElideRight, w - 24));
    p.restore();
}

QImage render(const PlateDesign& plate, int frame) {
    QImage image(plate.pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Logical canvas: 600 units high whatever the pixel size, so the 1600 x 1200 plates and
    // the 800 x 600 ones share one drawing.
    const double factor = plate.pixels.height() / 600.0;
    p.scale(factor, factor);
    const Canvas canvas{plate.pixels.width() / factor, 600};
    if (plate.animate)
        plate.animate(p, canvas, frame);
    else if (plate.draw)
        plate.draw(p, canvas);
    if (plate.banner)
        drawBanner(p, canvas, plate.title, plate.theme);
    p.end();
    return image;
}

QByteArray encodeImage(const QImage& image, ImageKind kind, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const char* format = kind == ImageKind::Png ? "png" : kind == ImageKind::Bmp ? "bmp" : "jpeg";
    QImageWriter writer(&buffer, format);
    if (kind == ImageKind::Jpeg)
        writer.setQuality(quality);
    if (kind == ImageKind::Png)
        writer.setCompression(9);
    if (!writer.write(kind == ImageKind::Bmp ? image.convertToFormat(QImage::Format_RGB888)
                                             : image))
        return {};
    return bytes;
}

QByteArray encode(const PlateDesign& plate) {
    if (plate.kind != ImageKind::Gif)
        return encodeImage(render(plate), plate.kind, plate.quality);
    std::vector<QImage> frames;
    const int count = std::max(1, plate.frames);
    frames.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        frames.push_back(render(plate, i));
    return GifWriter::encode(frames, plate.delayCs);
}

} // namespace plates
