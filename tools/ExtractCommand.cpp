#include "Err.h"
#include "FragCommand.h"
#include "XmlStorage.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A file name for a stream name read from the file: nothing in it may lead out of the target
// folder or hide the file.
QString safeFileName(const QString& streamName) {
    QString name = streamName;
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c == QChar(0x7F))
            c = u'_';
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(u'_');
    return name;
}

// Writes bytes to a new or emptied file without following a symbolic link already there.
bool writeFile(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += n;
    }
    return ::close(fd) == 0;
}

} // namespace

// trevalon-frag extract FILE DIR
int runExtract(const QStringList& args, std::FILE* out, std::FILE* err) {
    if (args.size() != 2)
        return usageError("extract", err);
    XmlStorage storage;
    try {
        storage.openLocalForUpdate(args[0]);
    } catch (const Err& e) {
        printLine(err, e.text());
        return kExitFailed;
    }
    const QDir target(args[1]);
    if (!QDir().mkpath(target.path())) {
        printLine(err, QStringLiteral("cannot make the folder %1").arg(args[1]));
        return kExitFailed;
    }
    int exit = kExitOk;
    QSet<QString> used;
    for (const XmlStorage::StreamEntry& entry : storage.rootStreams()) {
        QString name = safeFileName(entry.name);
        for (int n = 1; used.contains(name); ++n)
            name = safeFileName(entry.name) + QStringLiteral("~%1").arg(n);
        used.insert(name);
        QByteArray bytes;
        try {
            bytes = storage.readXmlStream(entry.name);
        } catch (const Err& e) {
            printLine(err, QStringLiteral("%1: %2").arg(entry.name, e.text()));
            exit = kExitFailed;
            continue;
        }
        if (!writeFile(target.filePath(name), bytes)) {
            printLine(err, QStringLiteral("%1: cannot be written").arg(target.filePath(name)));
            exit = kExitFailed;
            continue;
        }
        printLine(out, QStringLiteral("%1\t%2").arg(bytes.size()).arg(name));
    }
    return exit;
}
