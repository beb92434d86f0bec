#include "GsfSupport.h"

#include <mutex>

namespace gsfsupport {

namespace {

thread_local LogTrap* t_currentTrap = nullptr;

} // namespace

struct LogTrapAccess {
    static void count(LogTrap* trap) { ++trap->m_count; }
};

namespace {

void trapHandler(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    if (t_currentTrap) {
        LogTrapAccess::count(t_currentTrap);
        return;
    }
    g_log_default_handler(domain, level, message, nullptr);
}

void installHandlers() {
    const auto levels = GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL);
    // "libgsf" carries the assertion failures of the generic input and output code,
    // "libgsf:msole" those of the compound-file reader and writer; some of libgsf's files
    // log without a domain ("Unable to get child"). Messages outside a trap go on to the
    // default handler as before.
    for (const char* domain : {"libgsf", "libgsf:msole", static_cast<const char*>(nullptr)})
        g_log_set_handler(domain, levels, trapHandler, nullptr);
}

} // namespace

void ensureInitialised() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        installHandlers();
    });
}

LogTrap::LogTrap() : m_outer(t_currentTrap) {
    ensureInitialised();
    t_currentTrap = this;
}

LogTrap::~LogTrap() {
    t_currentTrap = m_outer;
    if (m_outer && m_count > 0)
        LogTrapAccess::count(m_outer);
}

} // namespace gsfsupport

namespace gsfsupport {

void OpenOutput::finish() {
    if (!isOpen())
        return;
    LogTrap trap;
    if (!gsf_output_close(output.get()) || trap.trapped())
        failed = true;
}

} // namespace gsfsupport
