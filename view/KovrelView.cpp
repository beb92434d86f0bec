#include "KovrelView.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "DisplayState.h"
#include "FragmentLoading.h"
#include "Instances.h"
#include "LessonTarget.h"
#include "LoadDlg.h"
#include "PictureImage.h"
#include "PictureNames.h"
#include "StripGeometry.h"
#include "WindowServices.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

const QString KovrelView::kCaption = QStringLiteral("Иллюстрации");

KovrelView::KovrelView(QWidget* parent)
    : StripView(kCaption, strip::kStripBand, drops::Target::PlateStrip, parent),
      m_loadListener([this](const BmpRect& outline) { return shownSizeWhenFitted(outline); }) {
    Instances::registerPlateScene(m_scene);
}

KovrelView::~KovrelView() {
    // Before the listener goes: the load ends here, its running decodes waited for.
    m_scene.cancelLoad();
}

// ---- Showing a fragment

void KovrelView::showFragment(const QString& path) {
    m_selectWhenLoaded.reset();
    forgetFitBeforeHide();
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
        fitted.viewHeight = paneHeight();
        strip::fitToHeight(fitted, outline, {0.0, 0.0}, paneHeight());
        m_loadFit = fitted;
    }
    const auto px = [this](PointD p) {
        const PointD q = m_loadFit->toPixels(p);
        return QPointF(q.x, q.y);
    };
    // In device pixels: a plate decodes for the pixels it covers on this screen.
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

// ---- Events

void KovrelView::resizeEvent(QResizeEvent* event) {
    StripView::resizeEvent(event);
    emit panelsPlacementNeeded();
}

void KovrelView::drawRow(QPainter& g) {
    // Plates that arrived during a load wait for the fit: drawn now they would be decoded
    // again at the zoom of the strip before.
    if (!isLoading())
        StripView::drawRow(g);
}

void KovrelView::pointerMoved() {
    // While the lesson row moves a picture the pointer belongs to it.
    if (DisplayState::current().interactionMode == DisplayState::kModeNormal)
        m_vt.setPointer(m_lastMouse);
}

void KovrelView::leftButtonPressed() {
    if (DisplayState::current().interactionMode == DisplayState::kModeNormal)
        pickPictureUnderPointer();
}

QPoint KovrelView::menuKeyPoint() const {
    // Over the marked plate when it is in sight, else in the middle of the pane.
    QPoint at = viewport()->rect().center();
    if (const BmpRectStream* picture = selectedPicture()) {
        const PointD p = m_vt.toPixels(picture->corner(3));
        const QPointF inPane = QPointF(p.x, p.y) - scrollPosition() + QPointF(5, 5);
        if (QRectF(viewport()->rect()).contains(inPane)) // false for a far-off or broken place
            at = inPane.toPoint();
    }
    return at;
}

void KovrelView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (BmpRectStream* picture = selectedPicture())
            choose(*picture);
        event->accept();
        return;
    }
    StripView::keyPressEvent(event);
}

void KovrelView::takeDrop(const std::vector<drops::Action>& actions) {
    showFragment(actions.front().path);
}

void KovrelView::userScrolled() {
    // The slider position already holds where this scroll action goes.
    m_savedScroll = {horizontalScrollBar()->sliderPosition(), verticalScrollBar()->value()};
}

// ---- Picking plates

void KovrelView::choose(const BmpRectStream& picture) {
    // The preview owns the copy it is given; listeners get one of their own.
    StripView::choose(picture);
    if (isSignalConnected(QMetaMethod::fromSignal(&KovrelView::pictureChosen)))
        emit pictureChosen(std::shared_ptr<BmpRect>(picture.clone()));
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
