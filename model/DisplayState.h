#pragma once

// The few program-wide flags that drawing reads. The main frame writes them; the model
// only reads, so shapes can draw correctly without knowing about any window.
struct DisplayState {
    // Interaction modes of the main frame.
    static constexpr int kModeNormal = 7;
    static constexpr int kModeLessonMove = 6;

    bool fullScreen = false;
    bool videoShown = false; // a video clip plays over the preview's picture
    bool textHidden = false; // the topic text pane is hidden (the panels' text toggle)
    int interactionMode = kModeNormal;

    static DisplayState& current();
};
