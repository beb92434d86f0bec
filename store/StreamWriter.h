#pragma once

#include <QByteArray>
#include <memory>

namespace gsfsupport {
struct OpenOutput;
}

// The caller's handle to a stream just created in a compound file (a picture stream, see
// XmlStorage::createPictureStream). Write the bytes, then let the handle go (or call
// release()): that completes the stream. Only one stream of a file is open at a time;
// creating the next stream or closing the container completes this one, after which
// write() fails. Move-only.
class StreamWriter {
public:
    StreamWriter() = default;
    explicit StreamWriter(std::shared_ptr<gsfsupport::OpenOutput> output);
    StreamWriter(StreamWriter&&) noexcept;
    StreamWriter& operator=(StreamWriter&&) noexcept;
    StreamWriter(const StreamWriter&) = delete;
    StreamWriter& operator=(const StreamWriter&) = delete;
    ~StreamWriter();

    bool isOpen() const;
    // Appends bytes at the end of what was written so far. False when the stream is no
    // longer open or the bytes could not be written; the container's close() then
    // reports the file as incomplete.
    bool write(const char* data, qsizetype size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    void release();

private:
    std::shared_ptr<gsfsupport::OpenOutput> m_output;
};
