#pragma once

#include <QPointF>
#include <QRect>

// Where a media window lies over the picture, in the preview's own coordinates (the media
// windows are child widgets of the preview): one pixel right of and two below the picture's
// upper left corner, as wide and high as the picture (fractions cut off).
QRect mediaWindowRect(QPointF upperLeftPx, QPointF lowerRightPx);
