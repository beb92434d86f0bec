#include "PreviewTouch.h"

#include "PreView.h"
#include "TouchGestures.h"

#include <QTabletEvent>

#include <cmath>

PreviewTouch::PreviewTouch(PreView& preview)
    : QObject(&preview), m_preview(preview), m_gestures(new TouchGestures(&preview)) {
    preview.installEventFilter(this);
    connect(m_gestures, &TouchGestures::tapped, this, [this](QPointF at) {
        if (m_preview.penTool() == PenInput::Tool::None) // a tap with a tool on does not step
            step(at.x() < m_preview.width() / 2.0);
    });
    connect(m_gestures, &TouchGestures::swiped, this, [this](int next) { step(next < 0); });
    connect(m_gestures, &TouchGestures::pinched, this, &PreviewTouch::pinch);
    connect(m_gestures, &TouchGestures::panned, this,
            [this](QPointF delta) { m_preview.panBy(delta); });
}

void PreviewTouch::step(bool backwards) {
    if (!m_preview.isPlaying())
        return;
    m_preview.pointerAt(backwards);
    m_preview.stepPicture();
}

void PreviewTouch::pinch(qreal factor, QPointF centre) {
    m_zoomCarry += std::log(factor) / std::log(m_preview.transform().zoomStep);
    const int steps = static_cast<int>(m_zoomCarry); // whole steps; the rest waits
    m_zoomCarry -= steps;
    m_preview.zoomSteps(steps, centre);
}

bool PreviewTouch::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_preview)
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::TabletPress && type != QEvent::TabletMove && type != QEvent::TabletRelease)
        return false;
    const auto* tablet = static_cast<QTabletEvent*>(event);
    const QPointF at = tablet->position();
    PenInput& pen = m_preview.pen();
    if (type == QEvent::TabletPress && !m_stylusDown && !m_preview.isBlank()) {
        m_stylusDown = true;
        m_toolBeforeStylus = pen.tool();
        if (m_toolBeforeStylus == PenInput::Tool::None)
            m_preview.setPenTool(PenInput::Tool::Pen);
        pen.press(at, m_preview.strokeTransform());
    } else if (type == QEvent::TabletMove && m_stylusDown) {
        pen.move(at, m_preview.strokeTransform());
    } else if (type == QEvent::TabletRelease && m_stylusDown) {
        m_stylusDown = false;
        pen.release(at, m_preview.strokeTransform());
        m_preview.setPenTool(m_toolBeforeStylus);
    }
    event->accept();
    return true;
}
