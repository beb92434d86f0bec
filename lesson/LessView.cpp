#include "LessView.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "Cursors.h"
#include "DisplayState.h"
#include "Graphics.h"
#include "Instances.h"
#include "KovrelView.h"
#include "LessDlg.h"
#include "PictureDrop.h"
#include "PictureReady.h"
#include "PreviewTarget.h"
#include "ResourceIds.h"
#include "StripGeometry.h"
#include "WindowServices.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace {
LessView* g_instance = nullptr;

// Qt reports Cyrillic letters by their upper-case code point.
constexpr int kCyrillicYa = 0x042F; // Я, the Z key of a Russian layout

void showInPreview(std::unique_ptr<BmpRect> picture) {
    if (PreviewTarget* preview = Instances::preview())
        preview->showPicture(std::move(picture));
}
} // namespace

const QString LessView::kCaption = QStringLiteral("Урок");

LessView::LessView(QWidget* parent) : QAbstractScrollArea(parent) {
    // Pictures decoded off this thread for the size they are shown at are drawn once ready.
    connect(&PictureReady::instance(), &PictureReady::prepared, this, [this] { invalidate(); });
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    // As in the plate strip: a bar that came and went would change the pane's height and so
    // the fit.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Cursors::cursor(ResId::kCurPoint));
    viewport()->setAcceptDrops(true);
    horizontalScrollBar()->setSingleStep(kLineStep);
    // Any scroll-bar action puts the saved position back to the row's start.
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int) {
        m_savedScroll = {0, 0};
    });

    const QSize client = viewport()->size();
    m_clientWidth = client.width();
    m_clientHeight = client.height();
    m_vt.viewHeight = m_clientHeight;
    m_extent = client;

    g_instance = this;
    Instances::registerLesson(this);
}

LessView::~LessView() {
    Instances::unregisterLesson(this);
    if (g_instance == this)
        g_instance = nullptr;
}

LessView* LessView::instance() {
    return g_instance;
}

QSize LessView::clientSize() const {
    return {static_cast<int>(m_clientWidth), static_cast<int>(m_clientHeight)};
}

QPoint LessView::scrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

int LessView::pictureCount() const {
    int n = 0;
    for (const ::Shape* shape : scene().shapes())
        n += dynamic_cast<const BmpRect*>(shape) != nullptr;
    return n;
}

// ---- LessonDisplay and LessonTarget

void LessView::fitToHeight() {
    const BmpRect* first = scene().firstPicture();
    if (!first)
        return;
    m_lastMouse = m_anchor;
    strip::fitToHeight(m_vt, *first, m_anchor, m_clientHeight, strip::kLessonBand);
}

void LessView::updateScrollSizes() {
    m_vt.viewHeight = m_clientHeight;
    const QSize client = clientSize();
    ensureBackBuffer();

    QSize extent = client;
    if (!scene().shapes().empty() && !DisplayState::current().fullScreen) {
        const double width = strip::stripWidth(scene(), m_vt);
        if (viewport()->width() <= width)
            extent = QSize(static_cast<int>(width), client.height());
    }
    applyExtent(extent);
}

void LessView::invalidate() {
    viewport()->update();
}

void LessView::resetAnchor() {
    m_anchor = {0.0, 0.0};
}

void LessView::addPicture(std::unique_ptr<BmpRect> picture) {
    m_lesson.addPicture(std::move(picture));
}

void LessView::appendAllPictures(Scene& source) {
    m_lesson.appendAllPictures(source);
    fitToHeight();
    invalidate();
    updateScrollSizes();
}

void LessView::applyExtent(QSize extent) {
    m_extent = extent;
    const QSize pane = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, extent.width() - pane.width()));
    h->setPageStep(std::max(1, pane.width()));
    verticalScrollBar()->setRange(0, std::max(0, extent.height() - pane.height()));
    verticalScrollBar()->setPageStep(std::max(1, pane.height()));
}

void LessView::ensureBackBuffer() {
    // The pane's size, not the row's: a long lesson at a high zoom would need a huge image.
    const qreal dpr = viewport()->devicePixelRatioF();
    const QSize pixels = (QSizeF(viewport()->size()) * dpr).toSize().expandedTo(QSize(1, 1));
    if (m_backBuffer.size() == pixels && m_backBuffer.devicePixelRatio() == dpr)
        return;
    m_backBuffer = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_backBuffer.setDevicePixelRatio(dpr);
    m_backBuffer.fill(KovrelView::kBackground);
    ++m_backBufferGeneration;
}

// ---- Palette commands

