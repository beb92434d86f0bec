#pragma once

#include <QString>

// What the preview and the lesson ask of the main window through the registry (the rest of
// the frame's work is wired by signals). The main frame implements it and registers itself in
// Instances; callers null-check, so a view runs without a frame in tests.
class FrameControl {
public:
    virtual ~FrameControl() = default;

    // Enters or leaves full-screen mode: the one toggle every requester uses; the frame owns
    // the state (DisplayState::fullScreen) and tells the views of its change.
    virtual void toggleFullScreen() = 0;
    // The document part of the main window's text (the lesson's file title, or "Без Имени.les").
    virtual void setDocumentTitle(const QString& title) = 0;
};
