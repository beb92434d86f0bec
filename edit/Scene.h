#pragma once

#include "ChangePos.h"
#include "Draw.h"
#include "DrawNodes.h"
#include "EditShape.h"
#include "NewShape.h"
#include "PointD.h"
#include "RectD.h"
#include "ShapeList.h"
#include "XmlStorage.h"

#include <QString>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <vector>

class BmpRect;
class FileLock;
class FragmentSink;
class LoadJob;
class QPainter;
class Shape;
class ViewTransform;

// What one picture view shows: the shape list, the edit tools bound to it, the container
// used to read and write its file, the file path, the selected picture and the lesson edit
// history, with the walks over the list that the views need.
//
// Every walk keeps its position locally, so walks may nest (a shape operation called from
// one may start another).
class Scene {
public:
    Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    // Destroys the owned shapes (those of the list, its histories and the lesson history).
    ~Scene();

    ShapeList& shapes() { return m_shapes; }
    const ShapeList& shapes() const { return m_shapes; }
    XmlStorage& storage() { return m_storage; }

    // Draws every shape in list order, then the current tool's overlay.
    void drawAll(QPainter& g, const ViewTransform& vt);
    // The first shape in list order whose hitTest answers true; shapes after it are not
    // asked. Null when none is hit.
    Shape* shapeAt(const ViewTransform& vt);
    // The first picture (any BmpRect) in list order, or null.
    BmpRect* firstPicture() const;
    // Lower right corner (corner1) of the last picture in the list; (0, 0) without pictures.
    PointD lastPictureCorner() const;
    // Every picture back to the normal state.
    void clearSelection();
    // The first selected picture becomes selected(); false (selected() unchanged) when none.
    bool findSelected();
    // The picture found by the last successful findSelected; null after clear().
    BmpRect* selected() const { return m_selected; }
    // Edge marks of every picture from the pointer.
    void updateEdgeMarksAll(const ViewTransform& vt);
    // Stands the stored pictures (BmpRectStream) upright side by side from (0, 0), 30 plate
    // units apart, each lower edge at the previous one's lower right corner; other shapes
    // keep their places. Each placed picture is complete and ends the plate view's tool.
    void layoutRow();
    // Raises Err "EstimateBounds() : bound is empty" when the shapes have no points.
    RectD estimateBounds() const;
    // An empty shape of the kind (0 VectorLine, 1 BmpRectFile, 2 BmpRectFileDirect,
    // 3 BmpRectStream, 4 RectShape, 5 Pline); null for any other number.
    static std::unique_ptr<Shape> createShape(int kind);

    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& path) { m_filePath = path; }

    // Cancels a load that runs, empties the lesson history (with the pictures its commands
    // hold), destroys every shape the list owns, forgets the selection and closes the
    // container.
    void clear();

    // Loading (LoadJob). Each load first clears the scene (cancelling the load before it) and
    // returns at once; the load runs from the event loop and appends the pictures to the list
    // as they arrive, in record order, so commands during a load see the pictures read so
    // far. `done` is called once when the load has ended, never after it was cancelled (by
    // clear(), cancelLoad(), another load or the scene's end).
    //
    // A fragment, read-only (it stays open and locked until the scene is cleared). The
    // listener (may be null) gets the progress, the per-record outcomes and the shown-size
    // questions of FragmentSink; the pictures go to the list.
    void loadFragment(const QString& path, FragmentSink* listener, std::function<void()> done);
    // A lesson file: when the document was read the scene takes path as its file path and
    // done gets true; false otherwise. The listener (may be null) gets the per-record
    // outcomes.
    //
    // Failures go to the listener (pictureFailed, loadFailed), which tells the user; the
    // scene shows nothing, so without a listener they go untold.
    void loadLesson(const QString& path, FragmentSink* listener,
                    std::function<void(bool documentRead)> done);
    // The same, blocking until the last picture is in.
    bool loadLesson(const QString& path, FragmentSink* listener = nullptr);
    bool isLoading() const;
    void cancelLoad();
    // Finishes a load that runs here and now (blocking; its done follows): tools and tests.
    void finishLoad();
    // The records of the running load's document (0 until it was read, or without a load).
    int loadRecordCount() const;

    // Takes path as the file path, then writes the list's stored pictures in list order;
    // false when the lesson is not on disk, the old file kept. A load that runs is first
    // finished here (blocking): a save never writes half a lesson.
    // hold: the caller's lock on the lesson it keeps open (see store::saveLesson); failure:
    // where the message goes, for the caller to tell (the scene shows no box).
    bool saveLesson(const QString& path, FileLock* hold = nullptr, QString* failure = nullptr);

    // Tools. The current one starts as (and returns to) the plain Draw.
    Draw& currentTool() const { return *m_current; }
    Draw& drawTool() { return m_draw; }
    DrawNodes& drawNodesTool() { return m_drawNodes; }
    NewShape& newShapeTool() { return m_newShape; }
    EditShape& editShapeTool() { return m_editShape; }
    ChangePos& changePosTool() { return m_changePos; }

    // Makes ChangePos current with the selected picture's corners (its previous corners
    // when there is no selected picture).
    void startMove();
    // Makes NewShape current with an empty shape of the kind; false when the kind makes none.
    bool startNewShape(int kind);
    // The plain Draw becomes current; the current tool's operation is dropped unfinished.
    void resetTool();
    // Finishes the current tool's operation, then the plain Draw becomes current.
    void endTool();

    // Lesson row edits, undoable newest first through the lesson history. When a neighbour
    // of the picture is not a picture, the edit happens without a command.
    //
    // deleteSelected: takes the first selected stored picture out of the row (its command
    // holds it); false when none is selected. The caller lays the row out again.
    bool deleteSelected();
    // moveSelected: puts the first selected stored picture before the first stored picture
    // with a left mark, or after it for a right mark, and lays the row out again. True when
    // the picture was moved; false (nothing changed, no command) when there is no selected
    // picture, no marked target, or they are the same picture.
    bool moveSelected();
    // undoLessonEdit: undoes the newest edit, lays the row out and clears the selection.
    // Nothing (and nothing changes) when there is no edit to undo; telling the user is the
    // caller's.
    enum class Undone { Nothing, Deleted, Moved };
    Undone undoLessonEdit();

    // The lesson history: the commands of the edits above, oldest first; undone ones are
    // dropped by the next edit. No picture dies before the scene is cleared.
    const QUndoStack& lessonHistory() const { return m_lessonHistory; }

private:
    struct Load;
    void destroyShapes();
    Load& startLoad(bool fragment, const QString& path, FragmentSink* listener);

    // The list first: the tools are bound to it.
    ShapeList m_shapes;
    Draw m_draw{m_shapes};
    DrawNodes m_drawNodes{m_shapes};
    NewShape m_newShape{m_shapes};
    EditShape m_editShape{m_shapes};
    ChangePos m_changePos{m_shapes};
    Draw* m_current = &m_draw;
    XmlStorage m_storage;
    QString m_filePath;
    BmpRect* m_selected = nullptr;
    QUndoStack m_lessonHistory;
    // The load that runs, and cancelled ones whose call was still on the stack when they were
    // replaced (freed at the next chance).
    std::unique_ptr<Load> m_load;
    std::vector<std::unique_ptr<Load>> m_retired;
};
