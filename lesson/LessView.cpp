#include "LessView.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "Cursors.h"
#include "DisplayState.h"
#include "Instances.h"
#include "LessDlg.h"
#include "PictureDrop.h"
#include "PreviewTarget.h"
#include "ResourceIds.h"
#include "StripGeometry.h"
#include "WindowServices.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace {
// Qt reports Cyrillic letters by their upper-case code point.
constexpr int kCyrillicYa = 0x042F; // Я, the Z key of a Russian layout

void showInPreview(std::unique_ptr<BmpRect> picture) {
    if (PreviewTarget* preview = Instances::preview())
        preview->showPicture(std::move(picture));
}
} // namespace

const QString LessView::kCaption = QStringLiteral("Урок");

LessView::LessView(QWidget* parent)
    : StripView(kCaption, strip::kLessonBand, drops::Target::LessonRow, parent) {
    Instances::registerLesson(this);
}

LessView::~LessView() {
    Instances::unregisterLesson(this);
}

int LessView::pictureCount() const {
    int n = 0;
    for (const ::Shape* shape : scene().shapes())
        n += dynamic_cast<const BmpRect*>(shape) != nullptr;
    return n;
}

// ---- LessonDisplay and LessonTarget

void LessView::fitToHeight() {
    StripView::fitToHeight();
}

void LessView::updateScrollSizes() {
    StripView::updateScrollSizes();
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

// ---- Events

void LessView::updateCursor() {
    const bool moving = DisplayState::current().interactionMode == DisplayState::kModeLessonMove;
    viewport()->setCursor(Cursors::cursor(moving ? ResId::kCurMovePicture : ResId::kCurPoint));
}

void LessView::pointerMoved() {
    updateCursor();
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

void LessView::leftButtonPressed() {
    if (DisplayState::current().interactionMode == DisplayState::kModeLessonMove)
        dropPicture();
    else
        pickPictureUnderPointer();
}

void LessView::userScrolled() {
    // Any scroll-bar action puts the saved position back to the row's start.
    m_savedScroll = {0, 0};
}

void LessView::mouseReleaseEvent(QMouseEvent* event) {
    StripView::mouseReleaseEvent(event);
    if (event->button() == Qt::MiddleButton) {
        endDrag();
        emit dragsEndRequested();
    }
}

void LessView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::ControlModifier &&
        (event->key() == Qt::Key_Z || event->key() == kCyrillicYa)) {
        undoEdit();
        event->accept();
        return;
    }
    StripView::keyPressEvent(event);
}

// ---- Dropped files

bool LessView::refusesDrops() const {
    // One drop at a time: the next would add to a row still growing (so would a lesson load).
    return isDropping() || m_lesson.isLoading();
}

void LessView::takeDrop(const std::vector<drops::Action>& actions) {
    if (refusesDrops())
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
