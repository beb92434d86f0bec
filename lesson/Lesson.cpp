#include "Lesson.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "Err.h"
#include "FailureSummary.h"
#include "FragmentSink.h"
#include "FrameControl.h"
#include "Instances.h"
#include "LessFile.h"
#include "LessonDisplay.h"
#include "LoadDlg.h"
#include "Shape.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QString kUnnamedTitle = QStringLiteral("Без Имени.les");

// Placement rule, plate units: a new picture stands upright this far right of the last one.
constexpr double kGap = 30.0;
constexpr double kUpright = 100.0;
// A picture stream name cannot be longer.
constexpr qsizetype kMaxNameLength = 31;

FileDialogRequest lessonDialog(bool save, const QString& title) {
    FileDialogRequest request;
    request.save = save;
    request.title = title;
    request.filter = QStringLiteral("*.les (*.les)");
    request.defaultSuffix = QStringLiteral("les");
    request.overwritePrompt = true;
    return request;
}

bool hasPicture(const Scene& scene) {
    return scene.firstPicture() != nullptr;
}

// A failure of one added file: gathered with those of its drop, or told at once.
void tell(FailureSummary* failures, const QString& message, const QString& name) {
    if (failures)
        failures->addFailure(message, name);
    else
        messageBox(message);
}

} // namespace

// A lesson load's pictures that did not decode, kept for one message once the lesson is in,
// and its progress for the loading window.
class Lesson::LoadListener final : public FragmentSink {
public:
    explicit LoadListener(Lesson& lesson) : m_lesson(lesson) {}
    void recordDone(RecordOutcome outcome) override {
        if (outcome == RecordOutcome::Loaded)
            summary.addRead();
        m_lesson.onRecordDone(++recordsDone);
    }
    void pictureFailed(const QString& message, const QString& name) override {
        summary.addFailure(message, name);
    }
    void loadFailed(const QString& message) override { loadFailure = message; }

    QString loadFailure; // what ended the load, told before the pictures' summary
    FailureSummary summary;
    int recordsDone = 0;

private:
    Lesson& m_lesson;
};

Lesson::Lesson(LessonDisplay& display)
    : m_display(display), m_loadListener(std::make_unique<LoadListener>(*this)),
      m_documentTitle(kUnnamedTitle) {
    m_loadWindowTimer.setSingleShot(true);
    m_loadWindowTimer.setInterval(kLoadWindowAfterMs);
    QObject::connect(&m_loadWindowTimer, &QTimer::timeout, [this] { showLoadWindow(); });
}

Lesson::~Lesson() {
    m_scene.cancelLoad();
}

void Lesson::setDocumentTitle(const QString& title) {
    m_documentTitle = title;
    if (FrameControl* frame = Instances::frame())
        frame->setDocumentTitle(title);
}

bool Lesson::holdsSamePicture(const BmpRect& picture) const {
    for (const Shape* shape : m_scene.shapes()) {
        const auto* held = dynamic_cast<const BmpRect*>(shape);
        if (held && held->name() == picture.name() && held->streamBytes() == picture.streamBytes())
            return true;
    }
    return false;
}

QByteArray Lesson::distinctName(const BmpRect& picture) const {
    const auto takenByOther = [this, &picture](const QByteArray& name) {
        for (const Shape* shape : m_scene.shapes()) {
            const auto* held = dynamic_cast<const BmpRect*>(shape);
            if (held && held->name() == name && held->streamBytes() != picture.streamBytes())
                return true;
        }
        return false;
    };
    const QByteArray& own = picture.name();
    if (!takenByOther(own))
        return own;
    for (int n = 2;; ++n) {
        const QByteArray suffix = "~" + QByteArray::number(n);
        const QByteArray name = own.left(kMaxNameLength - suffix.size()) + suffix;
        if (!takenByOther(name))
            return name;
    }
}

void Lesson::placeAndAppend(std::unique_ptr<BmpRectStream> picture) {
    picture->setName(distinctName(*picture));
    const PointD c = m_scene.lastPictureCorner();
    picture->placeByVector({c.x + kGap, c.y}, {c.x + kGap, c.y + kUpright});
    picture->setComplete(true);
    Shape::notifyEndTool();
    m_scene.shapes().append(picture.release());
}

