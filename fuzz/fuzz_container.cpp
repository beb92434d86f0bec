// Opens arbitrary bytes as a fragment file: open for reading (parsing "xml") and for update,
// list the root's streams and read every one of them, close. Any crash, hang, leak or
// allocation beyond the input's size is a finding.

#include "Cp1251.h"
#include "Err.h"
#include "XmlStorage.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

const QString& inputPath() {
    // One file per fuzzing process, removed at exit.
    static const QString path = [] {
        const QString p = QStringLiteral("/tmp/fuzz_container_%1.frag").arg(::getpid());
        std::atexit([] { std::remove(inputPath().toLocal8Bit().constData()); });
        return p;
    }();
    return path;
}

void readEverything(XmlStorage& storage) {
    for (const XmlStorage::StreamEntry& entry : storage.rootStreams()) {
        const std::optional<QByteArray> name = cp1251::fromUnicode(entry.name);
        if (!name)
            continue;
        try {
            const QByteArray bytes = storage.openPictureStream(*name);
            if (bytes.size() > entry.size && entry.size >= 0)
                std::abort();                 // more bytes than the directory promised
            storage.openPictureStream(*name); // from the cache
        } catch (const Err&) {
        }
    }
}

} // namespace

// libgsf 1.14.50 itself leaks a directory entry or two when it meets a damaged directory
// (shown by a plain C program that only opens and unrefs); not ours to fix.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgsf-1.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString& path = inputPath();
    {
        std::FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
        if (!f)
            return 0;
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    XmlStorage storage;
    try {
        storage.openLocalForReading(path);
    } catch (const Err&) {
    }
    readEverything(storage);
    storage.close();

    try {
        storage.openLocalForUpdate(path);
        storage.readXmlStream(QStringLiteral("xml"));
    } catch (const Err&) {
    }
    readEverything(storage);
    storage.close();
    return 0;
}
