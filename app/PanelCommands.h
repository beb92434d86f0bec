#pragma once

// The floating panels beside the panes, created once at start-up; and the drags that end when
// a view loses the focus. placePanels() runs only when the frame carries out its one placement
// request (CMainFrame::placePanels), which the panels also use after showing or hiding one.
class PanelCommands {
public:
    virtual ~PanelCommands() = default;

    virtual void createPanels() = 0;
    virtual void placePanels() = 0;
    virtual void endDrags() = 0;
    // The frame changed its layout: full screen shows only the exit button (and the
    // animation button), the normal layout the others.
    virtual void setFullScreenLayout(bool fullScreen) { (void)fullScreen; }
    // The text button's label follows the text pane.
    virtual void setTextHidden(bool hidden) { (void)hidden; }
    // The views scroll back to where the user left them (after full-screen mode).
    virtual void restoreScrollPositions() {}
};
