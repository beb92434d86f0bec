#pragma once

#include "DroppedFiles.h"
#include "Lesson.h"
#include "LessonDisplay.h"
#include "LessonTarget.h"
#include "PointD.h"
#include "ViewTransform.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class BmpRect;
class BmpRectStream;
class PictureDrop;

// The lesson row: the lesson's pictures side by side in lesson order, zoomed so that the first
// one and a band of 100 plate units below it fill the pane's height, scrolled horizontally.
// A click on a picture marks it and hands a copy to the preview; in the move mode (entered
// from the palette) the pointer marks the edge of the picture it is over and a click drops the
// selected picture there. Picture files, folders of pictures and lesson files dragged from a
// file manager are taken (DroppedFiles.h); Ctrl+Z undoes the newest lesson edit.
//
// Coordinates as in the plate strip: the row is drawn in unscrolled row pixels; the viewport
// shows the part starting at scrollPosition(). The transform maps plate units to row pixels.
//
// Exists once; reachable through instance() while it lives, and registered as the program's
// lesson (Instances::lesson()). It owns the lesson.
class LessView : public QAbstractScrollArea, public LessonDisplay, public LessonTarget {
    Q_OBJECT
public:
    static const QString kCaption;           // "Урок"
    static constexpr int kFitMinHeight = 50; // a pane this high or lower is not re-fitted
    static constexpr int kLineStep = 20;     // px per arrow key or scroll-bar arrow

    explicit LessView(QWidget* parent = nullptr);
    ~LessView() override;

    static LessView* instance();

    Lesson& lesson() { return m_lesson; }
    const Lesson& lesson() const { return m_lesson; }
    Scene& scene() { return m_lesson.scene(); }
    const Scene& scene() const { return m_lesson.scene(); }

    // Palette commands. Refusals are message boxes; the lesson is unchanged after each.
    void deletePicture();
    // true: the move mode is on, the selected picture waits for a click in the row.
    bool beginMovePicture();
    void cancelMovePicture();
    void undoEdit();
    // The menu's and the palette's "Открыть": open, then fit and scroll sizes.
    void openLessonAndRelayout();
    // Fit, scroll sizes and a repaint; for a lesson still loading, when its load has ended.
    void relayout();

    // The anchor point goes to the first picture's left edge at the top of the pane, and the
    // pan stays where the drag left it.
    void endDrag();
    // The saved scroll position is always the row's start; leaving full-screen mode scrolls
    // back to it.
    QPoint savedScrollPosition() const { return m_savedScroll; }
    void restoreScrollPosition();

    // LessonDisplay
    // Zooms so that the first picture's height plus the 100-unit band is within one zoom step
    // of the pane's height, its upper-left corner on the anchor point. Nothing without one.
    void fitToHeight() override;
    // Scroll extent from the row width (the pane's size in full-screen mode or when the row
    // fits), and the back buffer at the pane's size.
    void updateScrollSizes() override;
    void invalidate() override;
    void resetAnchor() override;
    QWidget* loadingWindowOwner() override { return this; }

    // LessonTarget
    void addPicture(std::unique_ptr<BmpRect> picture) override;
    // Re-fits and repaints the row afterwards.
    void appendAllPictures(Scene& source) override;
    Scene& lessonScene() override { return scene(); }

    const ViewTransform& transform() const { return m_vt; }
    QSize clientSize() const;
    QSize scrollExtent() const { return m_extent; }
    QPoint scrollPosition() const;
    PointD lastMousePoint() const { return m_lastMouse; }
    PointD anchorPoint() const { return m_anchor; }
    // Dropped picture files are still being added (PictureDrop).
    bool isDropping() const;
    PictureDrop* pictureDrop() const { return m_drop.get(); }
    const QImage& backBuffer() const { return m_backBuffer; }
    int backBufferGeneration() const { return m_backBufferGeneration; }

signals:
    // Right button (or the menu key): the frame's "Урок" popup at a point in this widget's
    // coordinates.
    void contextMenuRequested(const QPoint& viewPoint);
    // The middle button was released here: every drag in progress should end.
    void dragsEndRequested();
    // The keyboard focus left the row: drags in the preview and the lesson row should end.
    void focusLost();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void notePointer(QPoint viewportPos);
    void choose(const BmpRectStream& picture);
    void dropPicture();
    void endMoveMode();
    int pictureCount() const;
    void ensureBackBuffer();
    void applyExtent(QSize extent);
    void updateCursor();
    // The files of a drop, after the drop itself has returned (its questions and messages
    // are modal: the file manager must not wait for them). Pictures are added in steps
    // (PictureDrop).
    void addDropped(const std::vector<drops::Action>& actions);
    void addDroppedPictures(QStringList pictures);

    Lesson m_lesson{*this};
    ViewTransform m_vt;
    double m_clientWidth = 0.0;
    double m_clientHeight = 0.0;
    QImage m_backBuffer;
    int m_backBufferGeneration = 0;
    PointD m_lastMouse;
    PointD m_anchor;
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
    QPoint m_savedScroll;
    QSize m_extent;
    std::unique_ptr<PictureDrop> m_drop;
};
