#pragma once

#include "BmpRectStream.h"
#include "Shape.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <memory>

// A shape that counts its destructions and hit tests, answering hit tests as told.
class CountingShape : public Shape {
public:
    explicit CountingShape(int* destroyed = nullptr, bool hits = false)
        : m_destroyed(destroyed), m_hits(hits) {}
    ~CountingShape() override {
        if (m_destroyed)
            ++*m_destroyed;
    }
    bool hitTest(const ViewTransform&) override {
        ++hitTests;
        return m_hits;
    }
    PointDArray points() const override { return {}; }

    int hitTests = 0;

private:
    int* m_destroyed;
    bool m_hits;
};

// A shape that ends the tool from inside addPoint without becoming complete, then still
// uses itself, as a careless shape might.
class NotifyingShape : public CountingShape {
public:
    using CountingShape::CountingShape;
    void addPoint(const ViewTransform&) override {
        notifyEndTool();
        ++pointsTaken;
    }
    int pointsTaken = 0;
};

// A stored picture that counts its destructions.
class CountingPicture : public BmpRectStream {
public:
    explicit CountingPicture(int* destroyed) : m_destroyed(destroyed) {}
    ~CountingPicture() override { ++*m_destroyed; }

private:
    int* m_destroyed;
};

// PNG bytes of a plain image of the given pixel size.
inline QByteArray pngBytes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A stored picture of width x height plate units (scale 1), upright with its lower-left
// corner at at.
template <class Picture = BmpRectStream, class... Args>
std::unique_ptr<Picture> makePicture(int width, int height, PointD at = {}, Args&&... args) {
    auto picture = std::make_unique<Picture>(std::forward<Args>(args)...);
    picture->loadFromStream(pngBytes(width, height), "p", at, at + PointD{0.0, 100.0});
    return picture;
}
