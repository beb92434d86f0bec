#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The program's one exception type. The message is kept as code page 1251 bytes, the way
// every text lives in the model and the files; the catching code shows text() to the user.
class Err : public std::exception {
public:
    // From a literal or other UTF-8 text written in the source code.
    explicit Err(const char* utf8);
    explicit Err(const QString& text);
    // From bytes that are already code page 1251.
    static Err fromCp1251(const QByteArray& bytes);

    const QByteArray& message() const { return m_message; }
    QString text() const;
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    Err() = default;
    QByteArray m_message; // cp1251
    QByteArray m_utf8;    // the same text for what()
};
