#include "PreView.h"

#include "AviDlg.h"
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
#include "MediaPlacement.h"
#include "PictureImage.h"
#include "PictureReady.h"
#include "PlaybackPrefetch.h"
#include "PreviewFit.h"
#include "ResourceIds.h"
#include "SwfDlg.h"
#include "WindowServices.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <cmath>
#include <iterator>

namespace {

PreView* g_instance = nullptr;

const QColor kBackground = gfx::argb(255, 66, 75, 121);
const QString kNoLessonPicture = QStringLiteral("Укажите картинку из готового урока.");
const QString kNoTopic = QStringLiteral("Укажите тему.");

// Qt reports Cyrillic letters by their upper-case code point: the same keys of a Russian
// layout.
constexpr int kCyrillicZe = 0x0417; // З, the P key
constexpr int kCyrillicEf = 0x0424; // Ф, the A key
constexpr int kCyrillicEs = 0x0421; // С, the C key
constexpr int kCyrillicYa = 0x042F; // Я, the Z key

Shape* elementAt(ShapeList& list, int position) {
    if (position < 0 || position >= static_cast<int>(list.size()))
        return nullptr;
    return *std::next(list.begin(), position);
}

// The size in device pixels a picture is drawn at under vt (as PictureImage::draw measures).
QSize drawnSize(const ViewTransform& vt, const BmpRect& picture, qreal dpr) {
    const PointD ul = vt.toPixels(picture.corner(3));
    const PointD ur = vt.toPixels(picture.corner(2));
    const PointD ll = vt.toPixels(picture.corner(0));
    const double w = std::hypot(ur.x - ul.x, ur.y - ul.y) * dpr;
    const double h = std::hypot(ll.x - ul.x, ll.y - ul.y) * dpr;
    if (!std::isfinite(w) || !std::isfinite(h) || w > 1e5 || h > 1e5)
        return {};
    return {qRound(w), qRound(h)};
}

} // namespace

const QString PreView::kTitle = QStringLiteral("Предварительный просмотр");
const QString PreView::kExitHint = QStringLiteral("ESC-выход");
const QString PreView::kBackHint = QStringLiteral("<<<<");
const QString PreView::kForwardHint = QStringLiteral(">>>>");
const QColor PreView::kTitleColour = gfx::argb(150, 255, 204, 0);
const QColor PreView::kHintColour = gfx::argb(180, 255, 204, 0);

PreView::PreView(const QString& contentFolder, QWidget* parent)
    : QWidget(parent), m_contentFolder(contentFolder), m_hint(kExitHint),
      m_prefetch(std::make_unique<PlaybackPrefetch>()) {
    setObjectName(QStringLiteral("PreView"));
    setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole area
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_viewWidth = width();
    m_viewHeight = height();
    m_vt.viewHeight = m_viewHeight;

    m_gifTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_gifTimer, &QTimer::timeout, this, [this] {
        if (m_current && m_current->bGif())
            invalidateLayer(); // the next paint draws the next frame
    });
    // A picture drawn with a stand-in while its decode was made off this thread: now the real one.
    connect(&PictureReady::instance(), &PictureReady::prepared, this, [this] {
        if (m_current && m_current->image() && m_current->image()->isStandingIn())
            invalidateLayer();
    });
    m_pointerIdle.setSingleShot(true);
    m_pointerIdle.setInterval(kPointerIdleMs);
    connect(&m_pointerIdle, &QTimer::timeout, this, &PreView::hidePointer);

    g_instance = this;
    Instances::registerPreview(this);
}

PreView::~PreView() {
    Instances::unregisterPreview(this);
    if (g_instance == this)
        g_instance = nullptr;
    closeMedia();
    m_prefetch->clear();
}

PreView* PreView::instance() {
    return g_instance;
}

// ---- Showing a picture

