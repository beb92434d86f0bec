#include "PreView.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "Cp1251.h"
#include "Cursors.h"
#include "DisplayState.h"
#include "Err.h"
#include "FrameControl.h"
#include "Graphics.h"
#include "Instances.h"
#include "LessonTarget.h"
#include "MediaWindow.h"
#include "PictureImage.h"
#include "PictureReady.h"
#include "PreviewFit.h"
#include "PreviewTouch.h"
#include "ResourceIds.h"
#include "WindowServices.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <cstdlib>

const QColor kBackground = gfx::argb(255, 66, 75, 121); // const: this file's alone

PreView::PreView(const QString& contentFolder, QWidget* parent)
    : QWidget(parent), m_contentFolder(contentFolder), m_hint(kExitHint),
      m_idlePointer(
          *this, kPointerIdleMs, [this] { applyRestCursor(); },
          [this] { return m_drag || m_pen.isDrawing(); }),
      m_pen([this](QRect dirty) { dirty.isEmpty() ? update() : update(dirty); }) {
    setObjectName(QStringLiteral("PreView"));
    setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole area
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_viewWidth = width();
    m_viewHeight = height();
    m_vt.viewHeight = m_viewHeight;

    connect(&m_playback, &Playback::pictureWanted, this,
            [this] { showPicture(m_playback.takePicture()); });
    connect(&m_playback, &Playback::fullScreenWanted, this, &PreView::switchFullScreen);
    // Black or white in place of the picture: every medium goes dark and still.
    connect(&m_playback, &Playback::blankChanged, this, &PreView::applyCover);
    connect(&m_playback, &Playback::whiteChanged, this, [this] {
        m_pen.strokes() = m_playback.swapBoardStrokes(std::move(m_pen.strokes()));
        applyCover();
    });
    connect(&m_playback, &Playback::directionChanged, this, [this](bool backwards) {
        m_hint = backwards ? kBackHint : kForwardHint;
        redrawHint();
    });
    // A picture drawn with a stand-in while its decode was made off this thread: now the real one.
    connect(&PictureReady::instance(), &PictureReady::prepared, this, [this] {
        if (m_current && m_current->image() && m_current->image()->isStandingIn())
            invalidateLayer();
    });
    new PreviewTouch(*this);
    Instances::registerPreview(this);
}

PreView::~PreView() {
    Instances::unregisterPreview(this);
    m_media.clear();
}

void PreView::showPicture(std::unique_ptr<BmpRect> picture) {
    m_playback.setWhite(false); // its strokes go back to the board first
    m_media.clear();
    m_pen.strokes() = m_playback.exchangeStrokes(std::move(m_pen.strokes()), picture.get());
    m_scene.clear(); // the previous copy goes
    m_current = nullptr;
    m_lastFit = Fit::None;
    emit animationAvailable(picture && !picture->srcName().isEmpty());
    if (picture) {
        m_current = picture.release();
        m_scene.shapes().append(m_current); // the scene owns it now
        if (!isFullScreen()) {
            fitPicture();
            fitPicture();
            m_lastFit = Fit::Picture;
        } else {
            fitPlayedPicture();
            m_lastFit = Fit::Played;
        }
        DisplayState::current().videoShown = PictureMediaSet::hasVideo(*m_current);
        openMedia();
    }
    invalidateLayer();
    emit pictureShown();
}

void PreView::fitPicture() {
    if (m_scene.shapes().empty())
        return;
    try {
        preview::fitPicture(m_vt, m_scene.estimateBounds(), m_viewWidth, m_viewHeight);
    } catch (const Err&) {
        return; // nothing with points: nothing to fit
    }
    m_pointer = m_vt.pointerPixels;
    placeMedia();
    invalidateLayer();
}

void PreView::fitPlayedPicture() {
    const BmpRectStream* played = m_playback.playedCopy();
    if (!played || m_scene.shapes().empty())
        return;
    try {
        preview::fitPlayedPicture(m_vt, played->previewBox(), m_viewWidth, m_viewHeight);
    } catch (const Err&) {
        return; // a turned picture whose box is inverted stays where it is
    }
    m_pointer = m_vt.pointerPixels;
    placeMedia();
}

