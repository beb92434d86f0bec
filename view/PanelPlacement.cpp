#include "PanelPlacement.h"

namespace {

// Right edge on the box's right edge, centred vertically (the height halved as an integer).
QPoint onRightEdge(const QRect& box, QSize panel) {
    const int top = static_cast<int>(box.top() + box.height() * 0.5 - panel.height() / 2);
    return {box.left() + box.width() - panel.width(), top};
}

} // namespace

PanelPlaces placePanels(const QRect& preview, const QRect& lesson, const PanelSizes& sizes,
                        bool fullScreen) {
    PanelPlaces p;
    p.buttons = onRightEdge(preview, sizes.buttons);
    p.exit = onRightEdge(preview, sizes.exit);
    const int bottom = preview.top() + preview.height();
    p.animation = {
        static_cast<int>(preview.left() + preview.width() * 0.5 - sizes.animation.width() * 0.5),
        bottom - sizes.animation.height() + (fullScreen ? -26 : 2)};
    p.lessonStart = {lesson.left() + lesson.width() - sizes.lessonStart.width(), lesson.top()};
    return p;
}
