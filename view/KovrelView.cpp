#include "KovrelView.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "Cursors.h"
#include "DisplayState.h"
#include "DroppedFiles.h"
#include "FragmentLoading.h"
#include "Graphics.h"
#include "Instances.h"
#include "LessonTarget.h"
#include "LoadDlg.h"
#include "PictureImage.h"
#include "PictureNames.h"
#include "PictureReady.h"
#include "PreviewTarget.h"
#include "ResourceIds.h"
#include "StripGeometry.h"
#include "WindowServices.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
KovrelView* g_instance = nullptr;
} // namespace

const QColor KovrelView::kBackground = gfx::argb(255, 66, 75, 121);
const QColor KovrelView::kCaptionColour = gfx::argb(150, 255, 204, 0);
const QString KovrelView::kCaption = QStringLiteral("Иллюстрации");

KovrelView::KovrelView(QWidget* parent)
    : QAbstractScrollArea(parent),
      m_loadListener([this](const BmpRect& outline) { return shownSizeWhenFitted(outline); }) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    // The bar is always there, so the pane's height (and with it the fit) does not depend on
    // whether the strip is wider than the pane; a bar that came and went would re-fit the
    // strip, which could make it come and go again.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    // Plates decoded off this thread for the size they are shown at are drawn once ready.
    connect(&PictureReady::instance(), &PictureReady::prepared, viewport(),
            [this] { viewport()->update(); });
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole area
    viewport()->setCursor(Cursors::cursor(ResId::kCurPoint));
    viewport()->setAcceptDrops(true);
    horizontalScrollBar()->setSingleStep(kLineStep);
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int) { noteUserScroll(); });

    const QSize client = viewport()->size();
    m_clientWidth = client.width();
    m_clientHeight = client.height();
    m_vt.viewHeight = m_clientHeight;
    m_extent = client;

    g_instance = this;
    Instances::registerPlateScene(m_scene);
}

KovrelView::~KovrelView() {
    if (g_instance == this)
        g_instance = nullptr;
    // Before the listener goes: the load ends here, its running decodes waited for.
    m_scene.cancelLoad();
}

KovrelView* KovrelView::instance() {
    return g_instance;
}

QSize KovrelView::clientSize() const {
    return {static_cast<int>(m_clientWidth), static_cast<int>(m_clientHeight)};
}

QPoint KovrelView::scrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

// ---- Showing a fragment

void KovrelView::showFragment(const QString& path) {
    m_selectWhenLoaded.reset();
    m_fitBeforeHide.reset();
    m_loadFit.reset();
    m_loadWindow.reset();
    m_loadListener.forgetFailures();
    if (path.isEmpty()) {
        m_scene.clear();
        updateScrollSizes();
        viewport()->update();
        return;
    }

    // Registered as LoadDlg::instance(); it stays above the main frame.
    m_loadWindow = std::make_unique<LoadDlg>(this);
    placeLoadingWindow(*m_loadWindow);
    // Queued: the window must not go while its own button's signal runs. Only this load's
    // window may end it.
    connect(m_loadWindow.get(), &LoadDlg::cancelRequested, this,
            [this, window = QPointer<LoadDlg>(m_loadWindow.get())] {
                QMetaObject::invokeMethod(
                    this,
                    [this, window] {
                        if (window && window == m_loadWindow.get())
                            cancelLoadFromWindow();
                    },
                    Qt::QueuedConnection);
            });
    m_loadWindow->show();
    m_scene.loadFragment(path, &m_loadListener, [this] { loadEnded(); });
}

void KovrelView::cancelLoadFromWindow() {
    if (!m_scene.isLoading())
        return; // it ended meanwhile
    m_scene.cancelLoad();
    m_loadListener.forgetFailures();
    loadEnded();
}

