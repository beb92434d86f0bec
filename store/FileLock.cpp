#include "FileLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

FileLock::System g_real;
FileLock::System* g_system = &g_real;

// Errors of a file system that cannot lock at all.
bool cannotLock(int error) {
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

// flock without waiting, retried when a signal interrupts it; 0 or the errno.
int tryLock(int fd, int operation) {
    int rc;
    do {
        rc = g_system->flock(fd, operation | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

} // namespace

int FileLock::System::open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
int FileLock::System::fstat(int fd, struct stat* st) {
    return ::fstat(fd, st);
}
int FileLock::System::setFlags(int fd, int flags) {
    return ::fcntl(fd, F_SETFL, flags);
}
int FileLock::System::flock(int fd, int operation) {
    return ::flock(fd, operation);
}
int FileLock::System::ftruncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

void FileLock::setSystem(System* system) {
    g_system = system ? system : &g_real;
}

FileLock::FileLock(FileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_failure(other.m_failure),
      m_hold(std::exchange(other.m_hold, Hold::None)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_failure = other.m_failure;
        m_hold = std::exchange(other.m_hold, Hold::None);
    }
    return *this;
}

FileLock::~FileLock() {
    release();
}

void FileLock::release() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_hold = Hold::None;
}

bool FileLock::acquire(const QString& localPath, Access access) {
    release();
    m_failure = Failure::None;
    const QByteArray name = QFile::encodeName(localPath);
    if (name.isEmpty()) {
        m_failure = Failure::NotFound;
        return false;
    }
    // O_NONBLOCK keeps open() from waiting for a writer on a FIFO; it is cleared again below.
    const int openFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY |
                          (access == Access::Create ? (O_RDWR | O_CREAT) : O_RDONLY);
    int fd;
    do {
        fd = g_system->open(name.constData(), openFlags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_failure = errno == ENOENT || errno == ENOTDIR ? Failure::NotFound : Failure::Other;
        return false;
    }
    auto fail = [&](Failure why) {
        ::close(fd);
        m_failure = why;
        return false;
    };
    struct stat st {};
    if (g_system->fstat(fd, &st) != 0)
        return fail(Failure::Other);
    if (!S_ISREG(st.st_mode))
        return fail(Failure::NotRegularFile);
    if (g_system->setFlags(fd, openFlags & ~(O_NONBLOCK | O_CREAT | O_CLOEXEC)) != 0)
        return fail(Failure::Other);

    Hold hold = access == Access::SharedRead ? Hold::Shared : Hold::Exclusive;
    int error = tryLock(fd, hold == Hold::Shared ? LOCK_SH : LOCK_EX);
    if (error == EBADF && hold == Hold::Shared) {
        error = ENOLCK; // no lock of any kind on this descriptor
    } else if (error == EBADF && access == Access::Read) {
        // NFS: an exclusive byte-range lock needs write access; a shared one does not.
        hold = Hold::Shared;
        error = tryLock(fd, LOCK_SH);
        if (error == EBADF)
            error = ENOLCK; // no lock of any kind on this descriptor
    }
    if (error == EWOULDBLOCK)
        return fail(Failure::Busy);
    if (error != 0) {
        // Refusing every file of a file system that cannot lock would make the content
        // unusable there; the file is opened without the protection instead.
        if (!cannotLock(error))
            return fail(Failure::Other);
        hold = Hold::Unlocked;
    }
    // Emptied only now: truncating before the lock is held would destroy a file that
    // another opener still uses.
    if (access == Access::Create && g_system->ftruncate(fd, 0) != 0)
        return fail(Failure::Other);
    m_fd = fd;
    m_hold = hold;
    return true;
}

bool FileLock::adopt(int fd) {
    release();
    m_failure = Failure::None;
    if (fd < 0) {
        m_failure = Failure::Other;
        return false;
    }
    Hold hold = Hold::Exclusive;
    const int error = tryLock(fd, LOCK_EX);
    if (error != 0) {
        if (!cannotLock(error)) {
            ::close(fd);
            m_failure = error == EWOULDBLOCK ? Failure::Busy : Failure::Other;
            return false;
        }
        hold = Hold::Unlocked;
    }
    m_fd = fd;
    m_hold = hold;
    return true;
}
