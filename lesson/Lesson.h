#pragma once

#include "FileLock.h"
#include "Scene.h"
#include "WindowServices.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class BmpRect;
class BmpRectStream;
class FailureSummary;
class LessFile;
class LessonDisplay;
class LoadDlg;

// The lesson: its scene (pictures in lesson order, file path, selection, edit history) and
// its modified flag, with every file command and question. Headless: questions and messages
// go through WindowServices, the main window's text through the registered frame.
//
// Every element of the lesson is a BmpRectStream the lesson owns. Two different pictures
// (different image bytes) never share a name in the lesson: a newcomer whose name is taken by
// another image gets a derived one, so the duplicate question, undo's neighbour lookup and the
// file's picture streams all tell them apart.
//
// A lesson file loads from the event loop (the row shows its pictures as they arrive); a load
// that outlasts a short moment shows the loading window, modal to the program, whose "Отмена"
// leaves an empty unnamed lesson and says nothing. Until the load has ended the lesson is
// unnamed and unmodified, and nothing changes it: edits are ignored, a save does nothing, and
// a command that would ask about changes (new, open, close) ends the load first, so no half
// read lesson can be written over its file.
class Lesson {
public:
    // A load that lasts longer shows the loading window.
    static constexpr int kLoadWindowAfterMs = 150;
    // How often the row shows the pictures read so far.
    static constexpr int kRowShowMs = 100;

    explicit Lesson(LessonDisplay& display);
    ~Lesson();
    Scene& scene() { return m_scene; }
    const Scene& scene() const { return m_scene; }
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }
    // The document part of the main window's text as the lesson last set it.
    QString documentTitle() const { return m_documentTitle; }

    // Asks "Данная изображение уже содержится в уроке. Добавить?" when the same picture
    // (same name and image) is already there; places the picture 30 plate units right of the
    // last one, appends it, re-fits and repaints the row and sets modified. Null: nothing.
    void addPicture(std::unique_ptr<BmpRect> picture);
    // Asks for a picture file ("Укажите файл рисунка") and adds it; a file that gives no
    // usable image shows "Failed to load picture." and adds nothing.
    void addPictureFromFile();
    // The same for a file given without the dialog (one dropped on the lesson row); a file
    // that cannot be read shows "Не удалось прочитать файл рисунка.". With failures, the
    // messages of files that give no picture go there instead (a drop tells them at its
    // end), and every file tried counts there.
    void addPictureFile(const QString& path, FailureSummary* failures = nullptr);
    // Appends a copy of every stored picture of source by the placement rule: no question,
    // modified unchanged. The caller re-fits and repaints the row.
    void appendAllPictures(Scene& source);
    // A lesson file is being read (see the class comment).
    bool isLoading() const { return m_scene.isLoading(); }
    // then runs when the load has ended and its end was handled (fit, title, ...), before its
    // failures are told; at once without a load. A cancelled load drops it.
    void whenLoaded(std::function<void()> then);
    // Finishes a running load here and now, blocking (tools and tests).
    void finishLoad() { m_scene.finishLoad(); }
    // Ends a running load: an empty unnamed lesson, nothing told ("Отмена").
    void cancelLoad();
    // While it shows.
    LoadDlg* loadingWindow() const { return m_loadWindow.get(); }

    // An empty unnamed lesson ("Без Имени.les"), not modified.
    void resetLesson();
    // The save-changes question where due, then an empty lesson.
    void newLesson();
    // The save-changes question where due, then the open dialog.
    void openLesson();
    // The save-changes question where due, then the lesson at path (one dropped on the
    // lesson row) with its file name as the window text. Cancel, a cancelled save dialog and
    // a failed save keep the lesson as it is.
    void openLessonFile(const QString& path);
    // The open dialog "Укажите файл урока", then the chosen lesson (or, when it cannot be
    // read, an empty unnamed lesson). Cancel changes nothing.
    void chooseAndLoadLesson();
    // The lesson at path (the window text is left alone), from the event loop; an empty
    // unnamed lesson when it cannot be read. Pictures that do not decode are dropped and told in
    // one message once the lesson is in (FailureSummary), for this and every other way a lesson is
    // opened.
    void loadLessonFile(const QString& path);
    // "Урок пуст" for an empty lesson; the save dialog "Сохранение файла урока" for an
    // unnamed one; a named lesson is written only when modified, and when its file cannot be
    // written the save dialog follows the message. A failed or cancelled save keeps the
    // lesson's path, window text and modified flag as they were.
    void saveLessonFile();
    // The save-changes question where due; false (the window stays open) on Cancel, on a
    // cancelled save dialog and on a failed save.
    bool mayCloseLesson();

    // Row edits with the modified flag: delete, move and undo set it when they change the
    // row. Undo re-computes the scroll sizes after putting a deleted picture back; with
    // nothing to undo it says "Нет действий для отмены".
    bool deleteSelected();
    void moveSelected();
    void undoLessonEdit();

private:
    // What the save-changes question came to.
    enum class SaveChanges {
        NoPictures,      // nothing to save, nothing asked
        NotAsked,        // named and not modified
        Declined,        // No
        Saved,           // Yes, and the lesson is on disk
        SaveFailed,      // Yes, and the save failed (after its message)
        DialogCancelled, // Yes on an unnamed lesson, then Cancel in the save dialog
        Cancelled,       // Cancel
    };
    SaveChanges askToSaveChanges();
    // The save dialog; an empty path when cancelled.
    FileDialogResult chooseSavePath();
    // Saves to path; on failure the lesson's path goes back to what it was.
    bool saveTo(const QString& path);
    // Saves a named lesson to its file; when that fails (full disk, read-only folder, the file
    // held by another instance) the save dialog follows, so the lesson can go elsewhere.
    bool saveNamed();
    // The one place a lesson file is read; done(ok) follows when the read is over (not when
    // it was cancelled). The load first empties the lesson.
    void startLoad(const QString& path, std::function<void(bool)> done);
    void showLoadWindow();
    void onRecordDone(int recordsDone);
    // Replaces the lesson by the one at path, titled title (an empty lesson when unreadable).
    void loadChosenLesson(const QString& path, const QString& title);
    void addLessFile(LessFile& file, FailureSummary* failures, const QString& name);
    void setDocumentTitle(const QString& title);
    // Places a lesson-owned picture after the last one and appends it.
    void placeAndAppend(std::unique_ptr<BmpRectStream> picture);
    // A name of picture that no other image in the lesson holds (its own when free).
    QByteArray distinctName(const BmpRect& picture) const;
    bool holdsSamePicture(const BmpRect& picture) const;

    class LoadListener;

    LessonDisplay& m_display;
    // Before the scene: a load's listener outlives its job.
    std::unique_ptr<LoadListener> m_loadListener;
    Scene m_scene;
    bool m_modified = false;
    QString m_documentTitle;
    // The open lesson's file, locked so that another instance can neither open it nor save
    // over it; let go only while this one reads it (saves carry it over to the new file).
    FileLock m_fileHold;
    QTimer m_loadWindowTimer;
    QElapsedTimer m_rowShown; // invalid until the load's first picture is shown
    std::unique_ptr<LoadDlg> m_loadWindow;
    std::vector<std::function<void()>> m_afterLoad;
};
