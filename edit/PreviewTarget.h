#pragma once

#include <memory>

class BmpRect;

// How the plate view, the lesson row, the panels and the main frame reach the preview. The
// preview implements it and registers itself in Instances.
class PreviewTarget {
public:
    virtual ~PreviewTarget() = default;

    // Takes ownership of a stand-alone copy and shows it, with its animation; null shows
    // nothing.
    virtual void showPicture(std::unique_ptr<BmpRect> picture) = 0;

    // The rest have empty defaults, so a stand-in needs only showPicture.
    // The panels' buttons: a copy of the shown picture into the lesson; the shown picture's
    // animation file opened by the desktop; full screen entered or left with a new fit.
    virtual void addShownToLesson() {}
    virtual void openAnimation() {}
    virtual void switchFullScreen() {}
    virtual void startLesson() {}
    // Fits the shown picture into the pane again (after the layout changed).
    virtual void fitPicture() {}
    // The frame sets and clears the preview's full-screen flag as it changes its layout.
    virtual void setFullScreen(bool on) { (void)on; }
    virtual void endDrag() {}
};
