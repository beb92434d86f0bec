#include "Err.h"

#include "Cp1251.h"

Err::Err(const char* utf8) : Err(QString::fromUtf8(utf8)) {}

Err::Err(const QString& text) : m_message(cp1251::fromUnicodeLossy(text)), m_utf8(text.toUtf8()) {}

Err Err::fromCp1251(const QByteArray& bytes) {
    Err e;
    e.m_message = bytes;
    e.m_utf8 = cp1251::toUnicode(bytes).toUtf8();
    return e;
}

QString Err::text() const {
    return cp1251::toUnicode(m_message);
}