void LessView::deletePicture() {
    if (pictureCount() == 0) {
        messageBox(QStringLiteral("Урок отсуствует."));
        return;
    }
    if (!m_lesson.deleteSelected()) {
        messageBox(QStringLiteral("Укажите иллюстрацию."));
        return;
    }
    showInPreview(nullptr);
    scene().layoutRow(); // the gap closes from x = 0
    relayout();
}

bool LessView::beginMovePicture() {
    if (pictureCount() < 2) {
        messageBox(QStringLiteral("Нет иллюстрации для переноса"));
        return false;
    }
    if (!scene().findSelected()) {
        messageBox(QStringLiteral("Укажите иллюстрацию."));
        return false;
    }
    DisplayState::current().interactionMode = DisplayState::kModeLessonMove;
    scene().startMove();
    updateCursor();
    invalidate();
    return true;
}

void LessView::cancelMovePicture() {
    endMoveMode();
}

void LessView::endMoveMode() {
    DisplayState::current().interactionMode = DisplayState::kModeNormal;
    scene().resetTool();
    for (::Shape* shape : scene().shapes()) // no picture keeps a green edge
        if (auto* picture = dynamic_cast<BmpRect*>(shape))
            picture->clearEdgeMarks();
    if (LessDlg* palette = LessDlg::instance())
        palette->resetMoveButton();
    updateCursor();
    invalidate();
}

void LessView::dropPicture() {
    m_lesson.moveSelected();
    relayout();
    endMoveMode();
}

void LessView::undoEdit() {
    m_lesson.undoLessonEdit();
    relayout();
}

void LessView::relayout() {
    if (m_lesson.isLoading()) {
        m_lesson.whenLoaded([this] { relayout(); });
        return;
    }
    // A row laid out again starts at x = 0 instead of 30: without a new fit its first picture
    // would stand partly left of the pane.
    fitToHeight();
    updateScrollSizes();
    invalidate();
}

void LessView::openLessonAndRelayout() {
    m_lesson.openLesson();
    relayout();
}

void LessView::endDrag() {
    m_vt.previousShift = m_vt.shift;
    if (const BmpRect* first = scene().firstPicture())
        m_anchor = {m_vt.toPixels(first->corner(0)).x, 0.0};
}

void LessView::restoreScrollPosition() {
    horizontalScrollBar()->setValue(m_savedScroll.x());
    verticalScrollBar()->setValue(m_savedScroll.y());
}

// ---- Events

void LessView::resizeEvent(QResizeEvent* event) {
    const QSize size = event->size();
    applyExtent(size);
    m_clientWidth = size.width();
    m_clientHeight = size.height();
    m_vt.viewHeight = m_clientHeight;
    ensureBackBuffer();
    if (!scene().shapes().empty() && size.height() > kFitMinHeight) {
        if (m_fitBeforeHide && m_fitBeforeHide->height == size.height() &&
            m_fitBeforeHide->first == scene().firstPicture())
            m_vt = m_fitBeforeHide->vt;
        else
            fitToHeight();
    }
    invalidate();
    updateScrollSizes();
}

void LessView::hideEvent(QHideEvent* event) {
    m_fitBeforeHide = FitBeforeHide{m_clientHeight, m_vt, scene().firstPicture()};
    QAbstractScrollArea::hideEvent(event);
}

void LessView::paintEvent(QPaintEvent* event) {
    ensureBackBuffer();
    const QRect clip = event->rect();
    {
        QPainter g(&m_backBuffer);
        g.setClipRect(clip);
        g.fillRect(clip, KovrelView::kBackground);
        const QPoint scrolled = scrollPosition();
        g.translate(-scrolled.x(), -scrolled.y());
        scene().drawAll(g, m_vt);
        // At the row's origin, so it scrolls away with the first picture.
        gfx::drawString(
            g, kCaption,
            gfx::pixelFont(QStringLiteral("Times New Roman"), KovrelView::kCaptionPixels),
            KovrelView::kCaptionColour, QPointF(0, 0));
    }
    QPainter screen(viewport());
    screen.drawImage(clip, m_backBuffer,
                     QRectF(QRectF(clip).topLeft() * m_backBuffer.devicePixelRatio(),
                            QSizeF(clip.size()) * m_backBuffer.devicePixelRatio()));
}

void LessView::updateCursor() {
    const bool moving = DisplayState::current().interactionMode == DisplayState::kModeLessonMove;
    viewport()->setCursor(Cursors::cursor(moving ? ResId::kCurMovePicture : ResId::kCurPoint));
}

