#pragma once

#include <QRect>
#include <QSize>

// Where the floating panels go, in the main window's coordinates, from the preview's and
// the lesson row's rectangles there. Halves are truncated toward zero.
struct PanelPlaces {
    QPoint buttons;     // ButtDlg: on the preview's right edge, centred vertically
    QPoint exit;        // ButtEscDlg: the same
    QPoint animation;   // ButtFullDlg: centred under the preview (see below)
    QPoint lessonStart; // ButtLess1: the lesson row's top right corner
};

struct PanelSizes {
    QSize buttons, exit, animation, lessonStart;
};

// The animation panel's bottom edge lies 2 px below the preview's bottom edge in the normal
// layout and 26 px above it in full-screen mode.
PanelPlaces placePanels(const QRect& preview, const QRect& lesson, const PanelSizes& sizes,
                        bool fullScreen);
