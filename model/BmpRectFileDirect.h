#pragma once

#include "BmpRect.h"

#include <QString>

// A picture read from a file, keeping the file's path. No behaviour of its own.
class BmpRectFileDirect : public BmpRect {
public:
    BmpRectFileDirect();
    ~BmpRectFileDirect() override;

    const QString& filePath() const { return m_filePath; }
    void setFilePath(const QString& path) { m_filePath = path; }

private:
    QString m_filePath;
};
