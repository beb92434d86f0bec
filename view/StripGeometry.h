#pragma once

#include "PointD.h"

class BmpRect;
class Scene;
class ViewTransform;

// The geometry of the plate strip: how far it is zoomed and how wide it is. All pixel values
// are unscrolled strip pixels (the strip's own origin at (0, 0), y downwards).
namespace strip {

// Pixels kept free below the first picture when the strip is fitted to the pane.
inline constexpr double kFreeBelow = 25.0;

// The band kept free below the first picture by a fit: a number of pixels (the plate strip's
// 25) plus a number of plate units (the lesson row's 100, which grows and shrinks with the
// zoom).
struct FreeBand {
    double pixels = kFreeBelow;
    double plateUnits = 0.0;
};
inline constexpr FreeBand kStripBand{kFreeBelow, 0.0};
inline constexpr FreeBand kLessonBand{0.0, 100.0};

// Pins the first picture's upper-left corner (corner3) on `anchor` by moving the transform's
// shift, then zooms about that corner (so it stays within half a pixel of the anchor), one
// step at a time, until the distance from the anchor
// to the lower-left corner moved down by the band (for the strip kFreeBelow pixels: the
// picture's height plus 25 px when upright) is within one zoom step of clientHeight. Zooming in
// stops at the transform's maxScale, zooming out once zoomLevel is below minZoomLevel. zoomLevel
// counts the steps. Also records pinnedCorner and previousShift.
void fitToHeight(ViewTransform& vt, const BmpRect& first, PointD anchor, double clientHeight,
                 FreeBand band = kStripBand);

// The fit distance described above, in pixels.
double fitDistance(const ViewTransform& vt, const BmpRect& first, PointD anchor,
                   FreeBand band = kStripBand);

// The width in pixels the strip needs to show every plate: the pixel x of the right-most
// point of the scene. 0 when the scene has no points at all (only rectangle shapes, or none)
// or when that point lies left of the strip's origin; capped at kMaxWidth.
inline constexpr double kMaxWidth = 1 << 30;
double stripWidth(const Scene& scene, const ViewTransform& vt);

} // namespace strip
