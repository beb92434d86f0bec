#pragma once

#include <QString>
#include <vector>

class FileLock;
class Shape;
class XmlStorage;

// Writing a lesson file from a scene's shapes. Paths are local paths as the file system
// spells them. Every failure is shown to the user here, or handed to a caller that tells the
// user itself; nothing is raised to the caller.
namespace store {

// Writes the pictures (BmpRectStream and what derives from it, in list order; other shapes
// are left out) as a lesson file at localPath through storage, which is closed first and
// again at the end.
//
// The file is written whole to a temporary file beside it, flushed to disk and only then
// renamed over the old lesson, so the old lesson survives every failure. Each distinct
// picture gets its own stream (see StreamNameTable); texts the file cannot carry are written
// in a form that reads back as written (ObjectRecord::carriableText).
//
// Returns true when the lesson is on disk, and also for an empty shape list, which writes
// nothing and leaves any old file alone. Returns false, after its message, when:
//  - the old file may not be replaced, localPath is a link leading out of its folder or to
//    nothing, or someone else replaced the temporary file meanwhile: the path followed by
//    " нет доступа";
//  - it is held open by another opener, or no file can be created in the folder:
//    "Failed StgCreateStorageEx";
//  - writing fails: "Failed CreateStream", "Failed WriteStream" or "Failed Commit".
// The caller keeps the lesson marked as changed on false. With failure given, the message
// goes there instead of a box, and the caller tells the user.
//
// hold, when given, is the caller's lock on the lesson it keeps open: a lock on the old file
// lets this save through, and once the lesson is on disk it becomes the lock on the new file,
// taken before the rename, so another instance never finds the lesson unguarded.
bool saveLesson(XmlStorage& storage, const QString& localPath,
                const std::vector<const Shape*>& shapes, FileLock* hold = nullptr,
                QString* failure = nullptr);

// True when there is no file at localPath (or it cannot be opened for reading) or it was
// deleted. False after the message "<path> нет доступа" when it exists and cannot be deleted,
// which includes a file without any write permission (read-only). saveLesson does not delete
// first; this is for callers that want the old file gone.
bool removeOldFile(const QString& localPath);

} // namespace store
