#pragma once

#include "DisplayState.h"
#include "IdlePointer.h"
#include "MediaHost.h"
#include "PenInput.h"
#include "PictureLayer.h"
#include "PictureMedia.h"
#include "PictureStrokes.h"
#include "Playback.h"
#include "PointD.h"
#include "PreviewTarget.h"
#include "Scene.h"
#include "ViewTransform.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

class AviDlg;
class BmpRect;
class SwfDlg;

// The preview pane: one picture large, fitted and centred under the title
// "Предварительный просмотр", with its media over it (GIF frames, a Flash movie, a video
// clip). In full-screen mode it shows what its Playback hands it and takes the playback keys
// and clicks for it.
//
// Over the shown picture the teacher draws in red with a pen (P) or arrows (A), taken back
// with Ctrl+Z and cleared with C; playback keeps each sequence picture's strokes for its
// return. With a tool on, a left drag draws instead of stepping.
//
// Coordinates: view pixels of this widget; the transform maps plate units to them.
// The picture is drawn into a cached layer that is re-made only when the picture, the
// transform or the GIF frame changes; the title and the hint are drawn over it, so a
// redrawn hint does not advance a GIF.
//
// Registered as Instances::preview() while it lives; it asks the frame for full screen
// through Instances::frame() and learns the outcome from setFullScreen().
class PreView : public QWidget, public PreviewTarget, public MediaHost {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("Предварительный просмотр");
    static inline const QString kExitHint = QStringLiteral("ESC-выход");
    static inline const QString kBackHint = QStringLiteral("<<<<");
    static inline const QString kForwardHint = QStringLiteral(">>>>");
    static inline const QColor kTitleColour = QColor(255, 204, 0, 150);
    static inline const QColor kHintColour = QColor(255, 204, 0, 180);
    static constexpr int kTitlePixels = 20;
    static constexpr int kHintPixels = 15;
    static constexpr int kHintFromBottom = 45;  // px from the bottom to the hint's top
    static constexpr int kWheelSteps = 5;       // zoom steps per wheel notch
    static constexpr int kPointerIdleMs = 2000; // the pointer hides after this in full screen

    // contentFolder: where animation and media names are found (ends with '/').
    explicit PreView(const QString& contentFolder, QWidget* parent = nullptr);
    ~PreView() override;

    void showPicture(std::unique_ptr<BmpRect> picture) override;
    // The panels' buttons: a copy of the shown picture into the lesson ("Укажите картинку из
    // готового урока." without one); the shown picture's animation file opened by the desktop.
    void addShownToLesson();
    void openAnimation();
    // The preview's full-screen toggle: asks the frame, whose change comes back through
    // setFullScreen.
    void switchFullScreen();
    // Full-screen mode came or went: a new fit and fresh media windows at the new size.
    void setFullScreen(bool on);
    void fitPicture();
    void fitPlayedPicture();
    void endDrag();

    // Playback (see Playback for the messages).
    Playback& playback() { return m_playback; }
    const Playback& playback() const { return m_playback; }
    void startLesson() { m_playback.startLesson(); }
    void continueLesson() { m_playback.continueLesson(); }
    void startTopicShow() { m_playback.startTopicShow(); }
    // Full-screen playback keys (a presentation remote, the pen's keys): true when taken.
    bool playbackKey(int key, Qt::KeyboardModifiers modifiers);
    void showPosition(int position) { m_playback.showPosition(position); }
    void redrawHint();

    // Pen and arrow.
    using PenTool = PenInput::Tool;
    PenTool penTool() const { return m_pen.tool(); }
    void setPenTool(PenTool tool);
    // See PenInput::key.
    bool penKey(int key, Qt::KeyboardModifiers modifiers);
    // The shown picture's strokes; null without a picture.
    const PictureStrokes* strokes() const { return m_pen.strokes(); }
    // For fingers and a stylus (PreviewTouch): whole wheel steps of zoom about a point, with
    // the wheel's limits; the picture moved; the pen the stylus draws with, and where.
    void zoomSteps(int steps, QPointF about);
    void panBy(QPointF delta);
    PenInput& pen() { return m_pen; }
    // The board's strokes keep their place on the screen; the picture's follow it.
    const ViewTransform& strokeTransform() const { return m_playback.isWhite() ? m_boardVt : m_vt; }

    // MediaHost
    void pointerAt(bool backwardsHalf) override { m_playback.setBackwards(backwardsHalf); }
    void stepPicture() override { m_playback.step(); }
    bool isPlaying() const override { return m_playback.isPlaying(); }

    // State, for the panels, the presenter view and tests.
    Scene& scene() { return m_scene; }
    const ViewTransform& transform() const { return m_vt; }
    BmpRect* currentPicture() const { return m_current; }
    const QString& hint() const { return m_hint; }
    bool isDragging() const { return m_drag; }
    bool isBlank() const { return m_playback.isBlank(); }
    bool isWhite() const { return m_playback.isWhite(); }
    bool isFullScreen() const { return DisplayState::current().fullScreen; }
    int position() const { return m_playback.position(); }
    const ShapeList* sequence() const { return m_playback.sequence(); }
    bool gifTimerActive() const { return m_media.gifTimer() && m_media.gifTimer()->isActive(); }
    int gifTimerInterval() const { return m_media.gifTimer() ? m_media.gifTimer()->interval() : 0; }
    SwfDlg* flashWindow() const { return m_media.flashWindow(); }
    AviDlg* videoWindow() const { return m_media.videoWindow(); }
    // Paints so far, and how many made the picture layer anew (GIF frames, fits).
    int paintCount() const { return m_paintCount; }
    int layerCount() const { return m_layer.count(); }

signals:
    // The shown picture has (true) or lacks an animation file: the "Анимация" panel.
    void animationAvailable(bool available);
    // The middle button went up here, or the focus left: the other views end their drags.
    void dragsEndRequested();
    // The pane's size changed: the panels beside it move.
    void resized();
    // Another picture (or none) is shown.
    void pictureShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    enum class Fit { None, Picture, Played };

    void applyCover() {
        m_media.setBlanked(isBlank() || isWhite());
        update();
    }
    void refit();
    void invalidateLayer();
    void openMedia();
    void placeMedia();
    // The cursor between drags: the tool's, else the playback one in full screen, else the
    // standard one.
    void applyRestCursor();

    QString m_contentFolder;
    Playback m_playback;
    Scene m_scene;
    double m_viewWidth = 0.0;
    double m_viewHeight = 0.0;
    BmpRect* m_current = nullptr;
    bool m_drag = false;
    QString m_hint;
    ViewTransform m_vt;
    ViewTransform m_boardVt; // the white board's, fixed
    PointD m_dragStart;
    PointD m_pointer;
    PictureMediaSet m_media;

    Fit m_lastFit = Fit::None;
    IdlePointer m_idlePointer;
    PictureLayer m_layer;
    int m_paintCount = 0;
    PenInput m_pen;
};
