#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

// A photograph-like JPEG (quality 85) for the benchmarks: a sky gradient under `shapes`
// outlined ellipses, all placed from the seed i, so every run decodes the same bytes.
// Ellipse k has radii rx + k % spreadX and ry + k % spreadY.
struct BusyShapes {
    int count = 60;
    int rx = 40, spreadX = 90;
    int ry = 30, spreadY = 70;
};

inline QByteArray busyPicture(int i, QSize size, BusyShapes shapes = {}) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor::fromHsv((i * 37) % 360, 120, 250));
    sky.setColorAt(1, QColor::fromHsv((i * 37 + 90) % 360, 200, 120));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < shapes.count; ++k) {
        p.setBrush(QColor::fromHsv((k * 23 + i * 11) % 360, 180, 200));
        p.setPen(QPen(Qt::black, 3));
        p.drawEllipse(QPoint((k * 263 + i * 71) % size.width(), (k * 151 + i * 43) % size.height()),
                      shapes.rx + k % shapes.spreadX, shapes.ry + k % shapes.spreadY);
    }
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}
