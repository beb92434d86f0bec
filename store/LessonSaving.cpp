#include "LessonSaving.h"

#include "BmpRectStream.h"
#include "Err.h"
#include "FileLock.h"
#include "FileReplacement.h"
#include "ObjectRecord.h"
#include "StreamNameTable.h"
#include "WindowServices.h"
#include "XmlStorage.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString noAccess(const QString& path) {
    return path + QStringLiteral(" нет доступа");
}

struct PlannedPicture {
    const BmpRectStream* picture;
    ObjectRecord record;
    bool writesStream;
};

std::vector<PlannedPicture> planPictures(const std::vector<const Shape*>& shapes) {
    std::vector<PlannedPicture> planned;
    StreamNameTable names;
    for (const Shape* shape : shapes) {
        const auto* picture = dynamic_cast<const BmpRectStream*>(shape);
        if (!picture)
            continue;
        const StreamNameTable::Assignment a = names.assign(picture->name(), picture->streamBytes());
        ObjectRecord record = ObjectRecord::fromPicture(*picture);
        record.name = a.streamName;
        planned.push_back({picture, std::move(record), a.firstUse});
    }
    return planned;
}

// Writes the whole file through storage into the open temporary file, then closes storage.
// Raises Err.
void writeLesson(XmlStorage& storage, const FileReplacement& replacement,
                 const std::vector<PlannedPicture>& pictures) {
    storage.createInOpenFile(replacement.temporaryFd(), replacement.temporaryPath());
    storage.createRoot("Data");
    storage.addElement(storage.root(), "Pictures");
    for (const PlannedPicture& p : pictures)
        p.record.write(storage);
    // The document goes first, as in every file this program writes.
    storage.writeXmlStream(QStringLiteral("xml"), storage.serialize());
    for (const PlannedPicture& p : pictures) {
        if (!p.writesStream)
            continue;
        XmlStorage::CreatedStream created = storage.createPictureStream(p.record.name);
        if (created.result != XmlStorage::kOk)
            throw Err("Failed CreateStream");
        if (!created.stream.write(p.picture->streamBytes()))
            throw Err("Failed WriteStream");
        created.stream.release();
    }
    if (!storage.close())
        throw Err("Failed Commit");
}

} // namespace

namespace store {

bool saveLesson(XmlStorage& storage, const QString& localPath,
                const std::vector<const Shape*>& shapes, FileLock* hold, QString* failure) {
    const auto fail = [failure](const QString& message) {
        if (failure)
            *failure = message;
        else
            messageBox(message);
        return false;
    };
    storage.close();
    if (shapes.empty())
        return true;

    FileReplacement replacement(localPath);
    switch (replacement.prepare(hold)) {
    case FileReplacement::Status::Ok:
        break;
    case FileReplacement::Status::NoAccess:
        return fail(noAccess(localPath));
    case FileReplacement::Status::Busy:
    case FileReplacement::Status::CannotCreate:
    case FileReplacement::Status::NotDurable:
        return fail(QStringLiteral("Failed StgCreateStorageEx"));
    }

    try {
        writeLesson(storage, replacement, planPictures(shapes));
    } catch (const Err& e) {
        storage.close();
        replacement.discard();
        return fail(e.text());
    }

    switch (replacement.commit()) {
    case FileReplacement::Status::Ok:
        if (hold)
            *hold = replacement.takeNewFileLock();
        return true;
    case FileReplacement::Status::NotDurable:
        return fail(QStringLiteral("Failed Commit"));
    default:
        return fail(noAccess(localPath));
    }
}

bool removeOldFile(const QString& localPath) {
    const QByteArray path = QFile::encodeName(localPath);
    if (path.isEmpty())
        return true;
    // A file that cannot be opened, or that another opener holds, counts as absent.
    FileLock lock;
    if (!lock.acquire(localPath, FileLock::Access::Read))
        return true;
    lock.release();
    struct stat st {};
    const bool readOnly =
        ::stat(path.constData(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (readOnly || ::unlink(path.constData()) != 0) {
        messageBox(noAccess(localPath));
        return false;
    }
    return true;
}

} // namespace store
