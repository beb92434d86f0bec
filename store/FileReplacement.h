#pragma once

#include "FileLock.h"

#include <QString>

// Writes a file by way of a temporary file in the same folder, which replaces the target only
// once it is complete and on disk. Whatever fails, and whenever the process dies, the old file
// is either still there whole or already replaced by the whole new one.
//
// Use: prepare(), write the file at temporaryPath(), commit(). Destroying the object without
// a successful commit removes the temporary file.
class FileReplacement {
public:
    enum class Status {
        Ok,
        NoAccess,     // the old file may not be replaced (read-only, not a regular file, the
                      // folder refuses the rename)
        Busy,         // the old file is held open by another opener
        CannotCreate, // no temporary file can be made in the folder
        NotDurable,   // the new file could not be flushed to disk
    };

    explicit FileReplacement(const QString& targetPath);
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();

    // Checks the old file (if any), holds its lock until commit so no other opener starts on
    // it meanwhile, and creates the empty temporary file with the old file's permissions (or
    // the default ones for a new file). Its name is new for every save, so a temporary file a
    // killed save left behind is never in the way; such files of this target, once over an
    // hour old and held by nobody, are removed here. held: a lock the caller keeps on the
    // old file (the open lesson's), which then stands in for the check's own.
    Status prepare(const FileLock* held = nullptr);
    const QString& temporaryPath() const { return m_temporary; }
    // Flushes the temporary file to disk and renames it over the target (a symbolic link is
    // followed: its target is replaced, the link stays).
    Status commit();
    // After a successful commit: a lock on the new file, taken before the rename so that no
    // other opener gets in between (unheld where the file system cannot lock).
    FileLock takeNewFileLock() { return std::move(m_newFileLock); }
    // Removes the temporary file.
    void discard();

private:
    QString m_target; // the file that is replaced, symbolic links resolved
    QString m_temporary;
    FileLock m_oldFileLock;
    FileLock m_newFileLock;
};
