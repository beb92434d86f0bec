#pragma once

#include "BmpRectFileDirect.h"

#include <QByteArray>
#include <memory>

class BmpRectStream;

// A picture file being added to a lesson. Construction asks the user for the file (dialog
// "Укажите файл рисунка") and reads it whole into memory; toPicture turns it into the
// lesson's own picture.
class LessFile : public BmpRectFileDirect {
public:
    LessFile();
    ~LessFile() override;

    // The file's bytes were read completely.
    bool isStreamReady() const { return m_streamReady; }

    // The picture made from the file's bytes, not yet placed; it takes the bytes over (this
    // LessFile is left without them). None without the bytes. Raises Err
    // "Failed to load picture." when the bytes give no image or an empty one, or when the
    // file was too large to be read as a picture.
    std::unique_ptr<BmpRectStream> toPicture();

    // The caption derived from a file title: the first "gif", "GIF", "jpg", "JPG", "jpeg",
    // "JPEG", "bmp", "BMP", "tiff", "TIFF", "png", "PNG" (each where present) and then the
    // first "." removed, in that order.
    static QByteArray picNameFromTitle(const QByteArray& fileTitle);

private:
    QByteArray m_stream;
    bool m_streamReady = false;
    bool m_tooLarge = false;
};