void KovrelView::loadEnded() {
    m_loadFit.reset();
    m_anchor = {0.0, 0.0};
    fitToHeight();
    m_loadWindow.reset();
    viewport()->update();
    updateScrollSizes();
    if (m_selectWhenLoaded) {
        const QByteArray name = *m_selectWhenLoaded;
        m_selectWhenLoaded.reset();
        selectPicture(name);
    }
    // Last, once the strip shows what was read: the box's own loop may start another topic.
    m_loadListener.showFailures();
}

QSize KovrelView::shownSizeWhenFitted(const BmpRect& outline) {
    // The fit depends on the first plate alone, so the outline of the first one fixes it.
    if (!m_loadFit) {
        ViewTransform fitted = m_vt;
        fitted.viewHeight = m_clientHeight;
        strip::fitToHeight(fitted, outline, {0.0, 0.0}, m_clientHeight);
        m_loadFit = fitted;
    }
    const auto px = [this](PointD p) {
        const PointD q = m_loadFit->toPixels(p);
        return QPointF(q.x, q.y);
    };
    return PictureImage::shownSize(px(outline.corner(3)), px(outline.corner(2)),
                                   px(outline.corner(0)), viewport()->devicePixelRatioF());
}

void KovrelView::placeLoadingWindow(LoadDlg& window) const {
    // Centred on the main frame's size, in screen coordinates; like the program always did,
    // the frame's own position is not added (the frame normally runs maximised).
    const QSize frame = this->window()->frameGeometry().size();
    const int x = static_cast<int>(frame.width() * 0.5 - window.width() * 0.5);
    const int y = frame.height() / 2 - window.height() / 2;
    window.move(x, y);
}

// ---- Fitting and extent

void KovrelView::fitToHeight() {
    const BmpRect* first = m_scene.firstPicture();
    if (!first)
        return;
    m_lastMouse = m_anchor;
    strip::fitToHeight(m_vt, *first, m_anchor, m_clientHeight);
}

void KovrelView::updateScrollSizes() {
    m_vt.viewHeight = m_clientHeight;
    const QSize client = clientSize();
    ensureBackBuffer();

    QSize extent = client;
    if (!m_scene.shapes().empty() && !DisplayState::current().fullScreen) {
        const double width = strip::stripWidth(m_scene, m_vt);
        if (viewport()->width() <= width)
            extent = QSize(static_cast<int>(width), client.height());
    }
    applyExtent(extent);
}

void KovrelView::applyExtent(QSize extent) {
    m_extent = extent;
    const QSize pane = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, extent.width() - pane.width()));
    h->setPageStep(std::max(1, pane.width()));
    verticalScrollBar()->setRange(0, std::max(0, extent.height() - pane.height()));
    verticalScrollBar()->setPageStep(std::max(1, pane.height()));
}

void KovrelView::ensureBackBuffer() {
    // The buffer covers the pane, not the whole strip: a long strip at a high zoom would
    // otherwise need an image of many thousand pixels' width.
    const qreal dpr = viewport()->devicePixelRatioF();
    const QSize pixels = (QSizeF(viewport()->size()) * dpr).toSize().expandedTo(QSize(1, 1));
    if (m_backBuffer.size() == pixels && m_backBuffer.devicePixelRatio() == dpr)
        return;
    m_backBuffer = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_backBuffer.setDevicePixelRatio(dpr);
    m_backBuffer.fill(kBackground);
    ++m_backBufferGeneration;
}

// ---- Events

void KovrelView::resizeEvent(QResizeEvent* event) {
    const QSize size = event->size();
    applyExtent(size);
    m_clientWidth = size.width();
    m_clientHeight = size.height();
    m_vt.viewHeight = m_clientHeight;
    ensureBackBuffer();
    if (!m_scene.shapes().empty() && size.height() > kFitMinHeight) {
        if (m_fitBeforeHide && m_fitBeforeHide->height == size.height() &&
            m_fitBeforeHide->first == m_scene.firstPicture())
            m_vt = m_fitBeforeHide->vt;
        else
            fitToHeight();
    }
    viewport()->update();
    emit panelsPlacementNeeded();
    updateScrollSizes();
}

