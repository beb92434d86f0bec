#pragma once

#include "PointD.h"
#include "Scene.h"
#include "SceneLoadSink.h"
#include "ViewTransform.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class BmpRect;
class BmpRectStream;
class LoadDlg;

// The plate strip: every plate of the open topic side by side, zoomed so that the first one
// fills the pane's height, scrolled horizontally. A click on a plate marks it and hands an
// independent copy to the preview (Instances::preview()), and another to whoever listens to
// pictureChosen.
//
// Coordinates: the strip is drawn in unscrolled strip pixels (its origin at the left end of
// the strip); the viewport shows the part starting at scrollPosition(). The transform maps
// plate units to strip pixels; its shift pins the first plate at the anchor point.
//
// A fragment file dragged from a file manager onto the strip is shown (DroppedFiles.h).
//
// Exists once; reachable through instance() while it lives. Its scene is the program-wide
// plate scene (Instances::plateScene()).
class KovrelView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static const QColor kBackground;    // red 66, green 75, blue 121
    static const QColor kCaptionColour; // alpha 150, red 255, green 204, blue 0
    static const QString kCaption;      // "Иллюстрации"
    static constexpr int kCaptionPixels = 20;
    static constexpr int kFitMinHeight = 50; // a pane this high or lower is not re-fitted
    static constexpr int kSelectMargin = 10; // px left of a picture selected by name
    static constexpr int kLineStep = 20;     // px per arrow key or scroll-bar arrow

    explicit KovrelView(QWidget* parent = nullptr);
    ~KovrelView() override;

    static KovrelView* instance();

    // A full fragment path: shows the loading window and starts replacing the strip by the
    // fragment's plates, returning at once. The plates are appended to the scene as they
    // arrive (so a command meanwhile sees those read so far) but not drawn until the load has
    // ended; then the window closes and the strip is fitted to the pane and painted.
    // Empty: empties the strip (the zoom stays). Either cancels a load that runs; so do the
    // scene's clear and the view's end. A failure of the file is shown by the loader;
    // pictures that did not decode are told in one message once the load has ended. The
    // window's "Отмена" ends the load as if it had ended there. Whatever was read stays
    // shown.
    void showFragment(const QString& path);
    // Marks the first plate whose "picName" equals the normalised name (see PictureNames.h),
    // hands a copy to pictureChosen and scrolls it to kSelectMargin px from the left edge.
    // A name no plate has does nothing. While a fragment loads the name is kept and chosen
    // once the load has ended (a topic link shows a fragment, then picks one of its plates).
    void selectPicture(const QByteArray& name);
    // Copies every stored plate into the lesson (Instances::lesson()), after asking when the
    // lesson already holds pictures. Without a lesson: nothing.
    void addAllToLesson();
    // Scrolls back to where the user last scrolled (the main frame calls this on leaving
    // full-screen mode, which may have squeezed the pane).
    void restoreScrollPosition();

    // Zooms so that the first plate's height plus 25 px is within one zoom step of the pane's
    // height, its upper-left corner on the anchor point. Nothing without a plate.
    void fitToHeight();
    // Scroll extent from the strip width (the pane's size in full-screen mode or when the
    // strip fits), and the back buffer at the pane's size.
    void updateScrollSizes();

    Scene& scene() { return m_scene; }
    const Scene& scene() const { return m_scene; }
    const ViewTransform& transform() const { return m_vt; }
    QSize clientSize() const;
    // The scrollable size of the strip, pixels.
    QSize scrollExtent() const { return m_extent; }
    QPoint scrollPosition() const;
    QPoint savedScrollPosition() const { return m_savedScroll; }
    // Last pointer position in strip pixels.
    PointD lastMousePoint() const { return m_lastMouse; }
    PointD anchorPoint() const { return m_anchor; }
    bool isLoading() const { return m_scene.isLoading(); }
    // The back buffer; re-made only when the pane's size changes.
    const QImage& backBuffer() const { return m_backBuffer; }
    // How many times the back buffer was made; paints never add to it.
    int backBufferGeneration() const { return m_backBufferGeneration; }

signals:
    // A copy of the plate the user picked, for the preview; the receiver may keep it.
    void pictureChosen(std::shared_ptr<BmpRect> picture);
    // Right button (or the menu key): the frame's "Набор плакатов" popup at a point in this
    // widget's coordinates.
    void contextMenuRequested(const QPoint& viewPoint);
    // The pane changed its size: the floating panels beside the panes should be re-placed.
    void panelsPlacementNeeded();
    // The keyboard focus left the strip: drags in the preview and the lesson row should end.
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
    void choose(BmpRectStream& picture);
    BmpRectStream* selectedPicture() const;
    void placeLoadingWindow(LoadDlg& window) const;
    void loadEnded();
    // The loading window's "Отмена": the strip keeps what was read, nothing more is told.
    void cancelLoadFromWindow();
    QSize shownSizeWhenFitted(const BmpRect& outline);
    void ensureBackBuffer();
    void applyExtent(QSize extent);
    void drawStrip(QPainter& g);
    void noteUserScroll();

    Scene m_scene;
    ViewTransform m_vt;
    double m_clientWidth = 0.0;
    double m_clientHeight = 0.0;
    QImage m_backBuffer;
    int m_backBufferGeneration = 0;
    PointD m_lastMouse;
    std::unique_ptr<LoadDlg> m_loadWindow;
    SceneLoadSink m_loadListener;
    // The transform the strip will have once fitted to the load's first plate (made when
    // its outline is known), for the size the plates decode at.
    std::optional<ViewTransform> m_loadFit;
    std::optional<QByteArray> m_selectWhenLoaded;
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
};
