#include "PictureStrokes.h"

#include "AddShape.h"
#include "CreateShape.h"
#include "Graphics.h"
#include "Pline.h"
#include "VectorLine.h"
#include "ViewTransform.h"

#include <QPainter>

#include <cmath>

namespace {

QPointF px(const ViewTransform& vt, PointD p) {
    const PointD q = vt.toPixels(p);
    return {q.x, q.y};
}

double pixelDistance(const ViewTransform& vt, PointD a, PointD b) {
    return (vt.toPixels(a) - vt.toPixels(b)).length();
}

QRectF box(QPointF a, QPointF b, double reach) {
    return QRectF(a, b).normalized().adjusted(-reach, -reach, reach, reach);
}

} // namespace

const QColor PictureStrokes::kColour = gfx::kRed;

PictureStrokes::PictureStrokes() = default;

PictureStrokes::~PictureStrokes() {
    m_history.clear();
    m_scene.clear();
}

const ShapeList& PictureStrokes::shapes() const {
    return m_scene.shapes();
}

int PictureStrokes::count() const {
    return static_cast<int>(m_scene.shapes().size());
}

Shape* PictureStrokes::building() const {
    return m_drawing ? m_building : nullptr;
}

void PictureStrokes::begin(Tool tool, const ViewTransform& vt) {
    cancel();
    const ShapeKind kind = tool == Tool::Pen ? ShapeKind::Pline : ShapeKind::VectorLine;
    if (!m_scene.startNewShape(static_cast<int>(kind)))
        return;
    Shape* shape = m_scene.newShapeTool().shape();
    if (auto* line = dynamic_cast<Pline*>(shape))
        line->setPen(kColour, kPenWidth, true);
    else if (auto* arrow = dynamic_cast<VectorLine*>(shape))
        arrow->setPen(kColour, kArrowWidth);
    m_tool = tool;
    m_building = shape;
    m_drawing = true;
    m_start = vt.pointer;
    m_pointer = vt.pointer;
    m_scene.currentTool().takePoint(vt);
}

void PictureStrokes::extend(const ViewTransform& vt) {
    if (m_drawing)
        m_pointer = vt.pointer;
    auto* line = dynamic_cast<Pline*>(building());
    if (!line)
        return; // the arrow's head is the pointer itself, drawn by the tool's overlay
    const EditablePoints& points = line->editablePoints();
    if (points.count() > 0 &&
        pixelDistance(vt, points.at(points.count() - 1), vt.pointer) < kPenStep)
        return;
    m_scene.currentTool().takePoint(vt);
}

bool PictureStrokes::end(const ViewTransform& vt) {
    if (!m_drawing)
        return false;
    m_pointer = vt.pointer;
    if (m_tool == Tool::Arrow) {
        if (pixelDistance(vt, m_start, vt.pointer) < kMinArrowLength) {
            cancel();
            return false;
        }
        m_scene.currentTool().takePoint(vt); // the head
    } else {
        extend(vt);
    }
    m_drawing = false;
    std::unique_ptr<Shape> stroke = m_scene.newShapeTool().takeComplete();
    m_scene.resetTool();
    if (!stroke)
        return false;
    m_history.push(new AddShape(m_scene.shapes(), std::move(stroke))); // appends it
    return true;
}

void PictureStrokes::cancel() {
    if (!m_drawing)
        return;
    m_drawing = false;
    m_scene.resetTool();
    m_scene.newShapeTool().begin(nullptr); // the unfinished shape goes
}

bool PictureStrokes::undo() {
    if (m_drawing) {
        cancel();
        return true;
    }
    if (!m_history.canUndo())
        return false;
    m_history.undo();
    return true;
}

bool PictureStrokes::clear() {
    cancel();
    const bool had = !isEmpty();
    m_history.clear();
    m_scene.clear();
    return had;
}

void PictureStrokes::draw(QPainter& g, const ViewTransform& vt) {
    if (isEmpty() && !m_drawing)
        return;
    ViewTransform at = vt;
    at.pointer = m_pointer; // the rubber band of the stroke being drawn ends here
    g.save();
    g.setRenderHint(QPainter::Antialiasing);
    m_scene.drawAll(g, at); // the tool's overlay draws the stroke being made
    g.restore();
}

QRectF PictureStrokes::tailBounds(const ViewTransform& vt) const {
    const Shape* shape = building();
    if (!shape)
        return {};
    if (const auto* line = dynamic_cast<const Pline*>(shape)) {
        const PointDArray points = line->points();
        if (points.empty())
            return {};
        const PointD last = points.back();
        const PointD before = points.size() > 1 ? points[points.size() - 2] : last;
        return box(px(vt, before), px(vt, last), kPenWidth + 2)
            .united(box(px(vt, last), px(vt, m_pointer), kPenWidth + 2));
    }
    // The cap's barbs reach 7 widths back and 2 aside of the head.
    return box(px(vt, m_start), px(vt, m_pointer), kArrowWidth * 8 + 2);
}