void KovrelView::hideEvent(QHideEvent* event) {
    m_fitBeforeHide = FitBeforeHide{m_clientHeight, m_vt, m_scene.firstPicture()};
    QAbstractScrollArea::hideEvent(event);
}

void KovrelView::paintEvent(QPaintEvent* event) {
    ensureBackBuffer();
    const QRect clip = event->rect();
    {
        QPainter g(&m_backBuffer);
        g.setClipRect(clip);
        g.fillRect(clip, kBackground);
        const QPoint scrolled = scrollPosition();
        g.translate(-scrolled.x(), -scrolled.y());
        drawStrip(g);
    }
    QPainter screen(viewport());
    screen.drawImage(clip, m_backBuffer,
                     QRectF(QRectF(clip).topLeft() * m_backBuffer.devicePixelRatio(),
                            QSizeF(clip.size()) * m_backBuffer.devicePixelRatio()));
}

void KovrelView::drawStrip(QPainter& g) {
    // Plates that arrived during a load wait for the fit: drawn now they would be decoded
    // again at the zoom of the strip before.
    if (!isLoading())
        m_scene.drawAll(g, m_vt);
    // At the strip's origin, so it scrolls away with the first plate.
    gfx::drawString(g, kCaption, gfx::pixelFont(QStringLiteral("Times New Roman"), kCaptionPixels),
                    kCaptionColour, QPointF(0, 0));
}

void KovrelView::notePointer(QPoint viewportPos) {
    m_lastMouse = {double(viewportPos.x() + horizontalScrollBar()->value()),
                   double(viewportPos.y() + verticalScrollBar()->value())};
    // While the lesson row moves a picture the pointer belongs to it.
    if (DisplayState::current().interactionMode == DisplayState::kModeNormal)
        m_vt.setPointer(m_lastMouse);
}

void KovrelView::mouseMoveEvent(QMouseEvent* event) {
    notePointer(event->position().toPoint());
    QAbstractScrollArea::mouseMoveEvent(event);
}

void KovrelView::mousePressEvent(QMouseEvent* event) {
    // A press may come without a move before it (touch, synthetic events): it is a move too.
    notePointer(event->position().toPoint());
    if (event->button() == Qt::LeftButton &&
        DisplayState::current().interactionMode == DisplayState::kModeNormal) {
        if (auto* picture = dynamic_cast<BmpRectStream*>(m_scene.shapeAt(m_vt))) {
            m_scene.clearSelection();
            picture->setState(BmpRect::kStateSelected);
            viewport()->update();
            choose(*picture);
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
    event->accept(); // the strip is the end of the road for its clicks
    if (event->button() == Qt::RightButton)
        emit contextMenuRequested(viewport()->mapTo(this, event->position().toPoint()));
}

void KovrelView::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    event->accept();
}

void KovrelView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // The mouse's request went out with the right button's press; the menu key asks here,
    // over the marked plate when it is in sight, else in the middle of the pane.
    if (event->reason() != QContextMenuEvent::Keyboard)
        return;
    QPoint at = viewport()->rect().center();
    if (const BmpRectStream* picture = selectedPicture()) {
        const PointD p = m_vt.toPixels(picture->corner(3));
        const QPointF inPane = QPointF(p.x, p.y) - scrollPosition() + QPointF(5, 5);
        if (QRectF(viewport()->rect()).contains(inPane)) // false for a far-off or broken place
            at = inPane.toPoint();
    }
    emit contextMenuRequested(viewport()->mapTo(this, at));
}

void KovrelView::wheelEvent(QWheelEvent* event) {
    // The strip only scrolls sideways: every wheel turns the horizontal bar.
    QCoreApplication::sendEvent(horizontalScrollBar(), event);
}

