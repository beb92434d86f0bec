#include "ControlKeyRule.h"

#include <Qt>

namespace {
// Qt reports Cyrillic letters by their upper-case code point.
constexpr int kCyrillicYeru = 0x042B;  // Ы, the S key
constexpr int kCyrillicShcha = 0x0429; // Щ, the O key
constexpr int kCyrillicTe = 0x0422;    // Т, the N key
} // namespace

ControlKeyRule::Effect ControlKeyRule::keyDown(int key) {
    if (key == Qt::Key_Escape)
        return Effect::ToggleFullScreen;
    if (key == Qt::Key_Control) {
        m_armed = true;
        return Effect::None;
    }
    if (!m_armed)
        return Effect::None;
    Effect e = Effect::None;
    if (key == Qt::Key_S || key == kCyrillicYeru)
        e = Effect::SaveLesson;
    else if (key == Qt::Key_O || key == kCyrillicShcha)
        e = Effect::OpenLesson;
    else if (key == Qt::Key_N || key == kCyrillicTe)
        e = Effect::NewLesson;
    if (e != Effect::None)
        m_armed = false;
    return e;
}
