#pragma once

#include "PointD.h"
#include "Scene.h"

#include <QColor>
#include <QRectF>
#include <QUndoStack>

class QPainter;
class ShapeList;
class ViewTransform;

// Red marks a teacher draws over the shown picture: freehand lines (Pline) and arrows
// (VectorLine with its arrow cap), made with the creation tool of a scene of their own.
// Points are plate units, so the marks stay on the picture whatever the view's zoom, pan or
// size; the pen's width is in pixels, as every shape's is. Taken back newest first: each kept
// stroke is a command of the strokes' own history, which holds the stroke once taken back.
// Never written to any file.
class PictureStrokes {
public:
    enum class Tool { Pen, Arrow };

    static const QColor kColour;               // opaque red
    static constexpr double kPenWidth = 5.0;   // px
    static constexpr double kArrowWidth = 5.0; // px; the cap reaches 35 px back, 10 px aside
    // The pen keeps a point only this far (px) from the one before: a resting hand adds none.
    static constexpr double kPenStep = 2.0;
    // A drag shorter than this (px) makes no arrow: a click is not meant as one.
    static constexpr double kMinArrowLength = 8.0;

    PictureStrokes();
    PictureStrokes(const PictureStrokes&) = delete;
    PictureStrokes& operator=(const PictureStrokes&) = delete;
    ~PictureStrokes();

    // A new stroke from the pointer stored in vt; one being drawn is dropped first.
    void begin(Tool tool, const ViewTransform& vt);
    // The pointer (in vt) moved while the button is held: the pen takes it as its next point,
    // the arrow's head follows it.
    void extend(const ViewTransform& vt);
    // The button went up with the pointer in vt: true when the stroke was kept, false when it
    // was too short to keep (a pen click, a tiny arrow) or none was being drawn.
    bool end(const ViewTransform& vt);
    // Drops the stroke being drawn.
    void cancel();
    bool isDrawing() const { return m_drawing; }

    // The stroke being drawn goes, or else the newest kept one; false when there is none.
    bool undo();
    // Every kept stroke goes; false when there was none.
    bool clear();
    int count() const;
    bool isEmpty() const { return count() == 0; }
    const ShapeList& shapes() const;

    // The kept strokes, then the one being drawn (up to the pointer it was last given),
    // antialiased, in vt's pixels.
    void draw(QPainter& g, const ViewTransform& vt);
    // The pixels the stroke being drawn last changed under vt, with the pen's reach: the
    // pen's newest segments, or the whole arrow. Empty when none is drawn.
    QRectF tailBounds(const ViewTransform& vt) const;

private:
    Shape* building() const;

    Scene m_scene;
    QUndoStack m_history; // emptied before the scene: undone commands hold strokes
    Tool m_tool = Tool::Pen;
    bool m_drawing = false;
    Shape* m_building = nullptr; // held by the scene's creation tool while drawing
    PointD m_start;              // plate units
    PointD m_pointer;            // plate units: where the stroke being drawn ends now
};