void PreView::showPicture(std::unique_ptr<BmpRect> picture) {
    closeMedia();
    m_gifTimer.stop();
    putStrokesAway();
    if (!picture) {
        m_scene.clear();
        m_current = nullptr;
        m_played = nullptr;
        m_lastFit = Fit::None;
        emit animationAvailable(false);
        invalidateLayer();
        emit pictureShown();
        return;
    }
    m_scene.clear(); // the previous copy goes
    // Only the sequence operations hand over the played copy; any other picture ends it.
    if (picture.get() != m_played)
        m_played = nullptr;
    if (m_played)
        m_shownKey = m_nextKey;
    if (m_shownKey) {
        if (auto kept = m_keptStrokes.find(*m_shownKey); kept != m_keptStrokes.end()) {
            m_strokes = std::move(kept->second);
            m_keptStrokes.erase(kept);
        }
    }
    if (!m_strokes)
        m_strokes = std::make_unique<PictureStrokes>();
    emit animationAvailable(!picture->srcName().isEmpty());
    BmpRect* shown = picture.release();
    m_scene.shapes().append(shown); // the scene owns it now
    m_current = shown;

    if (!DisplayState::current().fullScreen) {
        fitPicture();
        fitPicture();
        m_lastFit = Fit::Picture;
    } else {
        fitPlayedPicture();
        m_lastFit = Fit::Played;
    }

    DisplayState::current().videoShown = shown->aviName().contains("avi");
    openMedia();
    if (shown->bGif()) {
        m_gifTimer.start(shown->frameDelay());
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
    if (!m_sequence || !m_played || m_scene.shapes().empty())
        return;
    try {
        preview::fitPlayedPicture(m_vt, m_played->previewBox(), m_viewWidth, m_viewHeight);
    } catch (const Err&) {
        return; // a turned picture whose box is inverted stays where it is
    }
    m_pointer = m_vt.pointerPixels;
    placeMedia();
}

void PreView::refit() {
    switch (m_lastFit) {
    case Fit::Picture:
        fitPicture();
        fitPicture();
        break;
    case Fit::Played:
        fitPlayedPicture();
        invalidateLayer();
        break;
    case Fit::None:
        break;
    }
}

// ---- Media over the picture

void PreView::closeMedia() {
    if (m_avi) {
        m_avi->stop();
        delete m_avi;
    }
    delete m_swf;
}

void PreView::openMedia() {
    if (!m_current)
        return;
    if (m_current->picName().contains("swf")) {
        m_swf = new SwfDlg(this, *this, m_contentFolder);
        placeMedia();
        m_swf->show();
        m_swf->play(cp1251::toUnicode(m_current->swfNameMy()));
    }
    if (DisplayState::current().videoShown) {
        m_avi = new AviDlg(this, *this, m_contentFolder);
        placeMedia();
        m_avi->show();
        m_avi->open(cp1251::toUnicode(m_current->aviName()));
    }
}

void PreView::placeMedia() {
    if (!m_current || (!m_swf && !m_avi))
        return;
    const PointD tl = m_vt.toPixels(m_current->corner(3));
    const PointD br = m_vt.toPixels(m_current->corner(1));
    const QRect r = mediaWindowRect(QPointF(tl.x, tl.y), QPointF(br.x, br.y));
    for (QWidget* w : {static_cast<QWidget*>(m_swf.data()), static_cast<QWidget*>(m_avi.data())}) {
        if (!w)
            continue;
        w->setGeometry(r);
        w->raise();
    }
}

// ---- Playback

void PreView::startLesson() {
    m_position = 0;
    continueLesson();
}

void PreView::continueLesson() {
    LessonTarget* lesson = Instances::lesson();
    Scene* scene = lesson ? &lesson->lessonScene() : nullptr;
    if (!scene || !scene->firstPicture()) {
        messageBox(kNoLessonPicture);
        return;
    }
    play(scene->shapes(), kNoLessonPicture);
}

void PreView::startTopicShow() {
    m_position = 0;
    Scene* plate = Instances::plateScene();
    if (!plate || plate->shapes().empty()) {
        messageBox(kNoTopic);
        return;
    }
    play(plate->shapes(), kNoTopic);
}

void PreView::play(ShapeList& list, const QString& emptyMessage) {
    (void)emptyMessage;
    if (m_sequence != &list)
        m_prefetch->clear();
    if (m_sequence != &list || !isPlaying()) {
        // A new playback: no strokes of an earlier one come back.
        m_keptStrokes.clear();
        m_shownKey.reset();
    }
    m_sequence = &list;
    const int n = static_cast<int>(list.size());
    if (m_position + 1 > n)
        m_position = 0;
    if (!elementAt(list, m_position))
        return;
    // From the normal layout this enters full-screen mode; playback never leaves it.
    if (!DisplayState::current().fullScreen)
        if (FrameControl* frame = Instances::frame())
            frame->switchFullScreen();
    setBlank(false);
    showElement(m_position);
}

void PreView::showElement(int position) {
    Shape* element = m_sequence ? elementAt(*m_sequence, position) : nullptr;
    auto* stored = dynamic_cast<BmpRectStream*>(element);
    if (!stored)
        return; // the position stays on it, nothing is shown
    std::unique_ptr<BmpRectStream> copy = m_prefetch->take(*stored);
    if (!copy)
        copy = stored->clone();
    m_played = copy.get();
    m_nextKey = StrokeKey(stored, stored->name());
    showPicture(std::move(copy));
    // Only once the picture is on screen: the workers must not compete with its own decode.
    m_prefetchPending = true;
}

void PreView::prefetchNeighbours() {
    if (!m_sequence || !isPlaying())
        return;
    const int n = static_cast<int>(m_sequence->size());
    if (n < 2)
        return;
    const qreal dpr = devicePixelRatioF();
    for (bool backwards : {false, true}) {
        const int at = preview::steppedPosition(m_position, n, backwards);
        const auto* next = dynamic_cast<const BmpRectStream*>(elementAt(*m_sequence, at));
        if (!next || next->bGif())
            continue;
        // Where the step will put it: the same fit from the same transform.
        ViewTransform vt = m_vt;
        try {
            preview::fitPlayedPicture(vt, next->previewBox(), m_viewWidth, m_viewHeight);
        } catch (const Err&) {
            continue;
        }
        m_prefetch->request(*next, drawnSize(vt, *next, dpr));
    }
}

void PreView::stepPicture() {
    if (!m_sequence || !DisplayState::current().fullScreen)
        return;
    const int n = static_cast<int>(m_sequence->size());
    m_position = preview::steppedPosition(m_position, n, m_backwards);
    setBlank(false);
    showElement(m_position);
    update();
}

void PreView::showPosition(int position) {
    if (!m_sequence || !DisplayState::current().fullScreen)
        return;
    const int n = static_cast<int>(m_sequence->size());
    if (n == 0)
        return;
    m_position = std::clamp(position, 0, n - 1);
    setBlank(false);
    showElement(m_position);
    update();
}

void PreView::toggleBlank() {
    setBlank(!m_blank);
}

void PreView::setBlank(bool on) {
    if (m_blank == on)
        return;
    m_blank = on;
    // Black means black: no movie over it, no play bar, no GIF frames ticking; each comes
    // back as it was.
    if (m_swf)
        m_swf->setBlanked(on);
    if (m_avi)
        m_avi->setBlanked(on);
    if (on)
        m_gifTimer.stop();
    else if (m_current && m_current->bGif() && !m_gifTimer.isActive())
        m_gifTimer.start(m_current->frameDelay());
    update();
    emit blankChanged(on);
}

bool PreView::playbackKey(int key, Qt::KeyboardModifiers modifiers) {
    if (!isPlaying())
        return false;
    if (penKey(key, modifiers))
        return true;
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    auto step = [this](bool backwards) {
        m_backwards = backwards;
        m_hint = backwards ? kBackHint : kForwardHint;
        stepPicture();
    };
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        step(false);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
        step(true);
        return true;
    case Qt::Key_Home:
        showPosition(0);
        return true;
    case Qt::Key_End:
        showPosition(static_cast<int>(m_sequence->size()) - 1);
        return true;
    case Qt::Key_B:
    case Qt::Key_Period:
        toggleBlank();
        return true;
    default:
        return false;
    }
}

