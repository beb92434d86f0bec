#include "PictureFiles.h"

#include "Cp1251.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

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

std::optional<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size < 0 || size > kMaxFileBytes)
        return std::nullopt;
    // Read at most the limit plus one byte, so a file growing meanwhile cannot run away.
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
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