void KovrelView::keyPressEvent(QKeyEvent* event) {
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
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (BmpRectStream* picture = selectedPicture())
            choose(*picture);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void KovrelView::dragEnterEvent(QDragEnterEvent* event) {
    if (drops::plan(event->mimeData(), drops::Target::PlateStrip).empty() ||
        !drops::acceptAsCopy(event))
        event->ignore();
}

void KovrelView::dragMoveEvent(QDragMoveEvent* event) {
    if (!drops::acceptAsCopy(event))
        event->ignore();
}

void KovrelView::dropEvent(QDropEvent* event) {
    const std::vector<drops::Action> actions =
        drops::plan(event->mimeData(), drops::Target::PlateStrip);
    if (actions.empty() || !drops::acceptAsCopy(event)) {
        event->ignore();
        return;
    }
    // After the drop has returned: the loading window and the loader's messages must not
    // keep the file manager waiting.
    const QString path = actions.front().path;
    QTimer::singleShot(0, this, [this, path] { showFragment(path); });
}

void KovrelView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    emit focusLost();
}

void KovrelView::scrollContentsBy(int dx, int dy) {
    (void)dx;
    (void)dy;
    viewport()->update(); // the strip is drawn anew from the back buffer, not shifted
}

void KovrelView::noteUserScroll() {
    // The slider position already holds where this scroll action goes.
    m_savedScroll = {horizontalScrollBar()->sliderPosition(), verticalScrollBar()->value()};
}

// ---- Picking plates

void KovrelView::choose(BmpRectStream& picture) {
    // The preview owns the copy it is given; listeners get one of their own.
    if (PreviewTarget* preview = Instances::preview())
        preview->showPicture(picture.clone());
    if (isSignalConnected(QMetaMethod::fromSignal(&KovrelView::pictureChosen)))
        emit pictureChosen(std::shared_ptr<BmpRect>(picture.clone()));
}

BmpRectStream* KovrelView::selectedPicture() const {
    for (::Shape* shape : m_scene.shapes()) {
        auto* picture = dynamic_cast<BmpRectStream*>(shape);
        if (picture && picture->isSelected())
            return picture;
    }
    return nullptr;
}

void KovrelView::selectPicture(const QByteArray& name) {
    if (isLoading()) {
        m_selectWhenLoaded = name;
        return;
    }
    const QByteArray wanted = normalisedPictureName(name);
    BmpRect* found = nullptr;
    for (::Shape* shape : m_scene.shapes()) {
        auto* picture = dynamic_cast<BmpRect*>(shape);
        if (picture && picture->picName() == wanted) {
            found = picture;
            break;
        }
    }
    auto* stored = dynamic_cast<BmpRectStream*>(found);
    if (!stored)
        return;

    m_scene.clearSelection();
    stored->setState(BmpRect::kStateSelected);
    choose(*stored);
    stored->reloadImage();

    const double x = m_vt.toPixels(stored->corner(0)).x - kSelectMargin;
    m_savedScroll.setX(std::isfinite(x)
                           ? static_cast<int>(std::clamp(x, -strip::kMaxWidth, strip::kMaxWidth))
                           : 0);
    horizontalScrollBar()->setValue(m_savedScroll.x());
    verticalScrollBar()->setValue(m_savedScroll.y());
    viewport()->update();
}

void KovrelView::addAllToLesson() {
    LessonTarget* lesson = Instances::lesson();
    if (!lesson)
        return;
    if (lesson->lessonScene().firstPicture() &&
        messageBox(QStringLiteral("\"Урок\" уже содержит плакаты\nВсе равно добавить все плакаты?"),
                   kViewTitle, MsgButtons::YesNo, MsgIcon::Exclamation) != MsgAnswer::Yes)
        return;
    lesson->appendAllPictures(m_scene); // re-fits and repaints the row
}

void KovrelView::restoreScrollPosition() {
    horizontalScrollBar()->setValue(m_savedScroll.x());
    verticalScrollBar()->setValue(m_savedScroll.y());
}
