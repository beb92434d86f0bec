#pragma once

#include "BmpRectFileDirect.h"

#include <QByteArray>
#include <memory>

class BmpRectStream;

// A picture file being added to a lesson. Construction asks the user for the file (dialog
// "Укажите файл рисунка"), or is given it (a file dropped on the lesson row), and reads it
// whole into memory; toPicture turns it into the lesson's own picture. Only a regular file
// (a link to one included) is read: a pipe or a device could block or never end.
//
// A file that cannot be read is told at once when it came from the dialog; one given by path
// keeps its message (readFailure) for the caller, who may gather those of a whole drop.
class LessFile : public BmpRectFileDirect {
public:
    LessFile();
    explicit LessFile(const QString& path);
    ~LessFile() override;

    // The file's bytes were read completely.
    bool isStreamReady() const { return m_streamReady; }
    // Why a file given by path was not read; empty when it was (or when nothing was chosen).
    QString readFailure() const { return m_readFailure; }

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
    void read(const QString& path, const QString& fileTitle);

    QByteArray m_stream;
    QString m_readFailure;
    bool m_streamReady = false;
    bool m_tooLarge = false;
};
