#include "StripGeometry.h"

#include "BmpRect.h"
#include "Err.h"
#include "RectD.h"
#include "Scene.h"
#include "ViewTransform.h"

#include <algorithm>
#include <cmath>

namespace strip {

double fitDistance(const ViewTransform& vt, const BmpRect& first, PointD anchor, FreeBand band) {
    // Plate y points up: "below" is a smaller y.
    const PointD corner = first.corner(0);
    const PointD below = vt.toPixels({corner.x, corner.y - band.plateUnits});
    return std::hypot(anchor.x - below.x, anchor.y - (below.y + band.pixels));
}

void fitToHeight(ViewTransform& vt, const BmpRect& first, PointD anchor, double clientHeight,
                 FreeBand band) {
    // From the unzoomed transform every time: the fit is then a function of the pane's height
    // and the pictures alone. Fitted from the zoom it had, it stopped a step above or below
    // by the way it came (a window that passes through other sizes while the window manager
    // maximises it showed the same lesson at two zooms).
    vt.scale = 1.0;
    vt.lastCentre = {};
    vt.origin = {};
    vt.pivot = {};
    vt.fresh = true;
    vt.pixelOffset = {};
    vt.shift = {};
    vt.previousShift = {};
    vt.zoomLevel = 0;
    // std::round takes halves away from zero, as the pinned corner wants.
    const PointD upperLeft = vt.toPixels(first.corner(3));
    const PointD pinned{std::round(upperLeft.x), std::round(upperLeft.y)};
    vt.pinnedCorner = pinned;
    vt.shift = anchor - pinned + vt.previousShift;
    vt.previousShift = vt.shift;
    if (!vt.shift.isFinite()) {
        // A picture placed at non-finite coordinates cannot be pinned; start over unshifted.
        vt.shift = {};
        vt.previousShift = {};
        return;
    }

    // Zoom about where the corner now is, which is within half a pixel of the anchor (the
    // pinned corner was rounded). Zooming about the anchor pixel itself would keep the plate
    // point under the anchor still, and the corner's sub-pixel offset from it would grow with
    // every step: a strip fitted from a much smaller zoom would start many pixels away from
    // the anchor. The shift does not change while zooming, so the centre stays the same.
    const PointD centre = vt.centreOf(vt.toPixels(first.corner(3)));
    if (fitDistance(vt, first, anchor, band) <= clientHeight) {
        while (fitDistance(vt, first, anchor, band) < clientHeight && vt.scale < vt.maxScale) {
            vt.zoomIn(centre);
            ++vt.zoomLevel;
        }
    } else {
        while (fitDistance(vt, first, anchor, band) > clientHeight &&
               vt.zoomLevel >= vt.minZoomLevel) {
            vt.zoomOut(centre);
            --vt.zoomLevel;
        }
    }
}

double stripWidth(const Scene& scene, const ViewTransform& vt) {
    double right = 0.0;
    try {
        const RectD bounds = scene.estimateBounds();
        right = vt.toPixels({bounds.maxX(), 0.0}).x;
    } catch (const Err&) {
        return 0.0; // nothing with points: the strip is as wide as the pane
    }
    if (!std::isfinite(right))
        return right > 0 ? kMaxWidth : 0.0;
    return std::clamp(right, 0.0, kMaxWidth);
}

} // namespace strip
