#include "FileLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

FileLock::FileLock(FileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_failure(other.m_failure) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_failure = other.m_failure;
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
    int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    flags |= access == Access::Create ? (O_RDWR | O_CREAT) : O_RDONLY;
    int fd;
    do {
        fd = ::open(name.constData(), flags, 0666);
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
    if (::fstat(fd, &st) != 0)
        return fail(Failure::Other);
    if (!S_ISREG(st.st_mode))
        return fail(Failure::NotRegularFile);
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        return fail(Failure::Other);
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK)
        return fail(Failure::Busy);
    // Some network file systems cannot lock at all. Refusing every file there would make the
    // content unusable; the file is opened without the protection instead.
    if (rc != 0 && errno != ENOLCK && errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        return fail(Failure::Other);
    // Emptied only now: truncating before the lock is held would destroy a file that
    // another opener still uses.
    if (access == Access::Create && ::ftruncate(fd, 0) != 0)
        return fail(Failure::Other);
    m_fd = fd;
    return true;
}
