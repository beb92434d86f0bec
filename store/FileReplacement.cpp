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

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the temporaries earlier saves of this target left behind: a folder of its own
// holding the file (or, from older versions, the bare file). Each one has a name of its own,
// so none is ever in a later save's way; this only keeps them from piling up. Only names go:
// whatever a link there points to is never touched.
void removeStaleTemporaries(const QDir& folder, const QString& stem, const QString& fileName) {
    const QString prefix = QStringLiteral(".") + stem + QStringLiteral(".");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (const QString& name :
         folder.entryList({prefix + QStringLiteral("*.tmp")},
                          QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System)) {
        const QString tag = name.mid(prefix.size(), name.size() - prefix.size() - 4);
        bool hex = tag.size() == 8;
        (void)tag.toUInt(&hex, 16);
        if (!hex || name != temporaryName(stem, tag.toUInt(nullptr, 16)))
            continue;
        const QString path = folder.filePath(name);
        const QByteArray encoded = QFile::encodeName(path);
        struct stat st {};
        if (::lstat(encoded.constData(), &st) != 0 || now - qint64(st.st_mtime) < kStaleSeconds)
            continue;
        const bool isFolder = S_ISDIR(st.st_mode);
        if (!isFolder && !S_ISREG(st.st_mode))
            continue;
        const QString file = isFolder ? path + QLatin1Char('/') + fileName : path;
        // A save that writes it holds its lock.
        FileLock lock;
        if (!lock.acquire(file, FileLock::Access::Read) &&
            lock.failure() != FileLock::Failure::NotFound)
            continue;
        lock.release();
        ::unlink(QFile::encodeName(file).constData());
        if (isFolder)
            ::rmdir(encoded.constData());
    }
}

int openRetrying(int folder, const QByteArray& name, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::openat(folder, name.constData(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool holdsFile(const FileLock* lock, const struct stat& file) {
    struct stat held {};
    return lock && lock->isHeld() && ::fstat(lock->fd(), &held) == 0 && sameFile(held, file);
}

// True when folder, just made by this process, is still the one it made: a folder someone
// else put in its place would let them change its names. A file system that keeps no owners
// gives every file the owner of the folder around it (and where that owner is someone else,
// they may change anything there anyway).
bool isOwnFolder(int folder, int parent) {
    struct stat own {};
    struct stat around {};
    if (::fstat(folder, &own) != 0 || !S_ISDIR(own.st_mode))
        return false;
    return own.st_uid == ::geteuid() ||
           (::fstat(parent, &around) == 0 && own.st_uid == around.st_uid);
}

// True when path lies below folder; both are canonical.
bool isBelow(const QString& folder, const QString& path) {
    return path.startsWith(folder == QLatin1String("/") ? folder : folder + QLatin1Char('/'));
}

} // namespace

FileReplacement::FileReplacement(const QString& targetPath) : m_target(targetPath) {
    const QFileInfo info(targetPath);
    if (!info.isSymLink())
        return;
    // Anyone may put a link in a shared folder: saving through one must not write a file
    // elsewhere, nor create one wherever a dangling link points.
    const QString target = info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (target.isEmpty() || folder.isEmpty() || !isBelow(folder, target))
        m_refused = true;
    else
        m_target = target;
}

FileReplacement::~FileReplacement() {
    discard();
}

FileReplacement::Status FileReplacement::prepare(const FileLock* held) {
    discard();
    const QByteArray target = QFile::encodeName(m_target);
    if (m_refused)
        return Status::NoAccess;
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
    const QString fileName = info.fileName();
    const QByteArray encodedName = QFile::encodeName(fileName);
    const QString stem = fileName.left(kMaxTemporaryStem);
    const QDir folder = info.absoluteDir();
    m_folderFd = openRetrying(AT_FDCWD, QFile::encodeName(folder.absolutePath()),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) {
        discard();
        return Status::CannotCreate;
    }
    removeStaleTemporaries(folder, stem, fileName);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const QString name = temporaryName(stem, QRandomGenerator::global()->generate());
        const QByteArray encoded = QFile::encodeName(name);
        if (::mkdirat(m_folderFd, encoded.constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        m_privateName = name;
        m_privateFd =
            openRetrying(m_folderFd, encoded, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (m_privateFd < 0 || !isOwnFolder(m_privateFd, m_folderFd)) {
            // No longer ours: someone put something else there.
            if (m_privateFd >= 0)
                ::close(m_privateFd);
            m_privateFd = -1;
            m_privateName.clear();
            continue;
        }
        const int fd = openRetrying(m_privateFd, encodedName,
                                    O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0)
            break;
        if (keepMode)
            (void)::fchmod(fd, mode); // the umask may have cut some bits
        if (!m_newFileLock.adopt(fd)) {
            (void)::unlinkat(m_privateFd, encodedName.constData(), 0);
            break;
        }
        m_temporary = folder.filePath(name) + QLatin1Char('/') + fileName;
        return Status::Ok;
    }
    discard();
    return Status::CannotCreate;
}

FileReplacement::Status FileReplacement::commit() {
    if (m_temporary.isEmpty() || !m_newFileLock.isHeld())
        return Status::CannotCreate;
    const int fd = m_newFileLock.fd();
    if (::fsync(fd) != 0)
        return Status::NotDurable;
    const QFileInfo info(m_target);
    const QByteArray name = QFile::encodeName(info.fileName());
    // The name must still be the file written. On a file system that keeps no owners the
    // temporary's folder is open to others, who may have put a link or a file of their own
    // in its place.
    struct stat written {};
    struct stat named {};
    if (::fstat(fd, &written) != 0 ||
        ::fstatat(m_privateFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !sameFile(written, named) || !S_ISREG(named.st_mode))
        return Status::NoAccess;
    if (::renameat(m_privateFd, name.constData(), m_folderFd, name.constData()) != 0)
        return Status::NoAccess;
    m_renamed = true;
    const bool inPlace =
        ::fstatat(m_folderFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(written, named);
    // The rename itself is durable once the folder is flushed; if that fails the new file is
    // still in place, only its name might not survive a power cut.
    (void)::fsync(m_folderFd);
    m_oldFileLock.release();
    FileLock newFileLock = std::move(m_newFileLock);
    discard();
    if (!inPlace)
        return Status::NoAccess; // replaced again at once: the save cannot be vouched for
    m_newFileLock = std::move(newFileLock);
    return Status::Ok;
}

void FileReplacement::removePrivateFolder() {
    if (m_privateName.isEmpty())
        return;
    // Only the folder this save made: in a shared folder its name may lead elsewhere by now.
    const QByteArray name = QFile::encodeName(m_privateName);
    struct stat own {};
    struct stat named {};
    if (::fstat(m_privateFd, &own) == 0 &&
        ::fstatat(m_folderFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(own, named))
        (void)::unlinkat(m_folderFd, name.constData(), AT_REMOVEDIR);
    m_privateName.clear();
}

void FileReplacement::discard() {
    if (m_privateFd >= 0) {
        if (!m_renamed && !m_temporary.isEmpty())
            (void)::unlinkat(m_privateFd,
                             QFile::encodeName(QFileInfo(m_target).fileName()).constData(), 0);
        removePrivateFolder();
        ::close(m_privateFd);
    }
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_privateFd = m_folderFd = -1;
    m_privateName.clear();
    m_renamed = false;
    m_temporary.clear();
    m_oldFileLock.release();
    m_newFileLock.release();
}
