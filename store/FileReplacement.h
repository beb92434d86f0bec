#pragma once

#include "FileLock.h"

#include <QString>

// Writes a file by way of a temporary file in the same folder, which replaces the target only
// once it is complete and on disk. Whatever fails, and whenever the process dies, the old file
// is either still there whole or already replaced by the whole new one.
//
// Lessons live in folders shared with other users, who may rename, replace or link any name
// there while a save runs. So the temporary file is created in a folder of its own that only
// this user may change, is written, flushed and locked through the descriptor of its
// exclusive create and never opened by name again, and is renamed from that folder's
// descriptor into the target folder's. Before the rename the name must still be the file
// written; a save that cannot be finished that way fails and leaves the old file alone.
//
// Use: prepare(), write the file through temporaryFd(), commit(). Destroying the object
// without a successful commit removes the temporary file.
class FileReplacement {
public:
    enum class Status {
        Ok,
        NoAccess,     // the old file may not be replaced (read-only, not a regular file, a
                      // link that leads out of its folder or nowhere, the folder refuses the
                      // rename, the temporary file was replaced by someone else)
        Busy,         // the old file is held open by another opener
        CannotCreate, // no temporary file can be made in the folder
        NotDurable,   // the new file could not be flushed to disk
    };

    // A symbolic link at targetPath is followed only to a file in the link's own folder or
    // below it; a link that leads elsewhere, or nowhere, is refused (prepare gives NoAccess).
    explicit FileReplacement(const QString& targetPath);
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();

    // Checks the old file (if any), holds its lock until commit so no other opener starts on
    // it meanwhile, and creates the empty temporary file, locked, with the old file's
    // permissions (or the default ones for a new file). Its name is new for every save, so
    // one a killed save left behind is never in the way; those of this target, once over an
    // hour old and held by nobody, are removed here. held: a lock the caller keeps on the
    // old file (the open lesson's), which then stands in for the check's own.
    Status prepare(const FileLock* held = nullptr);
    // The temporary file, open for reading and writing; -1 unless prepared.
    int temporaryFd() const { return m_newFileLock.fd(); }
    // Where it is, for messages and tests: it is never opened by this name.
    const QString& temporaryPath() const { return m_temporary; }
    // Flushes the temporary file to disk and renames it over the target (a link the
    // constructor accepted is followed: its target is replaced, the link stays).
    Status commit();
    // After a successful commit: the lock on the new file, held since it was created, so
    // that no other opener gets in before or after the rename (unheld where the file system
    // cannot lock).
    FileLock takeNewFileLock() { return std::move(m_newFileLock); }
    // Removes the temporary file.
    void discard();

private:
    void removePrivateFolder();

    QString m_target; // the file that is replaced, symbolic links resolved
    bool m_refused = false;
    QString m_temporary;
    QString m_privateName; // the temporary's own folder, within the target's folder
    int m_folderFd = -1;
    int m_privateFd = -1;
    bool m_renamed = false;
    FileLock m_oldFileLock;
    FileLock m_newFileLock;
};
