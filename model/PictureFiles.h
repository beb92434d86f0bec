#pragma once

#include "WindowServices.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Helpers shared by the pictures read from files the user picks.
namespace picturefiles {

// Files larger than this are not read: no picture a teacher adds comes near it, and the
// whole file is held in memory.
inline constexpr qint64 kMaxFileBytes = qint64(128) * 1024 * 1024;

// Title of the picture-file dialog and its filter (both letter cases: Linux file names are).
QString dialogTitle();
QString dialogFilter();

// Asks for one existing picture file with that dialog.
FileDialogResult askForPicture();

// Whether the file name ends in one of the dialog filter's picture extensions (any case).
bool hasPictureSuffix(const QString& fileName);

// The whole file, or nothing when it cannot be read or is too large.
std::optional<QByteArray> readWhole(const QString& path);

// "*" + the file's last modification time in seconds since 1970, as a decimal number.
QByteArray timeSuffix(const QString& path);

// A file title as code page 1251 text fit for a record: characters the code page lacks become
// '?', and '<' and '>' become '_' (records are written unescaped, so either would break the
// lesson file's XML).
QByteArray recordText(const QString& fileTitle);

// Keeps the last 31 characters: the name of a picture stream cannot be longer.
QByteArray cutToStreamName(const QByteArray& name);

// Removes the first occurrence of `part`, if any.
void removeFirst(QByteArray& text, const QByteArray& part);

} // namespace picturefiles
