#pragma once

#include "PictureStrokes.h"

#include <QPointF>
#include <QRect>

#include <functional>
#include <memory>

class QPainter;
class ViewTransform;

// The pen and the arrow over the preview's picture: which tool is on, their keys, and the
// stroke the pointer draws into the shown picture's strokes. No window: what needs painting
// anew goes to the repaint function (an empty rectangle: everything).
class PenInput {
public:
    enum class Tool { None, Pen, Arrow };

    explicit PenInput(std::function<void(QRect)> repaint);
    ~PenInput();

    Tool tool() const { return m_tool; }
    // A stroke being drawn is dropped.
    void setTool(Tool tool);
    // P and A toggle the pen and the arrow, C clears the strokes, Ctrl+Z takes the newest
    // back (the same keys of a Russian layout count): true when the key was taken.
    bool key(int key, Qt::KeyboardModifiers modifiers);

    // The shown picture's strokes (null without a picture), handed over when it changes.
    std::unique_ptr<PictureStrokes>& strokes() { return m_strokes; }
    const PictureStrokes* strokes() const { return m_strokes.get(); }
    bool isDrawing() const { return m_strokes && m_strokes->isDrawing(); }

    // The pointer (in view pixels, with the view's transform) pressed, moved and let go.
    void press(QPointF pixels, const ViewTransform& vt);
    void move(QPointF pixels, const ViewTransform& vt);
    void release(QPointF pixels, const ViewTransform& vt);
    void draw(QPainter& painter, const ViewTransform& vt) const;

private:
    void toggle(Tool tool) { setTool(m_tool == tool ? Tool::None : tool); }

    std::function<void(QRect)> m_repaint;
    Tool m_tool = Tool::None;
    std::unique_ptr<PictureStrokes> m_strokes;
};
