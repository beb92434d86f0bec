#include "PictureFiles.h"

#include "Cp1251.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace picturefiles {

QString dialogTitle() {
    return QStringLiteral("Укажите файл рисунка");
}

QString dialogFilter() {
    return QStringLiteral("GIF (*.GIF *.gif);;"
                          "JPEG (*.JPG *.JPEG *.JPE *.JFIF *.jpg *.jpeg *.jpe *.jfif);;"
                          "BMP (*.BMP *.DIB *.RLE *.bmp *.dib *.rle);;"
                          "TIFF (*.TIF *.TIFF *.tif *.tiff);;"
                          "PNG (*.PNG *.png)");
}

FileDialogResult askForPicture() {
    FileDialogRequest request;
    request.title = dialogTitle();
    request.filter = dialogFilter();
    request.mustExist = true;
    return WindowServices::instance().fileDialog(request);
}

bool hasPictureSuffix(const QString& fileName) {
    static const QStringList kSuffixes = {"gif", "jpg", "jpeg", "jpe",  "jfif", "bmp",
                                          "dib", "rle", "tif",  "tiff", "png"};
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot >= 0 && kSuffixes.contains(fileName.mid(dot + 1), Qt::CaseInsensitive);
}

std::optional<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size < 0 || size > kMaxFileBytes)
        return std::nullopt;
    // Exactly the file's size: QIODevice::read(max) sizes its buffer to max first, and that
    // capacity would stay with the bytes (and every copy of them) for good. A file that
    // grows meanwhile is read as far as its size was; one that shrinks, to its end.
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(bytes.data() + done, size - done);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += got;
    }
    if (done < size) {
        bytes.truncate(qsizetype(done));
        bytes.squeeze();
    }
    return bytes;
}

QByteArray timeSuffix(const QString& path) {
    const qint64 seconds = QFileInfo(path).lastModified().toSecsSinceEpoch();
    return "*" + QByteArray::number(seconds);
}

QByteArray recordText(const QString& fileTitle) {
    QByteArray text = cp1251::fromUnicodeLossy(fileTitle);
    text.replace('<', '_');
    text.replace('>', '_');
    return text;
}

QByteArray cutToStreamName(const QByteArray& name) {
    constexpr qsizetype kMax = 31;
    return name.size() > kMax ? name.right(kMax) : name;
}

void removeFirst(QByteArray& text, const QByteArray& part) {
    const qsizetype at = text.indexOf(part);
    if (at >= 0)
        text.remove(at, part.size());
}

} // namespace picturefiles
