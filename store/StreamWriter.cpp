#include "StreamWriter.h"

#include "GsfSupport.h"

StreamWriter::StreamWriter(std::shared_ptr<gsfsupport::OpenOutput> output)
    : m_output(std::move(output)) {}

StreamWriter::StreamWriter(StreamWriter&&) noexcept = default;

StreamWriter& StreamWriter::operator=(StreamWriter&& other) noexcept {
    if (this != &other) {
        release();
        m_output = std::move(other.m_output);
    }
    return *this;
}

StreamWriter::~StreamWriter() {
    release();
}

bool StreamWriter::isOpen() const {
    return m_output && m_output->isOpen();
}

bool StreamWriter::write(const char* data, qsizetype size) {
    if (!isOpen() || size < 0)
        return false;
    if (size == 0)
        return true;
    gsfsupport::LogTrap trap;
    const bool ok = gsf_output_write(m_output->output.get(), size_t(size),
                                     reinterpret_cast<const guint8*>(data)) &&
                    !trap.trapped();
    if (!ok)
        m_output->failed = true;
    return ok;
}

void StreamWriter::release() {
    if (m_output)
        m_output->finish();
    m_output.reset();
}
