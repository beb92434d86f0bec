#pragma once

#include <QString>

#include <sys/types.h>

struct stat;

// An open file descriptor holding an exclusive advisory lock (flock) on a regular file.
//
// This is what makes the container's opens share-exclusive: while one FileLock holds a file
// exclusively, every other attempt to lock it (from this process or another) fails at once
// instead of waiting. Shared holders (readers of fragments) let each other in and keep out
// every exclusive one. The lock lives on the open file description, so descriptors dup()ed from
// fd() share it, and it is released when the last of them is closed.
//
// Two kinds of file system cannot give that lock:
//  - some cannot lock at all (ENOLCK, EOPNOTSUPP, ENOSYS, EINVAL): the file is opened
//    unlocked rather than refused;
//  - NFS emulates flock with byte-range locks, where an exclusive lock needs a descriptor
//    open for writing (EBADF on a read-only one): a read-only open takes a shared lock
//    there, which still keeps out every exclusive holder (a file being created, an open on
//    a local file system) but lets other read-only opens of that file system in.
class FileLock {
public:
    enum class Access {
        Read,       // the file must exist; held exclusively
        SharedRead, // the file must exist; held together with other shared readers
        Create,     // created when missing, emptied once the lock is held
    };
    enum class Failure { None, NotFound, Busy, NotRegularFile, Other };
    enum class Hold { None, Exclusive, Shared, Unlocked };

    // The system calls the lock is made of, each returning -1 with errno set on failure.
    // Tests replace them to meet the errors of file systems they cannot mount.
    class System {
    public:
        virtual ~System() = default;
        virtual int open(const char* path, int flags, mode_t mode);
        virtual int fstat(int fd, struct stat* st);
        virtual int setFlags(int fd, int flags); // fcntl F_SETFL
        virtual int flock(int fd, int operation);
        virtual int ftruncate(int fd, off_t length);
    };
    // nullptr restores the real calls. Not thread-safe: for tests only.
    static void setSystem(System* system);

    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock();

    // Opens and locks localPath; on failure the lock stays unheld and failure() tells why.
    // Never blocks: not on a held lock, not on a FIFO or device node.
    bool acquire(const QString& localPath, Access access);
    // Takes over fd, a descriptor open on a regular file, and locks it exclusively (unlocked
    // where the file system cannot lock). On failure fd is closed and the lock stays unheld.
    bool adopt(int fd);
    void release();

    bool isHeld() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    Failure failure() const { return m_failure; }
    // What protects the file while it is held.
    Hold hold() const { return m_hold; }

private:
    int m_fd = -1;
    Failure m_failure = Failure::None;
    Hold m_hold = Hold::None;
};