void LessView::notePointer(QPoint viewportPos) {
    m_lastMouse = {double(viewportPos.x() + horizontalScrollBar()->value()),
                   double(viewportPos.y() + verticalScrollBar()->value())};
    m_vt.setPointer(m_lastMouse);
    if (DisplayState::current().interactionMode == DisplayState::kModeLessonMove) {
        // The half of the picture under the pointer gets its green edge; the move outline
        // follows the pointer.
        scene().updateEdgeMarksAll(m_vt);
        invalidate();
    } else {
        scene().shapeAt(m_vt); // only the pictures' hit flags
    }
}

void LessView::mouseMoveEvent(QMouseEvent* event) {
    updateCursor();
    notePointer(event->position().toPoint());
    QAbstractScrollArea::mouseMoveEvent(event);
}

void LessView::mousePressEvent(QMouseEvent* event) {
    // A press may come without a move before it: it is a move too.
    notePointer(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        if (DisplayState::current().interactionMode == DisplayState::kModeLessonMove) {
            dropPicture();
        } else if (auto* picture = dynamic_cast<BmpRectStream*>(scene().shapeAt(m_vt))) {
            scene().clearSelection();
            picture->setState(BmpRect::kStateSelected);
            invalidate();
            choose(*picture);
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
    event->accept();
    if (event->button() == Qt::RightButton)
        emit contextMenuRequested(viewport()->mapTo(this, event->position().toPoint()));
}

void LessView::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    event->accept();
    if (event->button() == Qt::MiddleButton) {
        endDrag();
        emit dragsEndRequested();
    }
}

void LessView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // The mouse's request went out with the right button's press; the menu key asks here.
    if (event->reason() == QContextMenuEvent::Keyboard)
        emit contextMenuRequested(viewport()->mapTo(this, viewport()->rect().center()));
}

void LessView::wheelEvent(QWheelEvent* event) {
    // The row only scrolls sideways.
    QCoreApplication::sendEvent(horizontalScrollBar(), event);
}

void LessView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::ControlModifier &&
        (event->key() == Qt::Key_Z || event->key() == kCyrillicYa)) {
        undoEdit();
        event->accept();
        return;
    }
    QScrollBar* h = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Left:
        h->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        h->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        h->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        h->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        h->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void LessView::dragEnterEvent(QDragEnterEvent* event) {
    // One drop at a time: the next would add to a row still growing (so would a lesson load).
    if (isDropping() || m_lesson.isLoading() ||
        drops::plan(event->mimeData(), drops::Target::LessonRow).empty() ||
        !drops::acceptAsCopy(event))
        event->ignore();
}

void LessView::dragMoveEvent(QDragMoveEvent* event) {
    if (!drops::acceptAsCopy(event))
        event->ignore();
}

void LessView::dropEvent(QDropEvent* event) {
    std::vector<drops::Action> actions = drops::plan(event->mimeData(), drops::Target::LessonRow);
    if (actions.empty() || !drops::acceptAsCopy(event)) {
        event->ignore();
        return;
    }
    QTimer::singleShot(0, this, [this, actions = std::move(actions)] { addDropped(actions); });
}

void LessView::addDropped(const std::vector<drops::Action>& actions) {
    if (isDropping() || m_lesson.isLoading())
        return;
    QStringList pictures;
    for (const drops::Action& action : actions) {
        switch (action.kind) {
        case drops::Action::Kind::AddPicture:
            pictures << action.path;
            break;
        case drops::Action::Kind::OpenLesson:
            m_lesson.openLessonFile(action.path);
            relayout();
            break;
        case drops::Action::Kind::ShowFragment:
            break; // the plate strip's
        }
    }
    if (pictures.isEmpty())
        return;
    // Pictures dropped with a lesson join it once it is in.
    m_lesson.whenLoaded([this, pictures = std::move(pictures)]() mutable {
        if (!isDropping())
            addDroppedPictures(std::move(pictures));
    });
}

void LessView::addDroppedPictures(QStringList pictures) {
    m_drop = std::make_unique<PictureDrop>(m_lesson, std::move(pictures), this);
    // The drop's own signal is on the stack when it ends: it goes from the event loop.
    connect(m_drop.get(), &PictureDrop::finished, this,
            [this] { m_drop.release()->deleteLater(); });
    m_drop->start();
}

bool LessView::isDropping() const {
    return m_drop && m_drop->isRunning();
}

void LessView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    emit focusLost();
}

void LessView::scrollContentsBy(int dx, int dy) {
    (void)dx;
    (void)dy;
    invalidate(); // drawn anew from the back buffer, not shifted
}

void LessView::choose(const BmpRectStream& picture) {
    showInPreview(picture.clone());
}
