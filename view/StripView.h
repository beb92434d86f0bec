#pragma once

#include "DroppedFiles.h"
#include "PointD.h"
#include "StripGeometry.h"
#include "ViewTransform.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QString>

#include <optional>
#include <vector>

class BmpRect;
class BmpRectStream;
class Scene;

// A row of pictures side by side, zoomed so that the first one (and a free band below it)
// fills the pane's height, scrolled horizontally: what the plate strip and the lesson row
// share. It holds the row's transform, its extent, the back buffer, the scroll keys, the
// pointer, picking a picture with the left button and files dropped from a file manager;
// the subclass owns the scene and decides what a pick, a drop and the pointer do.
//
// Coordinates: the row is laid out and drawn in unscrolled logical pixels (its origin at the
// row's left end); the viewport shows the part starting at scrollPosition(). The transform
// maps plate units to those pixels. Drawing goes to a back buffer made at the viewport's
// device pixel ratio, so pictures, frames and captions keep their logical sizes and are
// sharp at every scale.
class StripView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static const QColor kBackground;    // red 66, green 75, blue 121
    static const QColor kCaptionColour; // alpha 150, red 255, green 204, blue 0
    static constexpr int kCaptionPixels = 20;
    static constexpr int kFitMinHeight = 50; // a pane this high or lower is not re-fitted
    static constexpr int kLineStep = 20;     // px per arrow key or scroll-bar arrow

    virtual Scene& scene() = 0;
    virtual const Scene& scene() const = 0;

    // Zooms so that the first picture's height plus the row's free band is within one zoom
    // step of the pane's height, its upper-left corner on the anchor point. Nothing without
    // a picture.
    virtual void fitToHeight();
    // Scroll extent from the row's width (the pane's size in full-screen mode or when the row
    // fits), and the back buffer at the pane's size.
    virtual void updateScrollSizes();
    // Scrolls back to the saved position (leaving full-screen mode may have squeezed the pane).
    void restoreScrollPosition();

    const ViewTransform& transform() const { return m_vt; }
    QSize clientSize() const;
    // The scrollable size of the row, logical pixels.
    QSize scrollExtent() const { return m_extent; }
    QPoint scrollPosition() const;
    QPoint savedScrollPosition() const { return m_savedScroll; }
    // Last pointer position in row pixels.
    PointD lastMousePoint() const { return m_lastMouse; }
    PointD anchorPoint() const { return m_anchor; }
    // The back buffer, in device pixels; re-made only when the pane's size or scale changes.
    const QImage& backBuffer() const { return m_backBuffer; }
    // How many times the back buffer was made; paints never add to it.
    int backBufferGeneration() const { return m_backBufferGeneration; }

signals:
    // Right button (or the menu key): the frame's popup at a point in this widget's
    // coordinates.
    void contextMenuRequested(const QPoint& viewPoint);
    // The keyboard focus left the row: drags in the preview and the lesson row should end.
    void focusLost();

protected:
    StripView(const QString& caption, strip::FreeBand band, drops::Target dropTarget,
              QWidget* parent);

    // What the row draws in unscrolled row pixels, under its caption.
    virtual void drawRow(QPainter& g);
    // The pointer moved to lastMousePoint().
    virtual void pointerMoved() {}
    // The left button went down at lastMousePoint(); by default the picture there is picked.
    virtual void leftButtonPressed();
    // A picture was picked (a click, or Enter on the plate strip): by default it goes to the
    // preview as a copy of its own.
    virtual void choose(const BmpRectStream& picture);
    // The user moved the scroll bar; the slider position holds where it goes.
    virtual void userScrolled() {}
    // Where the menu key opens the popup, in viewport coordinates.
    virtual QPoint menuKeyPoint() const;
    // A drop is not taken now (the row is busy).
    virtual bool refusesDrops() const { return false; }
    // The files of a drop, after the drop has returned: the file manager must not wait for
    // the questions and messages they may bring.
    virtual void takeDrop(const std::vector<drops::Action>& actions) = 0;

    double paneHeight() const { return m_clientHeight; }
    // A new row: the fit kept from before the view was hidden no longer applies.
    void forgetFitBeforeHide() { m_fitBeforeHide.reset(); }
    // Marks the picture under the pointer and picks it; nothing where there is none.
    void pickPictureUnderPointer();
    BmpRectStream* selectedPicture() const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

    ViewTransform m_vt;
    PointD m_lastMouse;
    PointD m_anchor;
    QPoint m_savedScroll;

private:
    void notePointer(QPoint viewportPos);
    void ensureBackBuffer();
    void applyExtent(QSize extent);

    QString m_caption;
    strip::FreeBand m_band;
    drops::Target m_dropTarget;
    double m_clientWidth = 0.0;
    double m_clientHeight = 0.0;
    QImage m_backBuffer;
    int m_backBufferGeneration = 0;
    QSize m_extent;
    // The fit the view had when it was last hidden (full-screen mode hides it). Fitting is a
    // walk over zoom steps that ends on either side of the height depending on where it
    // starts, so the sizes the view passes through on its way back would leave it at another
    // zoom; back at this height it takes this fit again instead.
    struct FitBeforeHide {
        double height;
        ViewTransform vt;
        const BmpRect* first;
    };
    std::optional<FitBeforeHide> m_fitBeforeHide;
};
