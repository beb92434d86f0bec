#include "LessFile.h"

#include "BmpRectStream.h"
#include "Err.h"
#include "PictureFiles.h"
#include "PictureImage.h"
#include "WindowServices.h"

#include <QFileInfo>

LessFile::LessFile() {
    const FileDialogResult chosen = picturefiles::askForPicture();
    if (!chosen.accepted)
        return; // stays empty: toPicture gives none
    read(chosen.path, chosen.fileTitle);
    if (!m_readFailure.isEmpty())
        messageBox(m_readFailure);
}

LessFile::LessFile(const QString& path) {
    read(path, QFileInfo(path).fileName());
}

void LessFile::read(const QString& path, const QString& fileTitle) {
    setPicName(picNameFromTitle(picturefiles::recordText(fileTitle)));
    if (path.isEmpty()) {
        m_readFailure = QStringLiteral("Неправильный путь");
        return;
    }
    setFilePath(path);
    setName(picturefiles::cutToStreamName(picturefiles::timeSuffix(path)));
    setBFrame(true);
    setCaption(picName());

    const QFileInfo info(path);
    // No picture a teacher adds comes near the limit: the file is not a usable image, and
    // reading it would only hold memory.
    if (info.isFile() && info.size() > picturefiles::kMaxFileBytes) {
        m_tooLarge = true;
        return;
    }
    const std::optional<QByteArray> bytes =
        info.isFile() ? picturefiles::readWhole(path) : std::nullopt;
    if (!bytes) {
        // Nothing else would tell the user why no picture appeared.
        m_readFailure = QStringLiteral("Не удалось прочитать файл рисунка.");
        return;
    }
    m_stream = *bytes;
    m_streamReady = true;
}

LessFile::~LessFile() = default;

std::unique_ptr<BmpRectStream> LessFile::toPicture() {
    if (m_tooLarge)
        throw Err("Failed to load picture.");
    if (!m_streamReady)
        return nullptr;
    auto picture = std::make_unique<BmpRectStream>();
    picture->takeBytes(m_stream);
    m_stream.clear();
    m_streamReady = false;

    std::unique_ptr<PictureImage> image = PictureImage::decode(picture->streamBytes());
    if (!image)
        throw Err("Failed to load picture.");
    if (image->frameCount() > 1)
        picture->setBGif(true);
    picture->adopt(std::move(image));
    picture->readGifInfo();
    picture->setCaption(picName());
    picture->setName(name());
    picture->setPicName(picName());
    picture->setBFrame(true);
    return picture;
}

QByteArray LessFile::picNameFromTitle(const QByteArray& fileTitle) {
    QByteArray pic = fileTitle;
    for (const char* part : {"gif", "GIF", "jpg", "JPG", "jpeg", "JPEG", "bmp", "BMP", "tiff",
                             "TIFF", "png", "PNG", "."})
        picturefiles::removeFirst(pic, part);
    return pic;
}
