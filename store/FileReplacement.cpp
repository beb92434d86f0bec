#include "FileReplacement.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Room left in a file name (most file systems allow 255 bytes) for the temporary's affixes.
constexpr qsizetype kMaxTemporaryStem = 200;
constexpr int kCreateAttempts = 64;
// A temporary file this old, that nobody holds, was left by a save that died (a killed or
// crashed process, a power cut): no live save leaves its temporary file untouched this long.
constexpr qint64 kStaleSeconds = 3600;

QString temporaryName(const QString& stem, quint32 tag) {
    return QStringLiteral(".%1.%2.tmp").arg(stem).arg(tag, 8, 16, QChar('0'));
}

// Removes the temporary files earlier saves of this target left behind. Each one has a name
// of its own, so none is ever in a later save's way; this only keeps them from piling up.
void removeStaleTemporaries(const QDir& folder, const QString& stem) {
    const QString prefix = QStringLiteral(".") + stem + QStringLiteral(".");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (const QString& name : folder.entryList({prefix + QStringLiteral("*.tmp")},
                                                QDir::Files | QDir::Hidden | QDir::System)) {
        const QString tag = name.mid(prefix.size(), name.size() - prefix.size() - 4);
        bool hex = tag.size() == 8;
        (void)tag.toUInt(&hex, 16);
        if (!hex || name != temporaryName(stem, tag.toUInt(nullptr, 16)))
            continue;
        const QString path = folder.filePath(name);
        const QByteArray encoded = QFile::encodeName(path);
        struct stat st {};
        if (::lstat(encoded.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
            now - qint64(st.st_mtime) < kStaleSeconds)
            continue;
        // A save that writes it holds its lock.
        FileLock lock;
        if (lock.acquire(path, FileLock::Access::Read))
            ::unlink(encoded.constData());
    }
}

int openRetrying(const QByteArray& path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path.constData(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool syncPath(const QByteArray& path, int flags) {
    const int fd = openRetrying(path, flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool holdsFile(const FileLock* lock, const struct stat& file) {
    struct stat held {};
    return lock && lock->isHeld() && ::fstat(lock->fd(), &held) == 0 &&
           held.st_dev == file.st_dev && held.st_ino == file.st_ino;
}

} // namespace

FileReplacement::FileReplacement(const QString& targetPath) : m_target(targetPath) {
    const QFileInfo info(targetPath);
    if (info.isSymLink())
        m_target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

FileReplacement::~FileReplacement() {
    discard();
}

FileReplacement::Status FileReplacement::prepare(const FileLock* held) {
    discard();
    const QByteArray target = QFile::encodeName(m_target);
    if (target.isEmpty())
        return Status::CannotCreate;

    // New files get 0666 less the umask, as any created file does; a replaced file keeps its
    // own permissions.
    mode_t mode = 0666;
    bool keepMode = false;
    struct stat st {};
    if (::stat(target.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return Status::NoAccess;
        // A file without any write permission is read-only for this program, also when the
        // system would let its owner (or root) replace it anyway.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
            ::access(target.constData(), W_OK) != 0)
            return Status::NoAccess;
        if (!holdsFile(held, st) && !m_oldFileLock.acquire(m_target, FileLock::Access::Read) &&
            m_oldFileLock.failure() == FileLock::Failure::Busy)
            return Status::Busy;
        mode = st.st_mode & 07777;
        keepMode = true;
    }

    const QFileInfo info(m_target);
    const QString stem = info.fileName().left(kMaxTemporaryStem);
    const QDir folder = info.absoluteDir();
    removeStaleTemporaries(folder, stem);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const QString name = temporaryName(stem, QRandomGenerator::global()->generate());
        const QString path = folder.filePath(name);
        const QByteArray encoded = QFile::encodeName(path);
        const int fd = openRetrying(encoded, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        if (keepMode)
            (void)::fchmod(fd, mode); // the umask may have cut some bits
        ::close(fd);
        m_temporary = path;
        return Status::Ok;
    }
    m_oldFileLock.release();
    return Status::CannotCreate;
}

FileReplacement::Status FileReplacement::commit() {
    if (m_temporary.isEmpty())
        return Status::CannotCreate;
    const QByteArray temporary = QFile::encodeName(m_temporary);
    if (!syncPath(temporary, O_RDONLY))
        return Status::NotDurable;
    m_newFileLock.acquire(m_temporary, FileLock::Access::Read);
    if (::rename(temporary.constData(), QFile::encodeName(m_target).constData()) != 0) {
        m_newFileLock.release();
        return Status::NoAccess;
    }
    m_temporary.clear();
    m_oldFileLock.release();
    // The rename itself is durable once the folder is flushed; if that fails the new file is
    // still in place, only its name might not survive a power cut.
    (void)syncPath(QFile::encodeName(QFileInfo(m_target).absolutePath()), O_RDONLY | O_DIRECTORY);
    return Status::Ok;
}

void FileReplacement::discard() {
    if (!m_temporary.isEmpty())
        ::unlink(QFile::encodeName(m_temporary).constData());
    m_temporary.clear();
    m_oldFileLock.release();
    m_newFileLock.release();
}
