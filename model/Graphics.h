#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>

class QPainter;

// The one graphics layer the model decodes and draws with. Pen widths are in the painter's
// world units, which the views leave at one unit per pixel: widths do not follow the zoom.
namespace gfx {

// Decoding limits against decompression bombs: no decode may allocate more than this,
// and no image may claim more pixels than this, whatever its file size.
inline constexpr int kDecodeLimitMB = 256;
inline constexpr qint64 kMaxImagePixels = qint64(kDecodeLimitMB) * 1024 * 1024 / 4;
// Installs the decoder's allocation limit; cheap, safe to call before every decode.
void installDecodeLimits();

// Colours of the model, as alpha, red, green, blue.
inline QColor argb(int a, int r, int g, int b) {
    return QColor(r, g, b, a);
}
inline const QColor kOrangeYellow = argb(255, 255, 204, 0);
inline const QColor kRed = argb(255, 255, 0, 0);
inline const QColor kGreen = argb(255, 0, 255, 0);
inline const QColor kBlack = argb(255, 0, 0, 0);

// A solid pen of the given width in world units, flat caps (lines end at their points).
QPen makePen(const QColor& colour, qreal width);

// The family actually used for a named family: "Arial" -> "Liberation Sans",
// "Times New Roman" -> "Liberation Serif"; others unchanged.
QString substituteFamily(const QString& family);
// A regular font of the family at an exact pixel size.
QFont pixelFont(const QString& family, int pixelSize);

void drawLine(QPainter& g, const QPen& pen, QPointF a, QPointF b);

// A line from -> to whose end carries the arrow cap: the open stroke
// (-2,-7) (0,-1) (2,-7), in pen widths, x across the line and y along it (negative is back
// toward the start). With width 3 the tip lies 3 px short of `to`, the barbs 21 px back and
// 6 px to each side. A zero-length line draws nothing.
void drawArrow(QPainter& g, const QPen& pen, QPointF from, QPointF to);

// Text whose top-left corner lies at origin, whole length, one line per line break.
void drawString(QPainter& g, const QString& text, const QFont& font, const QColor& colour,
                QPointF origin);

// Maps an image of the given size onto the parallelogram spanned by its upper-left,
// upper-right and lower-left destination points.
QTransform parallelogramTransform(QSizeF imageSize, QPointF ul, QPointF ur, QPointF ll);

} // namespace gfx
