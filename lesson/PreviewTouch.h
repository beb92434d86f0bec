#pragma once

#include <QObject>

#include "PenInput.h"

class PreView;
class TouchGestures;

// Fingers and a stylus over the preview, for touch panels and interactive whiteboards. A tap
// on the right or left half steps as a click does, a horizontal swipe steps forward or back,
// two fingers pinch to zoom about them (the wheel's steps and limits) and pan. A stylus
// draws with the pen, or with the arrow when that is on, without P or A first; the fingers
// keep panning and zooming meanwhile. Each touch acts once: touches are taken whole, so Qt
// makes no mouse events of them, and the stylus's own events are taken likewise.
class PreviewTouch : public QObject {
    Q_OBJECT
public:
    explicit PreviewTouch(PreView& preview);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(bool backwards);
    void pinch(qreal factor, QPointF centre);

    PreView& m_preview;
    TouchGestures* m_gestures;
    double m_zoomCarry = 0; // pinch in wheel steps, not yet applied
    bool m_stylusDown = false;
    PenInput::Tool m_toolBeforeStylus = PenInput::Tool::None;
};
