#pragma once

// Small helpers around libgsf for the container. Internal to the store library.

// glib's headers use "signals" as a field name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gsf/gsf.h>
#pragma pop_macro("signals")

#include <utility>

namespace gsfsupport {

// gsf_init() once per process.
void ensureInitialised();

// Owns one GObject reference.
template <typename T> class Ref {
public:
    Ref() = default;
    explicit Ref(T* adopted) : m_p(adopted) {}
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    Ref& operator=(Ref&& o) noexcept {
        if (this != &o)
            reset(std::exchange(o.m_p, nullptr));
        return *this;
    }
    ~Ref() { reset(); }

    void reset(T* adopted = nullptr) {
        if (m_p)
            g_object_unref(m_p);
        m_p = adopted;
    }
    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// While alive, catches the warnings and criticals libgsf logs on this thread and counts
// them instead of printing. libgsf reports some damage only this way (a directory that
// refers back to itself is read on with a CRITICAL), so a call made inside a trap counts
// as failed when trapped() is true afterwards. Traps nest.
class LogTrap {
public:
    LogTrap();
    LogTrap(const LogTrap&) = delete;
    LogTrap& operator=(const LogTrap&) = delete;
    ~LogTrap();

    bool trapped() const { return m_count > 0; }

private:
    friend struct LogTrapAccess;
    LogTrap* m_outer;
    int m_count = 0;
};

} // namespace gsfsupport

namespace gsfsupport {

// One stream being written into a compound file. Shared between the container, which
// closes it before the next stream is created or the file is finished, and the
// StreamWriter handed to the caller.
struct OpenOutput {
    Ref<GsfOutput> output;
    bool failed = false; // a write or the close went wrong: the file is incomplete

    bool isOpen() const { return output && !gsf_output_is_closed(output.get()); }
    // Completes the stream (libgsf lays a small stream out only when it is closed).
    void finish();
};

} // namespace gsfsupport
