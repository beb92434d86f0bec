#include "StripView.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "Cursors.h"
#include "DisplayState.h"
#include "Graphics.h"
#include "Instances.h"
#include "PictureReady.h"
#include "PreviewTarget.h"
#include "ResourceIds.h"
#include "Scene.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

const QColor StripView::kBackground = gfx::argb(255, 66, 75, 121);
const QColor StripView::kCaptionColour = gfx::argb(150, 255, 204, 0);

StripView::StripView(const QString& caption, strip::FreeBand band, drops::Target dropTarget,
                     QWidget* parent)
    : QAbstractScrollArea(parent), m_caption(caption), m_band(band), m_dropTarget(dropTarget) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    // The bar is always there, so the pane's height (and with it the fit) does not depend on
    // whether the row is wider than the pane; a bar that came and went would re-fit the
    // row, which could make it come and go again.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    // Pictures decoded off this thread for the size they are shown at are drawn once ready.
    connect(&PictureReady::instance(), &PictureReady::prepared, viewport(),
            [this] { viewport()->update(); });
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole area
    viewport()->setCursor(Cursors::cursor(ResId::kCurPoint));
    viewport()->setAcceptDrops(true);
    horizontalScrollBar()->setSingleStep(kLineStep);
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int) { userScrolled(); });

    const QSize client = viewport()->size();
    m_clientWidth = client.width();
    m_clientHeight = client.height();
    m_vt.viewHeight = m_clientHeight;
    m_extent = client;
}

QSize StripView::clientSize() const {
    return {static_cast<int>(m_clientWidth), static_cast<int>(m_clientHeight)};
}

QPoint StripView::scrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void StripView::restoreScrollPosition() {
    horizontalScrollBar()->setValue(m_savedScroll.x());
    verticalScrollBar()->setValue(m_savedScroll.y());
}

// ---- Fitting and extent

void StripView::fitToHeight() {
    const BmpRect* first = scene().firstPicture();
    if (!first)
        return;
    m_lastMouse = m_anchor;
    strip::fitToHeight(m_vt, *first, m_anchor, m_clientHeight, m_band);
}

void StripView::updateScrollSizes() {
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

void StripView::applyExtent(QSize extent) {
    m_extent = extent;
    const QSize pane = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, extent.width() - pane.width()));
    h->setPageStep(std::max(1, pane.width()));
    verticalScrollBar()->setRange(0, std::max(0, extent.height() - pane.height()));
    verticalScrollBar()->setPageStep(std::max(1, pane.height()));
}

void StripView::ensureBackBuffer() {
    // The buffer covers the pane, not the whole row: a long row at a high zoom would
    // otherwise need an image of many thousand pixels' width. It has the pane's device
    // pixels, so nothing is scaled on its way to the screen.
    const qreal dpr = viewport()->devicePixelRatioF();
    const QSize pixels = (QSizeF(viewport()->size()) * dpr).toSize().expandedTo(QSize(1, 1));
    if (m_backBuffer.size() == pixels && m_backBuffer.devicePixelRatio() == dpr)
        return;
    m_backBuffer = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_backBuffer.setDevicePixelRatio(dpr);
    m_backBuffer.fill(kBackground);
    ++m_backBufferGeneration;
}

// ---- Drawing

void StripView::paintEvent(QPaintEvent* event) {
    ensureBackBuffer();
    const QRect clip = event->rect();
    {
        QPainter g(&m_backBuffer);
        g.setClipRect(clip);
        g.fillRect(clip, kBackground);
        const QPoint scrolled = scrollPosition();
        g.translate(-scrolled.x(), -scrolled.y());
        drawRow(g);
        // At the row's origin, so it scrolls away with the first picture.
        gfx::drawString(g, m_caption,
                        gfx::pixelFont(QStringLiteral("Times New Roman"), kCaptionPixels),
                        kCaptionColour, QPointF(0, 0));
    }
    // Pixel for pixel: at a fractional scale a clip's edges fall inside device pixels, and
    // a clipped copy of the whole buffer keeps them where the buffer has them.
    QPainter screen(viewport());
    screen.setClipRect(clip);
    screen.drawImage(QPointF(0, 0), m_backBuffer);
}