void Lesson::addPicture(std::unique_ptr<BmpRect> picture) {
    if (!picture || isLoading())
        return;
    // Every element is a stored picture the lesson owns: anything else enters as its copy.
    std::unique_ptr<BmpRectStream> stored(dynamic_cast<BmpRectStream*>(picture.get()));
    if (stored)
        picture.release();
    else
        stored = picture->clone();
    stored->setName(distinctName(*stored));
    if (holdsSamePicture(*stored) &&
        messageBox(QStringLiteral("Данная изображение уже содержится в уроке. Добавить?"), kAppName,
                   MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    placeAndAppend(std::move(stored));
    m_display.fitToHeight();
    m_display.invalidate();
    m_modified = true;
    m_display.updateScrollSizes();
}

void Lesson::addPictureFromFile() {
    if (isLoading())
        return;
    LessFile file; // cancelled or unreadable: it has said why, and toPicture gives none
    addLessFile(file, nullptr, QString());
}

void Lesson::addPictureFile(const QString& path, FailureSummary* failures) {
    LessFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.readFailure().isEmpty()) {
        tell(failures, file.readFailure(), name);
        return;
    }
    addLessFile(file, failures, name);
}

void Lesson::addLessFile(LessFile& file, FailureSummary* failures, const QString& name) {
    std::unique_ptr<BmpRectStream> picture;
    try {
        picture = file.toPicture();
    } catch (const Err& e) {
        tell(failures, e.text(), name);
        return;
    }
    if (!picture)
        return;
    if (failures)
        failures->addRead();
    addPicture(std::move(picture));
}

void Lesson::appendAllPictures(Scene& source) {
    if (isLoading())
        return;
    // A copy of the list: the source may be the lesson itself.
    const std::vector<const Shape*> shapes(source.shapes().begin(), source.shapes().end());
    for (const Shape* shape : shapes) {
        if (const auto* plate = dynamic_cast<const BmpRectStream*>(shape)) {
            placeAndAppend(plate->clone());
            m_modified = true; // else closing would not ask and Ctrl+S would write nothing
        }
    }
}

void Lesson::resetLesson() {
    m_modified = false;
    m_scene.clear();
    m_display.resetAnchor();
    m_display.invalidate();
    setDocumentTitle(kUnnamedTitle);
    m_scene.setFilePath(QString());
    m_fileHold.release();
}

void Lesson::startLoad(const QString& path, std::function<void(bool)> done) {
    m_afterLoad.clear();
    m_loadWindow.reset();
    m_modified = false;
    m_scene.clear();
    m_fileHold.release(); // the read locks the file itself
    // Unnamed until the whole lesson is in: nothing may save part of it over its file.
    m_scene.setFilePath(QString());
    m_loadListener->summary.clear();
    m_loadListener->loadFailure.clear();
    m_loadListener->recordsDone = 0;
    m_rowShown.invalidate();
    m_loadWindowTimer.start();
    m_scene.loadLesson(path, m_loadListener.get(), [this, done = std::move(done)](bool ok) {
        m_loadWindowTimer.stop();
        m_loadWindow.reset();
        // Best effort: a file that cannot be held (gone, or on a file system without locks)
        // stays usable, only unguarded.
        if (ok)
            m_fileHold.acquire(m_scene.filePath(), FileLock::Access::Read);
        done(ok);
        for (const std::function<void()>& then : std::exchange(m_afterLoad, {}))
            then();
        // Once the row shows what was read; a load started from the box's loop gathers anew.
        const QString failure = std::exchange(m_loadListener->loadFailure, QString());
        FailureSummary failures = std::exchange(m_loadListener->summary, FailureSummary());
        if (!failure.isEmpty())
            messageBox(failure);
        failures.show();
    });
}

void Lesson::whenLoaded(std::function<void()> then) {
    if (isLoading())
        m_afterLoad.push_back(std::move(then));
    else
        then();
}

void Lesson::cancelLoad() {
    if (!isLoading())
        return;
    m_afterLoad.clear();
    m_loadWindowTimer.stop();
    m_loadWindow.reset();
    m_loadListener->summary.clear();
    m_loadListener->loadFailure.clear();
    resetLesson();
    m_display.updateScrollSizes();
}

void Lesson::showLoadWindow() {
    if (!isLoading() || m_loadWindow)
        return;
    if (QApplication::activeModalWidget()) {
        m_loadWindowTimer.start(); // not over a message box: later
        return;
    }
    QWidget* owner = m_display.loadingWindowOwner();
    m_loadWindow = std::make_unique<LoadDlg>(owner);
    m_loadWindow->setRange(m_scene.loadRecordCount());
    m_loadWindow->setPosition(m_loadListener->recordsDone);
    // Nothing else may change the lesson while it loads; no nested event loop.
    m_loadWindow->setWindowModality(Qt::ApplicationModal);
    // Queued: the window must not go while its own button's signal runs. Only this window's
    // load may end.
    QObject::connect(m_loadWindow.get(), &LoadDlg::cancelRequested, m_loadWindow.get(),
                     [this, window = QPointer<LoadDlg>(m_loadWindow.get())] {
                         QMetaObject::invokeMethod(
                             window,
                             [this, window] {
                                 if (window && window == m_loadWindow.get())
                                     cancelLoad();
                             },
                             Qt::QueuedConnection);
                     });
    if (QWidget* top = owner ? owner->window() : nullptr) {
        const QRect frame = top->frameGeometry();
        m_loadWindow->move(frame.center() -
                           QPoint(m_loadWindow->width() / 2, m_loadWindow->height() / 2));
    }
    m_loadWindow->show();
}

void Lesson::onRecordDone(int recordsDone) {
    // The row shows the pictures as they arrive, fitted to the first, a few times a second.
    const bool first = !m_rowShown.isValid() && m_scene.firstPicture();
    if (first || (m_rowShown.isValid() && m_rowShown.elapsed() >= kRowShowMs)) {
        if (first)
            m_display.fitToHeight();
        m_display.updateScrollSizes();
        m_display.invalidate();
        m_rowShown.start();
    }
    if (!m_loadWindow)
        return;
    const int records = m_scene.loadRecordCount();
    if (m_loadWindow->rangeEnd() < records)
        m_loadWindow->setRange(records);
    // The bar repaints at once: a step every half per cent of the lesson is enough.
    if (recordsDone - m_loadWindow->position() >= std::max(1, records / 200))
        m_loadWindow->setPosition(recordsDone);
}

void Lesson::loadLessonFile(const QString& path) {
    startLoad(path, [this](bool ok) {
        if (!ok) {
            resetLesson();
            return;
        }
        m_display.fitToHeight();
        m_display.updateScrollSizes();
        // A message box during the load let the row paint half the pictures: paint them all.
        m_display.invalidate();
    });
}

void Lesson::chooseAndLoadLesson() {
    const FileDialogResult chosen = WindowServices::instance().fileDialog(
        lessonDialog(false, QStringLiteral("Укажите файл урока")));
    if (!chosen.accepted || chosen.path.isEmpty())
        return;
    loadChosenLesson(chosen.path, chosen.fileTitle);
}

void Lesson::loadChosenLesson(const QString& path, const QString& title) {
    startLoad(path, [this, title](bool ok) {
        if (!ok) {
            resetLesson();
            return;
        }
        m_display.resetAnchor();
        setDocumentTitle(title);
        m_display.invalidate();
    });
}

FileDialogResult Lesson::chooseSavePath() {
    return WindowServices::instance().fileDialog(
        lessonDialog(true, QStringLiteral("Сохранение файла урока")));
}

bool Lesson::saveTo(const QString& path) {
    const QString before = m_scene.filePath();
    // The held lock goes into the save and comes back on the new file, never let go of.
    QString failure;
    if (m_scene.saveLesson(path, &m_fileHold, &failure)) {
        m_modified = false;
        return true;
    }
    if (!failure.isEmpty())
        messageBox(failure);
    // A lesson that is not on disk keeps the path it had, so the next save asks again.
    m_scene.setFilePath(before);
    return false;
}

void Lesson::saveLessonFile() {
    if (isLoading())
        return; // the lesson is its file, still being read
    if (!hasPicture(m_scene)) {
        messageBox(QStringLiteral("Урок пуст"));
        return;
    }
    if (m_scene.filePath().isEmpty()) {
        const FileDialogResult chosen = chooseSavePath();
        if (!chosen.accepted || chosen.path.isEmpty())
            return;
        if (saveTo(chosen.path))
            setDocumentTitle(chosen.fileTitle);
        return;
    }
    if (m_modified)
        saveNamed();
}

bool Lesson::saveNamed() {
    if (saveTo(m_scene.filePath()))
        return true;
    // Hours of work must not be stuck behind a full or read-only stick.
    const FileDialogResult chosen = chooseSavePath();
    if (!chosen.accepted || chosen.path.isEmpty() || !saveTo(chosen.path))
        return false;
    setDocumentTitle(chosen.fileTitle);
    return true;
}

Lesson::SaveChanges Lesson::askToSaveChanges() {
    // A lesson being read holds nothing of the teacher's yet.
    cancelLoad();
    if (!hasPicture(m_scene))
        return SaveChanges::NoPictures;
    const bool unnamed = m_scene.filePath().isEmpty();
    // An unnamed lesson with pictures is always asked about.
    if (!unnamed && !m_modified)
        return SaveChanges::NotAsked;
    const MsgAnswer answer = messageBox(QStringLiteral("Сохранить изменения в уроке?"), kViewTitle,
                                        MsgButtons::YesNoCancel, MsgIcon::Exclamation);
    if (answer == MsgAnswer::No)
        return SaveChanges::Declined;
    if (answer != MsgAnswer::Yes)
        return SaveChanges::Cancelled;
    if (!unnamed)
        return saveNamed() ? SaveChanges::Saved : SaveChanges::SaveFailed;
    const FileDialogResult chosen = chooseSavePath();
    if (!chosen.accepted || chosen.path.isEmpty())
        return SaveChanges::DialogCancelled;
    return saveTo(chosen.path) ? SaveChanges::Saved : SaveChanges::SaveFailed;
}

void Lesson::newLesson() {
    switch (askToSaveChanges()) {
    case SaveChanges::NoPictures:
    case SaveChanges::NotAsked:
    case SaveChanges::Declined:
    case SaveChanges::Saved:
        resetLesson();
        m_display.invalidate();
        break;
    case SaveChanges::SaveFailed:
        break; // the lesson stays
    case SaveChanges::DialogCancelled:
    case SaveChanges::Cancelled:
        m_display.invalidate();
        break;
    }
}

void Lesson::openLesson() {
    const bool unnamed = m_scene.filePath().isEmpty();
    switch (askToSaveChanges()) {
    case SaveChanges::NoPictures:
        chooseAndLoadLesson();
        whenLoaded([this] { m_display.fitToHeight(); });
        break;
    case SaveChanges::NotAsked:
    case SaveChanges::DialogCancelled: // the unsaved lesson is replaced if a file is chosen
        chooseAndLoadLesson();
        break;
    case SaveChanges::Declined:
    case SaveChanges::Saved:
        if (unnamed)
            resetLesson();
        chooseAndLoadLesson();
        break;
    case SaveChanges::SaveFailed:
    case SaveChanges::Cancelled:
        break;
    }
}

void Lesson::openLessonFile(const QString& path) {
    switch (askToSaveChanges()) {
    case SaveChanges::NoPictures:
    case SaveChanges::NotAsked:
    case SaveChanges::Declined:
    case SaveChanges::Saved:
        loadChosenLesson(path, QFileInfo(path).fileName());
        break;
    case SaveChanges::DialogCancelled: // "Yes", then no file to save it to: it stays
    case SaveChanges::SaveFailed:
    case SaveChanges::Cancelled:
        break;
    }
}

bool Lesson::mayCloseLesson() {
    switch (askToSaveChanges()) {
    case SaveChanges::Cancelled:
    case SaveChanges::DialogCancelled:
    case SaveChanges::SaveFailed: // the lesson is not on disk: closing would lose it
        return false;
    default:
        return true;
    }
}

bool Lesson::deleteSelected() {
    if (isLoading() || !m_scene.deleteSelected())
        return false;
    m_scene.layoutRow();
    m_modified = true;
    return true;
}

void Lesson::moveSelected() {
    if (!isLoading() && m_scene.moveSelected())
        m_modified = true;
}

void Lesson::undoLessonEdit() {
    if (isLoading())
        return;
    const Scene::Undone undone = m_scene.undoLessonEdit();
    if (undone == Scene::Undone::Nothing) {
        messageBox(QStringLiteral("Нет действий для отмены"));
        return;
    }
    m_modified = true; // also after a save: the row on screen is no longer the file's
    if (undone == Scene::Undone::Deleted)
        m_display.updateScrollSizes();
}