// ---- Pen and arrow

void PreView::setPenTool(PenTool tool) {
    if (m_penTool == tool)
        return;
    m_penTool = tool;
    if (m_strokes && m_strokes->isDrawing()) {
        m_strokes->cancel();
        update();
    }
    applyRestCursor();
}

bool PreView::penKey(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held = modifiers & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (held == Qt::ControlModifier && (key == Qt::Key_Z || key == kCyrillicYa)) {
        // In the preview Ctrl+Z is the strokes' alone (the lesson row has its own).
        if (m_strokes && m_strokes->undo())
            update();
        return true;
    }
    if (held != Qt::NoModifier)
        return false;
    switch (key) {
    case Qt::Key_P:
    case kCyrillicZe:
        setPenTool(m_penTool == PenTool::Pen ? PenTool::None : PenTool::Pen);
        return true;
    case Qt::Key_A:
    case kCyrillicEf:
        setPenTool(m_penTool == PenTool::Arrow ? PenTool::None : PenTool::Arrow);
        return true;
    case Qt::Key_C:
    case kCyrillicEs:
        if (m_strokes && m_strokes->clear())
            update();
        return true;
    default:
        return false;
    }
}

void PreView::putStrokesAway() {
    if (m_strokes) {
        m_strokes->cancel();
        if (m_shownKey && isPlaying() && !m_strokes->isEmpty())
            m_keptStrokes[*m_shownKey] = std::move(m_strokes);
    }
    m_strokes.reset();
    m_shownKey.reset();
}