void StripView::drawRow(QPainter& g) {
    scene().drawAll(g, m_vt);
}

// ---- Events

void StripView::resizeEvent(QResizeEvent* event) {
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
    viewport()->update();
    updateScrollSizes();
}

void StripView::hideEvent(QHideEvent* event) {
    m_fitBeforeHide = FitBeforeHide{m_clientHeight, m_vt, scene().firstPicture()};
    QAbstractScrollArea::hideEvent(event);
}

void StripView::notePointer(QPoint viewportPos) {
    m_lastMouse = {double(viewportPos.x() + horizontalScrollBar()->value()),
                   double(viewportPos.y() + verticalScrollBar()->value())};
    pointerMoved();
}

void StripView::mouseMoveEvent(QMouseEvent* event) {
    notePointer(event->position().toPoint());
    QAbstractScrollArea::mouseMoveEvent(event);
}

void StripView::mousePressEvent(QMouseEvent* event) {
    // A press may come without a move before it (touch, synthetic events): it is a move too.
    notePointer(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        leftButtonPressed();
    QAbstractScrollArea::mousePressEvent(event);
    event->accept(); // the row is the end of the road for its clicks
    if (event->button() == Qt::RightButton)
        emit contextMenuRequested(viewport()->mapTo(this, event->position().toPoint()));
}

void StripView::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    event->accept();
}

void StripView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // The mouse's request went out with the right button's press; the menu key asks here.
    if (event->reason() == QContextMenuEvent::Keyboard)
        emit contextMenuRequested(viewport()->mapTo(this, menuKeyPoint()));
}

QPoint StripView::menuKeyPoint() const {
    return viewport()->rect().center();
}

void StripView::wheelEvent(QWheelEvent* event) {
    // The row only scrolls sideways: every wheel turns the horizontal bar.
    QCoreApplication::sendEvent(horizontalScrollBar(), event);
}

void StripView::keyPressEvent(QKeyEvent* event) {
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

void StripView::dragEnterEvent(QDragEnterEvent* event) {
    if (refusesDrops() || drops::plan(event->mimeData(), m_dropTarget).empty() ||
        !drops::acceptAsCopy(event))
        event->ignore();
}

void StripView::dragMoveEvent(QDragMoveEvent* event) {
    if (!drops::acceptAsCopy(event))
        event->ignore();
}

void StripView::dropEvent(QDropEvent* event) {
    std::vector<drops::Action> actions = drops::plan(event->mimeData(), m_dropTarget);
    if (actions.empty() || !drops::acceptAsCopy(event)) {
        event->ignore();
        return;
    }
    QTimer::singleShot(0, this, [this, actions = std::move(actions)] { takeDrop(actions); });
}

void StripView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    emit focusLost();
}

void StripView::scrollContentsBy(int dx, int dy) {
    (void)dx;
    (void)dy;
    viewport()->update(); // the row is drawn anew from the back buffer, not shifted
}

// ---- Picking pictures

void StripView::leftButtonPressed() {
    pickPictureUnderPointer();
}

void StripView::pickPictureUnderPointer() {
    if (auto* picture = dynamic_cast<BmpRectStream*>(scene().shapeAt(m_vt))) {
        scene().clearSelection();
        picture->setState(BmpRect::kStateSelected);
        viewport()->update();
        choose(*picture);
    }
}

void StripView::choose(const BmpRectStream& picture) {
    // The preview owns the copy it is given.
    if (PreviewTarget* preview = Instances::preview())
        preview->showPicture(picture.clone());
}

BmpRectStream* StripView::selectedPicture() const {
    for (::Shape* shape : scene().shapes()) {
        auto* picture = dynamic_cast<BmpRectStream*>(shape);
        if (picture && picture->isSelected())
            return picture;
    }
    return nullptr;
}
