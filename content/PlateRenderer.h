#pragma once

#include "Catalogue.h"

#include <QByteArray>
#include <QImage>

// Turns a plate description into pixels and into the encoded bytes stored in a fragment.
namespace plates {

// The plate at its pixel size; `frame` selects the frame of an animated plate.
QImage render(const PlateDesign& plate, int frame = 0);
// The encoded image file (JPEG, PNG, BMP, or an animated GIF of all frames).
QByteArray encode(const PlateDesign& plate);
QByteArray encodeImage(const QImage& image, ImageKind kind, int quality = 88);
// The ribbon with the plate title across the top.
void drawBanner(QPainter& p, const Canvas& c, const QString& title, QColor theme);

} // namespace plates
