#pragma once

// The floating panels beside the panes, created once at start-up and placed again on every
// resize and move; and the drags that end when a view loses the focus.
class PanelCommands {
public:
    virtual ~PanelCommands() = default;

    virtual void createPanels() = 0;
    virtual void placePanels() = 0;
    virtual void endDrags() = 0;
};
