#pragma once

#include "PointD.h"

// Maps the plate plane (plate units, y up) to one view's drawing area (pixels, y down).
// Each view owns one and hands it to every drawing and pointer operation of the model.
//
//   px = x * scale + pixelOffset.x + shift.x
//   py = viewHeight - (y * scale + pixelOffset.y - shift.y)
//
// Zoom steps work in "unflipped view units": C = (px - shift.x, viewHeight - py + shift.y).
// The fields are public: the views set viewHeight and shift when they lay out and scroll,
// and keep their own bookkeeping (previousShift, pinnedCorner) here.
class ViewTransform {
public:
    double scale = 1.0;           // pixels per plate unit
    double zoomStep = 1.04100625; // factor of one zoom step
    PointD lastCentre;            // centre of the previous zoom step; read only after a first step
    PointD origin;                // plate point at the unflipped view origin
    PointD pivot;                 // plate point under the last zoom centre
    bool fresh = true;            // no zoom step taken yet
    PointD pixelOffset;           // == -origin * scale
    PointD pointer;               // last pointer position, plate units
    PointD pointerPixels;         // the same position in view pixels
    double viewHeight = 0.0;      // height of the drawing area, pixels
    PointD shift;                 // scroll shift, pixels
    int zoomLevel = 0;            // zoom-in steps minus zoom-out steps (wheelZoom, view fitting)
    double maxScale = 17.0;       // zooming in is refused once scale reaches this
    int minZoomLevel = -200;      // zooming out is refused once zoomLevel is below this

    // Bookkeeping of the views' fitting (pixels); the model never reads them.
    PointD previousShift;
    PointD pinnedCorner;
    // Carried for the views; unused by the model.
    double factor = 1.0;
    double sixty = 60.0;

    PointD toPixels(PointD plate) const;
    // Stores the pixel point and the plate point under it.
    void setPointer(PointD pixels);
    // The zoom centre, in unflipped view units, of the pixel (px, py).
    PointD centreOf(PointD pixels) const;

    // One zoom step about centre C (unflipped view units); the plate point under C stays put.
    void zoomIn(PointD centre);
    void zoomOut(PointD centre);

    // One wheel step: delta is taken as a signed 16-bit value. Returns whether the view changed.
    bool wheelZoom(int delta, PointD pixels);

private:
    void zoomStepAbout(PointD centre, bool in);
};
