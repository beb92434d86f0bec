// Loads arbitrary bytes as a whole fragment file and as a lesson file, the way the plate view
// and the lesson view do: container, document, records, picture decoding, progress.
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "XmlStorage.h"

#include "BmpRectStream.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

class CountingSink final : public FragmentSink {
public:
    void append(std::unique_ptr<BmpRectStream> picture) override {
        // Touch what a view reads first.
        (void)picture->corners();
        (void)picture->width();
        ++pictures;
    }
    void setProgressRange(int, int maximum) override { range = maximum; }
    void stepProgress() override { ++steps; }
    int pictures = 0;
    int range = 0;
    int steps = 0;
};

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "fuzz_load";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

} // namespace

// libgsf 1.14.50 itself leaks a directory entry or two when it meets a damaged directory;
// not ours to fix. Matching needs full stacks at allocation (glib has no frame pointers),
// so the test script runs fuzzers with fast_unwind_on_malloc=0.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgsf-1.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    application();
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz_load_%1.frag").arg(::getpid()));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    XmlStorage storage;
    CountingSink fragment;
    store::loadFragment(storage, path, fragment);
    storage.close();
    CountingSink lesson;
    store::loadLesson(storage, path, lesson);
    storage.close();
    return 0;
}