ViewTransform PreView::pointerTransform(QPointF pixels) const {
    ViewTransform vt = m_vt;
    vt.setPointer({pixels.x(), pixels.y()});
    return vt;
}

void PreView::endStroke(QPointF pixels) {
    if (!m_strokes || !m_strokes->isDrawing())
        return;
    m_strokes->end(pointerTransform(pixels));
    update();
}

void PreView::applyRestCursor() {
    switch (m_penTool) {
    case PenTool::Pen:
        setCursor(Cursors::cursor(ResId::kCurPen));
        return;
    case PenTool::Arrow:
        setCursor(Cursors::cursor(ResId::kCurArrowTool));
        return;
    case PenTool::None:
        break;
    }
    if (m_fullScreen)
        setCursor(Cursors::cursor(ResId::kCurPlayback));
    else
        unsetCursor();
}

bool PreView::isPlaying() const {
    return m_sequence && DisplayState::current().fullScreen;
}

void PreView::pointerAt(bool backwardsHalf, bool fromVideo) {
    if (fromVideo && !isPlaying())
        return;
    m_hint = backwardsHalf ? kBackHint : kForwardHint;
    m_backwards = backwardsHalf;
    redrawHint();
}

// ---- Full screen

void PreView::switchFullScreen() {
    if (FrameControl* frame = Instances::frame())
        frame->switchFullScreen();
    fitPicture();
    m_lastFit = m_scene.shapes().empty() ? Fit::None : Fit::Picture;
    // Fresh media windows at the picture's new size.
    const bool hadMedia = m_avi || m_swf;
    if (hadMedia) {
        closeMedia();
        openMedia();
    }
}

void PreView::setFullScreen(bool on) {
    m_fullScreen = on;
    setBlank(false);
    if (on) {
        m_pointerIdle.start();
    } else {
        m_pointerIdle.stop();
        m_keptStrokes.clear(); // playback is over; the shown picture keeps its own
    }
    applyRestCursor();
    update();
}

void PreView::hidePointer() {
    if (m_fullScreen && !m_drag && !(m_strokes && m_strokes->isDrawing()))
        setCursor(Qt::BlankCursor);
}

void PreView::pointerMoved() {
    if (!m_fullScreen)
        return;
    if (cursor().shape() == Qt::BlankCursor)
        applyRestCursor();
    m_pointerIdle.start();
}

// ---- Other commands

void PreView::addShownToLesson() {
    if (m_scene.shapes().empty()) {
        messageBox(kNoLessonPicture);
        return;
    }
    auto* stored = dynamic_cast<BmpRectStream*>(m_scene.shapes().front());
    if (!stored)
        return;
    if (LessonTarget* lesson = Instances::lesson())
        lesson->addPicture(stored->clone());
}

void PreView::openAnimation() {
    if (m_scene.shapes().empty())
        return;
    const auto* picture = dynamic_cast<const BmpRect*>(m_scene.shapes().front());
    if (!picture || picture->srcName().isEmpty())
        return;
    WindowServices::instance().shellOpen(m_contentFolder + cp1251::toUnicode(picture->srcName()));
}

void PreView::endDrag() {
    m_drag = false;
    m_vt.previousShift = m_vt.shift;
}

void PreView::redrawHint() {
    update(hintRect());
}

QRect PreView::hintRect() const {
    return QRect(0, static_cast<int>(m_viewHeight) - 100, 150, 100);
}

// ---- Painting

void PreView::invalidateLayer() {
    m_layerValid = false;
    update();
}

void PreView::renderLayer() {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize().expandedTo(QSize(1, 1));
    if (m_layer.size() != pixels || m_layer.devicePixelRatio() != dpr) {
        m_layer = QImage(pixels, QImage::Format_RGB32);
        m_layer.setDevicePixelRatio(dpr);
    }
    m_layer.fill(kBackground);
    QPainter g(&m_layer);
    m_scene.drawAll(g, m_vt); // a GIF draws its next frame
    m_layerValid = true;
    ++m_layerCount;
}

