#include "PreviewFit.h"

#include "RectD.h"
#include "ViewTransform.h"

#include <cmath>

namespace preview {

namespace {

std::array<PointD, 4> toPixels(const ViewTransform& vt, const std::array<PointD, 4>& box) {
    return {vt.toPixels(box[0]), vt.toPixels(box[1]), vt.toPixels(box[2]), vt.toPixels(box[3])};
}

double distance(PointD a, PointD b) {
    return (b - a).length();
}

} // namespace

PointD toPlate(const ViewTransform& vt, PointD p) {
    return {(p.x - vt.shift.x - vt.pixelOffset.x) / vt.scale,
            (vt.viewHeight - p.y + vt.shift.y - vt.pixelOffset.y) / vt.scale};
}

void centreAndZoom(ViewTransform& vt, const std::array<PointD, 4>& box, double width, double height,
                   double firstDrop) {
    std::array<PointD, 4> m = toPixels(vt, box);
    m[0].y += firstDrop;
    // std::round takes halves away from zero.
    const PointD c{std::round((m[0].x + m[2].x) / 2), std::round((m[0].y + m[2].y) / 2)};
    const PointD shift{width / 2 - c.x + vt.previousShift.x, height / 2 - c.y + vt.previousShift.y};
    if (!shift.isFinite())
        return; // a box at non-finite coordinates cannot be centred
    vt.shift = shift;
    vt.previousShift = shift;
    vt.pointerPixels = {width / 2, height / 2};
    const PointD centre = vt.centreOf(vt.pointerPixels);

    double w = distance(m[0], m[1]);
    double h = distance(m[0], m[3]);
    auto remeasure = [&] {
        m = toPixels(vt, box);
        w = distance(m[0], m[1]);
        h = distance(m[0], m[3]);
    };
    if (w < width && h < height) {
        while (w < width && h < height && vt.scale < vt.maxScale) {
            vt.zoomIn(centre);
            ++vt.zoomLevel;
            remeasure();
        }
        if (vt.zoomLevel >= vt.minZoomLevel) {
            vt.zoomOut(centre);
            --vt.zoomLevel;
        }
    } else {
        while ((w >= width || h >= height) && vt.zoomLevel >= vt.minZoomLevel) {
            vt.zoomOut(centre);
            --vt.zoomLevel;
            remeasure();
        }
    }
}

void fitPicture(ViewTransform& vt, const RectD& bounds, double width, double height) {
    std::array<PointD, 4> px = toPixels(vt, bounds.corners());
    px[2].y -= kMarginAbove;
    px[3].y -= kMarginAbove;
    px[0].y += kMarginBelow;
    px[1].y += kMarginBelow;
    const std::array<PointD, 4> margins{toPlate(vt, px[0]), toPlate(vt, px[1]), toPlate(vt, px[2]),
                                        toPlate(vt, px[3])};
    centreAndZoom(vt, margins, width, height, kExtraBelow);
}

void fitPlayedPicture(ViewTransform& vt, const RectD& previewBox, double width, double height) {
    centreAndZoom(vt, previewBox.corners(), width, height, 0.0);
}

int steppedPosition(int position, int count, bool backwards) {
    if (backwards) {
        --position;
        return position < 0 ? count - 1 : position;
    }
    ++position;
    return position >= count ? 0 : position;
}

} // namespace preview
