#include "BmpRectFile.h"

#include "PictureFiles.h"
#include "PictureImage.h"
#include "WindowServices.h"

BmpRectFile::BmpRectFile() {
    const FileDialogResult chosen = picturefiles::askForPicture();
    if (!chosen.accepted)
        return;

    setBFrame(true);
    const QByteArray title = picturefiles::recordText(chosen.fileTitle);
    QByteArray pic = title;
    picturefiles::removeFirst(pic, "gif");
    picturefiles::removeFirst(pic, "GIF");
    picturefiles::removeFirst(pic, ".");
    setPicName(pic);
    setCaption(pic);
    setName(title);
    if (chosen.path.isEmpty()) {
        messageBox(QStringLiteral("Неправильный путь"));
        return;
    }
    setName(picturefiles::cutToStreamName(title + picturefiles::timeSuffix(chosen.path)));
    loadFromFile(chosen.path);
}

BmpRectFile::~BmpRectFile() = default;

bool BmpRectFile::loadFromFile(const QString& path) {
    m_filePath = path;
    const std::optional<QByteArray> bytes = picturefiles::readWhole(path);
    std::unique_ptr<PictureImage> image = bytes ? PictureImage::decode(*bytes) : nullptr;
    if (!image) {
        setImageOnly(nullptr);
        return false;
    }
    setOwnBytes(*bytes);
    if (image->frameCount() > 1)
        setBGif(true);
    adoptImage(std::move(image));
    readGifInfo();
    return true;
}
