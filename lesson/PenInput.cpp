#include "PenInput.h"

#include "ViewTransform.h"

namespace {

// Qt reports Cyrillic letters by their upper-case code point: the same keys of a Russian
// layout.
constexpr int kCyrillicZe = 0x0417; // З, the P key
constexpr int kCyrillicEf = 0x0424; // Ф, the A key
constexpr int kCyrillicEs = 0x0421; // С, the C key
constexpr int kCyrillicYa = 0x042F; // Я, the Z key

// The transform with the pointer at a pixel (the view's own stays as its fits left it).
ViewTransform at(const ViewTransform& vt, QPointF pixels) {
    ViewTransform moved = vt;
    moved.setPointer({pixels.x(), pixels.y()});
    return moved;
}

} // namespace

PenInput::PenInput(std::function<void(QRect)> repaint) : m_repaint(std::move(repaint)) {}

PenInput::~PenInput() = default;

void PenInput::setTool(Tool tool) {
    if (m_tool == tool)
        return;
    m_tool = tool;
    if (isDrawing()) {
        m_strokes->cancel();
        m_repaint({});
    }
}

bool PenInput::key(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held = modifiers & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (held == Qt::ControlModifier && (key == Qt::Key_Z || key == kCyrillicYa)) {
        // In the preview Ctrl+Z is the strokes' alone (the lesson row has its own).
        if (m_strokes && m_strokes->undo())
            m_repaint({});
        return true;
    }
    if (held != Qt::NoModifier)
        return false;
    switch (key) {
    case Qt::Key_P:
    case kCyrillicZe:
        toggle(Tool::Pen);
        return true;
    case Qt::Key_A:
    case kCyrillicEf:
        toggle(Tool::Arrow);
        return true;
    case Qt::Key_C:
    case kCyrillicEs:
        if (m_strokes && m_strokes->clear())
            m_repaint({});
        return true;
    default:
        return false;
    }
}

void PenInput::press(QPointF pixels, const ViewTransform& vt) {
    if (!m_strokes || m_tool == Tool::None)
        return;
    m_strokes->begin(m_tool == Tool::Pen ? PictureStrokes::Tool::Pen : PictureStrokes::Tool::Arrow,
                     at(vt, pixels));
    m_repaint(m_strokes->tailBounds(vt).toAlignedRect());
}

void PenInput::move(QPointF pixels, const ViewTransform& vt) {
    if (!isDrawing())
        return;
    const QRectF before = m_strokes->tailBounds(vt);
    m_strokes->extend(at(vt, pixels));
    m_repaint(before.united(m_strokes->tailBounds(vt)).toAlignedRect());
}

void PenInput::release(QPointF pixels, const ViewTransform& vt) {
    if (!isDrawing())
        return;
    m_strokes->end(at(vt, pixels));
    m_repaint({});
}

void PenInput::draw(QPainter& painter, const ViewTransform& vt) const {
    if (m_strokes)
        m_strokes->draw(painter, vt);
}