void PreView::refit() {
    if (m_lastFit == Fit::Played) {
        fitPlayedPicture();
        invalidateLayer();
    } else if (m_lastFit == Fit::Picture) {
        fitPicture(); // twice, as a new picture is fitted
        fitPicture();
    }
}

void PreView::openMedia() {
    m_media = PictureMediaSet::create(*m_current, PictureMediaSet::over(*m_current, m_vt),
                                      {this, this, m_contentFolder, [this] { invalidateLayer(); }});
    for (MediaWindow* window : m_media.windows())
        connect(window, &MediaWindow::fullScreenRequested, this, &PreView::switchFullScreen);
    applyCover();
}

void PreView::placeMedia() {
    if (m_current)
        m_media.place(PictureMediaSet::over(*m_current, m_vt));
}

bool PreView::playbackKey(int key, Qt::KeyboardModifiers modifiers) {
    return isPlaying() && !m_playback.isOverviewOpen() &&
           (penKey(key, modifiers) || m_playback.key(key, modifiers));
}

void PreView::switchFullScreen() {
    if (FrameControl* frame = Instances::frame())
        frame->toggleFullScreen();
}

void PreView::setFullScreen(bool on) {
    m_playback.fullScreenChanged(on);
    m_idlePointer.setActive(on);
    applyRestCursor();
    // Playback brings its picture with its own fit right after.
    if (!m_playback.isEntering()) {
        fitPicture();
        m_lastFit = m_scene.shapes().empty() ? Fit::None : Fit::Picture;
        // Fresh media windows at the picture's new size.
        if (m_media.hasWindows()) {
            m_media.clear();
            openMedia();
        }
    }
    update();
}

void PreView::setPenTool(PenTool tool) {
    m_pen.setTool(tool);
    applyRestCursor();
}

bool PreView::penKey(int key, Qt::KeyboardModifiers modifiers) {
    if (!m_pen.key(key, modifiers))
        return false;
    applyRestCursor(); // the tool may have changed
    return true;
}

void PreView::applyRestCursor() {
    if (m_pen.tool() != PenTool::None)
        setCursor(
            Cursors::cursor(m_pen.tool() == PenTool::Pen ? ResId::kCurPen : ResId::kCurArrowTool));
    else if (isFullScreen())
        setCursor(Cursors::cursor(ResId::kCurPlayback));
    else
        unsetCursor();
}

void PreView::addShownToLesson() {
    if (m_scene.shapes().empty()) {
        messageBox(Playback::kNoLessonPicture);
        return;
    }
    auto* stored = dynamic_cast<BmpRectStream*>(m_scene.shapes().front());
    LessonTarget* lesson = Instances::lesson();
    if (stored && lesson)
        lesson->addPicture(stored->clone());
}

void PreView::openAnimation() {
    if (m_current && !m_current->srcName().isEmpty())
        WindowServices::instance().shellOpen(m_contentFolder +
                                             cp1251::toUnicode(m_current->srcName()));
}

void PreView::endDrag() {
    m_drag = false;
    m_vt.previousShift = m_vt.shift;
}

void PreView::redrawHint() {
    update(QRect(0, static_cast<int>(m_viewHeight) - 100, 150, 100));
}

void PreView::invalidateLayer() {
    m_layer.invalidate();
    update();
}

void PreView::paintEvent(QPaintEvent* event) {
    ++m_paintCount;
    QPainter screen(this);
    if (isBlank()) {
        screen.fillRect(event->rect(), Qt::black);
        return;
    }
    if (m_playback.isWhite())
        screen.fillRect(event->rect(), Qt::white);
    else
        m_layer.paint(screen, event->rect(), size(), devicePixelRatioF(), [this](QPainter& g) {
            g.fillRect(QRect(QPoint(0, 0), size()), kBackground);
            m_scene.drawAll(g, m_vt); // a GIF draws its next frame
        });
    m_pen.draw(screen, strokeTransform()); // over the picture, under the texts
    const bool full = isFullScreen();
    gfx::drawString(
        screen, full ? m_hint : kTitle,
        gfx::pixelFont(QStringLiteral("Times New Roman"), full ? kHintPixels : kTitlePixels),
        full ? kHintColour : kTitleColour, QPointF(0, full ? m_viewHeight - kHintFromBottom : 0));
    // Only once the picture is on screen: the workers must not compete with its own decode.
    if (m_playback.takePrefetchDue())
        QTimer::singleShot(0, this, [this] {
            m_playback.prefetchNeighbours(m_vt, QSizeF(m_viewWidth, m_viewHeight),
                                          devicePixelRatioF());
        });
}

