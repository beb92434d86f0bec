#pragma once

#include <QByteArray>

// "price.rtf": the publisher's price list, opened from the start page. Plain RTF 1 with the
// Cyrillic text as \'xx escapes of code page 1251, so any RTF reader shows it.
namespace rtf {

QByteArray priceList();

// RTF text for a UTF-8/Unicode string: control characters of RTF escaped, every byte above
// 0x7F of its code page 1251 form written as \'xx.
QByteArray escape(const QString& text);

} // namespace rtf
