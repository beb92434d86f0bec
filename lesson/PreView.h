#pragma once

#include "AviDlg.h"
#include "MediaHost.h"
#include "PointD.h"
#include "PreviewTarget.h"
#include "Scene.h"
#include "SwfDlg.h"
#include "ViewTransform.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

class BmpRect;
class BmpRectStream;
class PlaybackPrefetch;
class ShapeList;

// The preview pane: one picture large, fitted and centred under the title
// "Предварительный просмотр", with its animation (GIF frames on a timer, a Flash movie or a
// video clip over it). For playback it fills the screen and steps through a sequence, the
// lesson or the plate strip, read afresh at every step (edits made meanwhile are seen).
//
// Coordinates: view pixels of this widget; the transform maps plate units to them.
// The picture is drawn into a cached layer that is re-made only when the picture, the
// transform or the GIF frame changes; the title and the hint are drawn over it, so a
// redrawn hint does not advance a GIF.
//
// Exists once; registered as Instances::preview() while it lives.
class PreView : public QWidget, public PreviewTarget, public MediaHost {
    Q_OBJECT
public:
    static const QString kTitle;       // "Предварительный просмотр"
    static const QString kExitHint;    // "ESC-выход"
    static const QString kBackHint;    // "<<<<"
    static const QString kForwardHint; // ">>>>"
    static const QColor kTitleColour;  // alpha 150, red 255, green 204, blue 0
    static const QColor kHintColour;   // alpha 180, red 255, green 204, blue 0
    static constexpr int kTitlePixels = 20;
    static constexpr int kHintPixels = 15;
    static constexpr int kHintFromBottom = 45;  // px from the bottom to the hint's top
    static constexpr int kWheelSteps = 5;       // zoom steps per wheel notch
    static constexpr int kPointerIdleMs = 2000; // the pointer hides after this in full screen

    // contentFolder: where animation and media names are found (ends with '/').
    explicit PreView(const QString& contentFolder, QWidget* parent = nullptr);
    ~PreView() override;

    static PreView* instance();

    // PreviewTarget
    void showPicture(std::unique_ptr<BmpRect> picture) override;
    void addShownToLesson() override;
    void openAnimation() override;
    void switchFullScreen() override;
    void startLesson() override;
    void fitPicture() override;
    void setFullScreen(bool on) override;
    void endDrag() override;

    // Playback. Messages: "Укажите картинку из готового урока." (no lesson picture),
    // "Укажите тему." (empty strip).
    void continueLesson();
    void startTopicShow();
    void fitPlayedPicture();
    // Full-screen playback keys (a presentation remote): true when the key was taken.
    bool playbackKey(int key, Qt::KeyboardModifiers modifiers);
    // The first or last element of the sequence; any position (clamped).
    void showPosition(int position);
    // Black screen on and off.
    void toggleBlank();
    void setBlank(bool on);
    void redrawHint();

    // MediaHost
    void pointerAt(bool backwardsHalf, bool fromVideo) override;
    void stepPicture() override;
    bool isPlaying() const override;

    // State, for the panels, the frame and tests.
    Scene& scene() { return m_scene; }
    const ViewTransform& transform() const { return m_vt; }
    BmpRect* currentPicture() const { return m_current; }
    const QString& hint() const { return m_hint; }
    bool isBackwards() const { return m_backwards; }
    bool isDragging() const { return m_drag; }
    bool isBlank() const { return m_blank; }
    bool isFullScreen() const { return m_fullScreen; }
    int position() const { return m_position; }
    const ShapeList* sequence() const { return m_sequence; }
    bool gifTimerActive() const { return m_gifTimer.isActive(); }
    int gifTimerInterval() const { return m_gifTimer.interval(); }
    SwfDlg* flashWindow() const { return m_swf; }
    AviDlg* videoWindow() const { return m_avi; }
    // Paints so far, and how many made the picture layer anew (GIF frames, fits).
    int paintCount() const { return m_paintCount; }
    int layerCount() const { return m_layerCount; }
    // Prefetched neighbours used by steps (for the benchmark).
    PlaybackPrefetch& prefetch() { return *m_prefetch; }

signals:
    // The shown picture has (true) or lacks an animation file: the "Анимация" panel.
    void animationAvailable(bool available);
    // The middle button went up here: every drag in progress should end.
    void dragsEndRequested();
    void resized();
    // The screen went black (true) or shows the picture again.
    void blankChanged(bool blank);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    enum class Fit { None, Picture, Played };

    void play(ShapeList& list, const QString& emptyMessage);
    void showElement(int position);
    void refit();
    void invalidateLayer();
    void renderLayer();
    void closeMedia();
    void openMedia();
    void placeMedia();
    void notePointer(QPointF pixels);
    void pointerMoved();
    void hidePointer();
    void prefetchNeighbours();
    QRect hintRect() const;

    QString m_contentFolder;
    Scene m_scene;
    double m_viewWidth = 0.0;
    double m_viewHeight = 0.0;
    bool m_fullScreen = false;
    BmpRect* m_current = nullptr;
    bool m_drag = false;
    QString m_hint;
    bool m_backwards = false;
    ShapeList* m_sequence = nullptr;
    ViewTransform m_vt;
    PointD m_dragStart;
    PointD m_pointer;
    int m_position = 0;
    BmpRectStream* m_played = nullptr; // in m_scene, or null
    QPointer<AviDlg> m_avi;
    QPointer<SwfDlg> m_swf;

    Fit m_lastFit = Fit::None;
    bool m_blank = false;
    QTimer m_gifTimer;
    QTimer m_pointerIdle;
    QImage m_layer;
    bool m_layerValid = false;
    int m_paintCount = 0;
    int m_layerCount = 0;
    bool m_prefetchPending = false;
    std::unique_ptr<PlaybackPrefetch> m_prefetch;
};
