#pragma once

#include <QString>

// What the views, the preview, the panels and the lesson ask of the main window. The main
// frame implements it and registers itself in Instances; callers null-check, so a view runs
// without a frame in tests.
class FrameControl {
public:
    virtual ~FrameControl() = default;

    // Enters or leaves full-screen mode: the one toggle every requester uses; the frame owns
    // the state (DisplayState::fullScreen) and tells the views of its change.
    virtual void toggleFullScreen() = 0;
    // Places the floating panels and the editing palette beside the panes again.
    virtual void placePanels() = 0;
    // Sets the pane sizes from the window's client size.
    virtual void applyPaneProportions() = 0;
    // The document part of the main window's text (the lesson's file title, or "Без Имени.les").
    virtual void setDocumentTitle(const QString& title) = 0;
    // Ends any pointer drag in the preview and the lesson row (a view lost the focus).
    virtual void endDrags() = 0;
};
