#pragma once

#include <QImage>
#include <QRect>

#include <functional>

class QPainter;

// A picture drawn once into an image of the view's device pixels and copied to the screen
// at each paint, so that paints for other reasons (a hint, a stroke) leave it, and a GIF's
// frame, as it is. Made anew when invalidated or when the view's size or pixel ratio changed.
class PictureLayer {
public:
    void invalidate() { m_valid = false; }
    // Copies the part under clip onto screen; draw paints the layer when it is made anew.
    void paint(QPainter& screen, const QRect& clip, QSize size, qreal dpr,
               const std::function<void(QPainter&)>& draw);
    // How many times it was made.
    int count() const { return m_count; }

private:
    QImage m_image;
    bool m_valid = false;
    int m_count = 0;
};
