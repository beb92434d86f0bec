#pragma once

// The main frame's own key handling, seen before any view gets the key:
//  - Esc down toggles full-screen mode;
//  - Ctrl down arms the lesson keys, any key up disarms them;
//  - S, O or N down while armed saves, opens or starts a lesson and disarms.
// So Ctrl+S acts once per press of Ctrl; a second S while Ctrl stays held does nothing.
class ControlKeyRule {
public:
    enum class Effect { None, ToggleFullScreen, SaveLesson, OpenLesson, NewLesson };

    // key: a Qt key code. Letters also count on the Russian layout's same keys (Ы, Щ, Т), as
    // the teacher's keyboard is often switched to Russian.
    Effect keyDown(int key);
    void keyUp() { m_armed = false; }

    bool armed() const { return m_armed; }

private:
    bool m_armed = false;
};
