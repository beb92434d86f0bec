#pragma once

#include <QString>

// An open file descriptor holding an exclusive advisory lock (flock) on a regular file.
//
// This is what makes the container's opens share-exclusive: while one FileLock holds a file,
// every other attempt to lock it (from this process or another) fails at once instead of
// waiting. On a file system that cannot lock at all the file is opened unlocked. The lock
// lives on the open file description, so descriptors dup()ed from fd() share it, and it is
// released when the last of them is closed.
class FileLock {
public:
    enum class Access {
        Read,   // the file must exist
        Create, // created when missing, emptied once the lock is held
    };
    enum class Failure { None, NotFound, Busy, NotRegularFile, Other };

    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock();

    // Opens and locks localPath; on failure the lock stays unheld and failure() tells why.
    // Never blocks: not on a held lock, not on a FIFO or device node.
    bool acquire(const QString& localPath, Access access);
    void release();

    bool isHeld() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    Failure failure() const { return m_failure; }

private:
    int m_fd = -1;
    Failure m_failure = Failure::None;
};
