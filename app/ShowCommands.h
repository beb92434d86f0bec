#pragma once

#include <Qt>

// The frame's showing commands (topic show, lesson playback), carried out by the preview's
// playback. Until one is set the frame disables these menu items.
class ShowCommands {
public:
    virtual ~ShowCommands() = default;

    virtual void startTopicShow() = 0;
    virtual void startLesson() = 0;
    virtual void continueLesson() = 0;
    // A key pressed in full-screen mode, before any view sees it (a presentation remote's
    // keys): true when playback took it.
    virtual bool playbackKey(int key, Qt::KeyboardModifiers modifiers) {
        (void)key;
        (void)modifiers;
        return false;
    }
};
