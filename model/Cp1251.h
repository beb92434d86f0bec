#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Conversions at the boundary between code page 1251 bytes (how texts live in the model and
// in fragment and lesson files) and QString (the user interface).
//
// Code page 1251 cannot hold every character. Writing such a character into a file would
// silently change it, so the strict encoder refuses instead; callers decide what to tell the
// user. The lossy encoder is only for texts that never reach a file (messages).
namespace cp1251 {

QString toUnicode(const QByteArray& bytes);

// nullopt when the text holds a character that code page 1251 cannot represent.
std::optional<QByteArray> fromUnicode(const QString& text);

// Unrepresentable characters become '?'.
QByteArray fromUnicodeLossy(const QString& text);

bool canEncode(const QString& text);

// Upper-case form used to compare names without regard to letter case, as the stream
// names of compound files are compared. Works on Latin and Cyrillic letters of the code page.
QByteArray upper(const QByteArray& bytes);

} // namespace cp1251
