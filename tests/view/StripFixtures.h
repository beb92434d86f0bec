#pragma once

#include "BmpRectStream.h"
#include "LessonSaving.h"
#include "XmlStorage.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

// Fragment files for the strip tests, written by the program's own lesson saver (a lesson
// and a fragment are the same container and records).
namespace stripfixtures {

struct Plate {
    Plate() = default;
    Plate(QSize size, QColor fill = Qt::blue, double storedScale = 1.0)
        : pixels(size), colour(fill), scale(storedScale) {}

    QSize pixels; // image size; plate units at scale 1
    QColor colour = Qt::blue;
    double scale = 1.0; // stored scale, applied on load
    QByteArray picName; // empty: "p<index>"
};

inline QByteArray pngBytes(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Plates stand upright side by side from plate x = 0, `gap` plate units apart, framed.
inline void writeFragment(const QString& path, const QList<Plate>& plates, double gap = 30.0) {
    std::vector<std::unique_ptr<BmpRectStream>> owned;
    std::vector<const Shape*> shapes;
    double x = 0.0;
    for (qsizetype i = 0; i < plates.size(); ++i) {
        const Plate& plate = plates[i];
        auto picture = std::make_unique<BmpRectStream>();
        picture->setStoredScale(plate.scale);
        const QByteArray name = "p" + QByteArray::number(i);
        picture->loadFromStream(pngBytes(plate.pixels, plate.colour), name, {x, 0.0}, {x, 100.0});
        picture->setPicName(plate.picName.isEmpty() ? name : plate.picName);
        picture->setBFrame(true);
        x = picture->corner(1).x + gap;
        shapes.push_back(picture.get());
        owned.push_back(std::move(picture));
    }
    XmlStorage storage;
    if (!store::saveLesson(storage, path, shapes))
        qFatal("could not write the test fragment");
}

} // namespace stripfixtures
