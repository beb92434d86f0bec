#pragma once

#include "PointD.h"

#include <array>

class RectD;
class ViewTransform;

// The geometry of the preview: how a picture is centred and zoomed into the pane, and how
// playback steps through a sequence. Pure functions over a transform, tested without windows.
// All lengths are view pixels unless they say plate units.
namespace preview {

// Margins of the fit used outside playback: above the picture, below it, and the further
// drop of the lower left corner taken into the first measure only.
inline constexpr double kMarginAbove = 10.0;
inline constexpr double kMarginBelow = 15.0;
inline constexpr double kExtraBelow = 25.0;

// The plate point under a view pixel (the exact inverse of ViewTransform::toPixels).
PointD toPlate(const ViewTransform& vt, PointD pixels);

// Centres the box (plate units; corners lower left, lower right, upper right, upper left)
// in a view of width × height and zooms it as large as it fits, within one zoom step:
// zooms in while both sides are shorter than the view's, then one step back; zooms out
// while either is not. The first measure drops the lower left corner firstDrop pixels
// further down. Zooming in ends at maxScale, zooming out once zoomLevel is below
// minZoomLevel. The shift becomes the previous shift too, and the pointer pixel the view
// centre, about which every step zooms.
void centreAndZoom(ViewTransform& vt, const std::array<PointD, 4>& box, double width, double height,
                   double firstDrop);

// The fit outside playback: the bounds moved kMarginAbove up and kMarginBelow down in
// pixels (then fixed in plate units), centred and zoomed with the kExtraBelow drop.
void fitPicture(ViewTransform& vt, const RectD& bounds, double width, double height);

// The fit during playback: the picture's preview box (with room below for its caption),
// centred and zoomed without margins.
void fitPlayedPicture(ViewTransform& vt, const RectD& previewBox, double width, double height);

// The position after one step through a sequence of count elements, wrapping at both ends.
int steppedPosition(int position, int count, bool backwards);

} // namespace preview
