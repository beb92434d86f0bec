#include "ViewTransform.h"

#include <cstdint>

PointD ViewTransform::toPixels(PointD p) const {
    return {p.x * scale + pixelOffset.x + shift.x,
            viewHeight - (p.y * scale + pixelOffset.y - shift.y)};
}

void ViewTransform::setPointer(PointD pixels) {
    pointerPixels = pixels;
    pointer = {(pixels.x - shift.x) / scale + origin.x,
               (viewHeight - pixels.y + shift.y) / scale + origin.y};
}

PointD ViewTransform::centreOf(PointD pixels) const {
    return {pixels.x - shift.x, viewHeight - pixels.y + shift.y};
}

void ViewTransform::zoomIn(PointD centre) {
    zoomStepAbout(centre, true);
}

void ViewTransform::zoomOut(PointD centre) {
    zoomStepAbout(centre, false);
}

void ViewTransform::zoomStepAbout(PointD c, bool in) {
    if (fresh) {
        // The first step takes the plate point under the centre to have the centre's own
        // coordinates, as if scale were 1 and origin (0, 0).
        fresh = false;
        pivot = c;
    } else {
        pivot = pivot - (lastCentre - c) / scale; // plate point under c at the old scale
    }
    scale = in ? scale * zoomStep : scale / zoomStep;
    origin = pivot - c / scale;
    pixelOffset = c - pivot * scale;
    lastCentre = c;
}

bool ViewTransform::wheelZoom(int delta, PointD pixels) {
    const auto d = static_cast<std::int16_t>(delta);
    const PointD c = centreOf(pixels);
    if (d > 0 && scale < maxScale) {
        zoomIn(c);
        ++zoomLevel;
        return true;
    }
    if (d < 0 && zoomLevel >= minZoomLevel) {
        zoomOut(c);
        --zoomLevel;
        return true;
    }
    return false;
}
