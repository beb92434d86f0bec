#pragma once

#include "BmpRect.h"

#include <QString>

// A picture chosen by the user from a file. Its constructor asks for the file (dialog
// "Укажите файл рисунка"); cancelling leaves an empty picture.
class BmpRectFile : public BmpRect {
public:
    BmpRectFile();
    ~BmpRectFile() override;

    // Reads and decodes the file; the picture keeps the bytes, so it does not depend on the
    // file afterwards. Sets bGif when the image has more than one frame. False, leaving the
    // picture without an image, when the file cannot be read or gives no image.
    bool loadFromFile(const QString& path);

    const QString& filePath() const { return m_filePath; }

private:
    QString m_filePath;
};
