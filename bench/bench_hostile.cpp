// Hostile fragments, opened as the plate view opens them (loadFragment), each in a child
// process of this program so that its time and peak memory are its own:
//  - closers: "<Data><X>" then 200,000 times "</Object>" + "<Object type=...>" (7.6 MB): every
//    start tag's closer stands before it (goal ≤ 5 s);
//  - flood: 30 MB of "a>", 15 million tokens (goal ≤ 3 s and ≤ 400 MB peak);
//  - huge (only with --huge, it writes a 2 GB file): a 2 GB "xml" stream, which must be
//    refused without being read (goal: at once, and no more memory than an empty load).
// Prints for each: seconds, peak resident memory, records read, the messages shown.
#include "BmpRectStream.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "WindowServices.h"
#include "XmlStorage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int kTimeoutSeconds = 60;

qint64 statusKb(const char* field) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').front().toLongLong();
    return -1;
}

class CountingSink final : public FragmentSink {
public:
    void append(std::unique_ptr<BmpRectStream>) override { ++pictures; }
    void recordDone(RecordOutcome) override { ++records; }
    long long pictures = 0;
    long long records = 0;
};

class Messages final : public WindowServices {
public:
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons buttons,
                         MsgIcon) override {
        if (texts.size() < 3)
            texts << text;
        return safestAnswer(buttons);
    }
    FileDialogResult fileDialog(const FileDialogRequest&) override { return {}; }
    bool shellOpen(const QString&) override { return false; }
    bool showHelp(const QString&) override { return false; }
    QStringList texts;
};

// The child: one load, then its figures on one line.
int runLoad(const QString& file) {
    Messages messages;
    WindowServices::install(&messages);
    XmlStorage storage;
    CountingSink sink;
    QElapsedTimer clock;
    clock.start();
    store::loadFragment(storage, file, sink);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    QTextStream(stdout) << QString::number(seconds, 'f', 2) << " s, peak "
                        << statusKb("VmHWM:") / 1024 << " MB, " << sink.records << " records, "
                        << "messages: "
                        << (messages.texts.isEmpty() ? QStringLiteral("none")
                                                     : messages.texts.join(QStringLiteral(" | ")))
                        << '\n';
    WindowServices::install(nullptr);
    return 0;
}

// A fragment whose "xml" stream is `repeat` times `unit` after `head`, written in pieces.
bool writeFragment(const QString& path, const QByteArray& head, const QByteArray& unit,
                   qint64 repeat) {
    XmlStorage storage;
    storage.createLocalFile(path);
    XmlStorage::CreatedStream xml = storage.createPictureStream("xml");
    if (xml.result != XmlStorage::kOk || !xml.stream.write(head))
        return false;
    const qint64 perPiece = std::max<qint64>(1, (qint64(1) << 24) / unit.size());
    const QByteArray piece = unit.repeated(qsizetype(perPiece));
    for (qint64 done = 0; done < repeat; done += perPiece) {
        const QByteArray& bytes =
            repeat - done >= perPiece ? piece : unit.repeated(qsizetype(repeat - done));
        if (!xml.stream.write(bytes))
            return false;
    }
    xml.stream.release();
    return storage.close();
}

void measure(const char* label, const QString& file) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--load"), file});
    if (!child.waitForFinished(kTimeoutSeconds * 1000)) {
        child.kill();
        child.waitForFinished(-1);
        std::printf("%-8s did not finish in %d s\n", label, kTimeoutSeconds);
        return;
    }
    std::printf("%-8s %s", label, child.readAllStandardOutput().constData());
    if (child.exitCode() != 0)
        std::printf("         child failed: %s\n", child.readAllStandardError().constData());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--load"))
        return runLoad(args[2]);
    const bool huge = args.contains(QStringLiteral("--huge"));

    QTemporaryDir dir;
    const QString closers = dir.filePath(QStringLiteral("closers.frag"));
    const QString flood = dir.filePath(QStringLiteral("flood.frag"));
    const QString big = dir.filePath(QStringLiteral("huge.frag"));
    if (!writeFragment(closers, "<Data><X>", "</Object><Object type=\"BmpRectStream\">", 200000) ||
        !writeFragment(flood, QByteArray(), "a>", 15000000) ||
        (huge && !writeFragment(big, QByteArray(), "a>", qint64(1) << 30))) {
        std::fprintf(stderr, "cannot write the test files\n");
        return 1;
    }
    std::printf("closers: 7.6 MB of closers standing before their start tags (goal <= 5 s)\n");
    measure("closers", closers);
    std::printf("flood: 30 MB of \"a>\" (goal <= 3 s, <= 400 MB)\n");
    measure("flood", flood);
    if (huge) {
        std::printf("huge: a 2 GB \"xml\" stream (goal: refused at once, not read)\n");
        measure("huge", big);
    }
    return 0;
}