void PreView::paintEvent(QPaintEvent* event) {
    ++m_paintCount;
    QPainter screen(this);
    const QRect clip = event->rect();
    if (m_blank) {
        screen.fillRect(clip, Qt::black);
        return;
    }
    if (!m_layerValid || m_layer.size() != (QSizeF(size()) * devicePixelRatioF()).toSize())
        renderLayer();
    const qreal dpr = m_layer.devicePixelRatio();
    screen.drawImage(clip, m_layer,
                     QRectF(QRectF(clip).topLeft() * dpr, QSizeF(clip.size()) * dpr));
    if (m_strokes)
        m_strokes->draw(screen, m_vt); // over the picture, under the texts
    if (m_fullScreen)
        gfx::drawString(screen, m_hint,
                        gfx::pixelFont(QStringLiteral("Times New Roman"), kHintPixels), kHintColour,
                        QPointF(0, m_viewHeight - kHintFromBottom));
    else
        gfx::drawString(screen, kTitle,
                        gfx::pixelFont(QStringLiteral("Times New Roman"), kTitlePixels),
                        kTitleColour, QPointF(0, 0));
    if (m_prefetchPending) {
        m_prefetchPending = false;
        QTimer::singleShot(0, this, &PreView::prefetchNeighbours);
    }
}

void PreView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_viewWidth = event->size().width();
    m_viewHeight = event->size().height();
    m_vt.viewHeight = m_viewHeight;
    // Window managers change the layout after the request (full screen comes later): the
    // picture follows the pane whenever its size changes.
    refit();
    m_layerValid = false;
    update();
    if (FrameControl* frame = Instances::frame())
        frame->placePanels();
    emit resized();
    if (isPlaying())
        m_prefetchPending = true; // the new size needs new copies
}

// ---- Pointer

void PreView::notePointer(QPointF p) {
    m_pointer = {p.x(), p.y()};
}

void PreView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    if (isPlaying() && m_penTool == PenTool::None) { // a click with a tool on does not step
        const bool back = p.x() < m_viewWidth / 2;
        m_hint = back ? kBackHint : kForwardHint;
        m_backwards = back;
        redrawHint();
    }
    notePointer(p);
    if (m_strokes && m_strokes->isDrawing()) {
        const QRectF before = m_strokes->tailBounds(m_vt);
        m_strokes->extend(pointerTransform(p));
        update(before.united(m_strokes->tailBounds(m_vt)).toAlignedRect());
    }
    if (m_drag) {
        setCursor(Cursors::cursor(ResId::kCurDrag));
        m_vt.shift = {p.x() - m_dragStart.x + m_vt.previousShift.x,
                      p.y() - m_dragStart.y + m_vt.previousShift.y};
        placeMedia();
        invalidateLayer();
    } else if (m_fullScreen || m_penTool != PenTool::None) {
        applyRestCursor();
    }
    pointerMoved();
    QWidget::mouseMoveEvent(event);
}

void PreView::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    notePointer(p);
    if (event->button() == Qt::LeftButton) {
        if (m_penTool != PenTool::None) {
            if (m_strokes && m_current && !m_blank) {
                m_strokes->begin(m_penTool == PenTool::Pen ? PictureStrokes::Tool::Pen
                                                           : PictureStrokes::Tool::Arrow,
                                 pointerTransform(p));
                update(m_strokes->tailBounds(m_vt).toAlignedRect());
            }
        } else if (isPlaying()) {
            stepPicture();
        }
    } else if (event->button() == Qt::MiddleButton) {
        setCursor(Cursors::cursor(ResId::kCurDrag));
        m_drag = true;
        m_dragStart = {p.x(), p.y()};
    }
    event->accept();
}

void PreView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        endStroke(event->position());
    if (event->button() == Qt::MiddleButton) {
        endDrag();
        emit dragsEndRequested();
        if (FrameControl* frame = Instances::frame())
            frame->endDrags();
        applyRestCursor();
    }
    event->accept();
}

void PreView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first press of a double-click has stepped already: a nervous double-click is one
    // click, one step. With the pen or the arrow, or the middle button, the second press still
    // starts its stroke or drag.
    if (event->button() == Qt::LeftButton && m_penTool == PenTool::None) {
        notePointer(event->position());
        event->accept();
        return;
    }
    mousePressEvent(event);
}

void PreView::wheelEvent(QWheelEvent* event) {
    setCursor(Cursors::cursor(ResId::kCurZoom));
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        // About the last pointer position: it stays where it is.
        for (int i = 0; i < kWheelSteps; ++i)
            m_vt.wheelZoom(delta, m_pointer);
        placeMedia();
        invalidateLayer();
    }
    event->accept();
}

void PreView::keyPressEvent(QKeyEvent* event) {
    if (penKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PreView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    endStroke(QPointF(m_pointer.x, m_pointer.y)); // a box that takes the focus ends it
    if (FrameControl* frame = Instances::frame())
        frame->endDrags();
}