void PreView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_viewWidth = event->size().width();
    m_viewHeight = event->size().height();
    m_vt.viewHeight = m_boardVt.viewHeight = m_viewHeight;
    // Window managers change the layout after the request (full screen comes later): the
    // picture follows the pane whenever its size changes.
    refit();
    invalidateLayer();
    emit resized();
    m_playback.notePrefetchDue(); // the new size needs new copies
}

void PreView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    if (isPlaying() && m_pen.tool() == PenTool::None) // a click with a tool on does not step
        m_playback.setBackwards(p.x() < m_viewWidth / 2);
    m_pointer = {p.x(), p.y()};
    m_pen.move(p, strokeTransform());
    if (m_drag) {
        setCursor(Cursors::cursor(ResId::kCurDrag));
        m_vt.shift = {p.x() - m_dragStart.x + m_vt.previousShift.x,
                      p.y() - m_dragStart.y + m_vt.previousShift.y};
        placeMedia();
        invalidateLayer();
    } else if (isFullScreen() || m_pen.tool() != PenTool::None) {
        applyRestCursor();
    }
    m_idlePointer.moved();
    QWidget::mouseMoveEvent(event);
}

void PreView::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    m_pointer = {p.x(), p.y()};
    if (event->button() == Qt::LeftButton) {
        if (m_pen.tool() == PenTool::None)
            stepPicture();
        else if (!isBlank())
            m_pen.press(p, strokeTransform());
    } else if (event->button() == Qt::MiddleButton) {
        setCursor(Cursors::cursor(ResId::kCurDrag));
        m_drag = true;
        m_dragStart = {p.x(), p.y()};
    }
    event->accept();
}

void PreView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_pen.release(event->position(), strokeTransform());
    if (event->button() == Qt::MiddleButton) {
        endDrag();
        emit dragsEndRequested();
        applyRestCursor();
    }
    event->accept();
}

void PreView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first press of a double-click has stepped already: a nervous double-click is one
    // click, one step. With the pen or the arrow, or the middle button, the second press still
    // starts its stroke or drag.
    if (event->button() == Qt::LeftButton && m_pen.tool() == PenTool::None) {
        m_pointer = {event->position().x(), event->position().y()};
        event->accept();
        return;
    }
    mousePressEvent(event);
}

void PreView::wheelEvent(QWheelEvent* event) {
    setCursor(Cursors::cursor(ResId::kCurZoom));
    const int delta = event->angleDelta().y();
    // About the last pointer position: it stays where it is.
    zoomSteps(delta > 0 ? kWheelSteps : delta < 0 ? -kWheelSteps : 0, {m_pointer.x, m_pointer.y});
    event->accept();
}

void PreView::zoomSteps(int steps, QPointF about) {
    for (int i = 0; i < std::abs(steps); ++i)
        m_vt.wheelZoom(steps > 0 ? 1 : -1, {about.x(), about.y()});
    if (steps != 0) {
        placeMedia();
        invalidateLayer();
    }
}

void PreView::panBy(QPointF delta) {
    m_vt.shift = {m_vt.shift.x + delta.x(), m_vt.shift.y + delta.y()};
    m_vt.previousShift = m_vt.shift;
    placeMedia();
    invalidateLayer();
}

void PreView::keyPressEvent(QKeyEvent* event) {
    if (penKey(event->key(), event->modifiers()))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void PreView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // A box that takes the focus ends the stroke.
    m_pen.release(QPointF(m_pointer.x, m_pointer.y), strokeTransform());
    endDrag();
    emit dragsEndRequested();
}
