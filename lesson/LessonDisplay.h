#pragma once

class QWidget;

// What the lesson asks of the view that shows it (the lesson row implements it).
class LessonDisplay {
public:
    virtual ~LessonDisplay() = default;
    virtual void fitToHeight() = 0;       // zoom the row to the pane height
    virtual void updateScrollSizes() = 0; // scroll extent from the row's bounds
    virtual void invalidate() = 0;        // repaint (no erase)
    virtual void resetAnchor() = 0;       // the view's anchor point back to (0, 0)
    // The loading window of a lesson load stays above this widget's top-level window.
    virtual QWidget* loadingWindowOwner() { return nullptr; }
};
