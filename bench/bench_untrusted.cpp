// Lessons from other people, made to cost the program far more than their size, each opened in
// a child process of this program (so its time and memory are its own) in the real lesson row,
// with every picture then clicked into the real preview and left to play:
//  - canvas: 8 GIFs of 2.4 KB whose logical screen is 65535 x 1024 and whose 100 frames are
//    one pixel each;
//  - scans: one 1 MB progressive JPEG of 4096 x 4096 with 37,000 scans of end-of-band runs;
//  - names: 10,000 pictures whose records name their streams in another letter case;
//  - screen4 (beyond the files): 8 GIFs of 2.4 KB whose screen is 2048 x 2048, just
//    within the limits, and whose 100 frames are one pixel each (each costs a 16 MB canvas).
// Goals: each opens to its pictures or its message in <= 1 s and <= 256 MB above an empty
// lesson's load; the event loop never stalls for more than 100 ms while it loads, is shown or
// plays. Also the blocking loader alone on the names lesson (goal <= 0.3 s).
// Options: --only NAME runs one lesson; --keep DIR writes the lessons there (and leaves them);
// --write-corpus DIR writes the small regression inputs of the picture fuzz target there.
#include "BmpRectStream.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "HostileImages.h"
#include "LessView.h"
#include "ObjectRecord.h"
#include "PictureImage.h"
#include "PreView.h"
#include "ScriptedWindowServices.h"
#include "XmlStorage.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kTimeoutSeconds = 300;
constexpr double kOpenGoalSeconds = 1.0;
constexpr double kLoaderGoalSeconds = 0.3;
constexpr qint64 kMemoryGoalMB = 256;
constexpr double kStallGoalMs = 100.0;
constexpr int kClicks = 8;
constexpr int kPlayMs = 600;

qint64 peakMB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong() / 1024;
    return -1;
}

struct Picture {
    QByteArray recordName;
    QByteArray streamName;
    QByteArray bytes;
    QSize pixels;
    bool gif = false;
};

void writeLesson(const QString& path, const std::vector<Picture>& pictures) {
    XmlStorage storage;
    storage.createLocalFile(path);
    storage.createRoot("Data");
    storage.addElement(storage.root(), "Pictures");
    double x = 0;
    for (const Picture& p : pictures) {
        BmpRectStream outline;
        outline.placeOutline(p.pixels, p.recordName, {x, 0}, {x, 10});
        outline.setBGif(p.gif);
        ObjectRecord::fromPicture(outline).write(storage);
        x += p.pixels.width() + 30;
    }
    storage.writeXmlStream(QStringLiteral("xml"), storage.serialize());
    for (const Picture& p : pictures) {
        XmlStorage::CreatedStream s = storage.createPictureStream(p.streamName);
        if (s.result != XmlStorage::kOk || !s.stream.write(p.bytes))
            qFatal("cannot write stream %s", p.streamName.constData());
        s.stream.release();
    }
    if (!storage.close())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray tinyPng() {
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class CountingSink final : public FragmentSink {
public:
    void append(std::unique_ptr<BmpRectStream>) override { ++pictures; }
    void recordDone(RecordOutcome) override {}
    int pictures = 0;
};

// The blocking loader alone, as tools and tests run it.
int runLoader(const QString& file) {
    ScriptedWindowServices services;
    XmlStorage storage;
    CountingSink sink;
    QElapsedTimer clock;
    clock.start();
    store::loadLesson(storage, file, sink);
    std::printf("%.2f s, %d pictures\n", clock.nsecsElapsed() / 1e9, sink.pictures);
    return 0;
}

// The lesson in the real row, each picture then clicked into the real preview; a timer meanwhile
// measures the longest gap between its ticks.
int runOpen(const QString& file) {
    PictureImage::setDrawingWithoutDecoding(true); // as the program runs
    ScriptedWindowServices services;
    LessView row;
    row.resize(1400, 200);
    PreView preview(QStringLiteral("/nonexistent/"));
    preview.resize(1024, 700);
    row.show();
    preview.show();
    if (!QTest::qWaitForWindowExposed(&row) || !QTest::qWaitForWindowExposed(&preview))
        qFatal("windows not exposed");
    QCoreApplication::processEvents();

    QElapsedTimer sinceTick;
    QElapsedTimer clock;
    double longestMs = 0;
    double longestEndedS = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double gap = sinceTick.nsecsElapsed() / 1e6;
        if (gap > longestMs) {
            longestMs = gap;
            longestEndedS = clock.nsecsElapsed() / 1e9;
        }
        sinceTick.restart();
    });
    auto runFor = [](int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    };

    sinceTick.start();
    ticker.start();
    clock.start();
    row.lesson().loadLessonFile(file);
    while (row.scene().isLoading() && clock.elapsed() < kTimeoutSeconds * 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    row.viewport()->repaint();
    const double openSeconds = clock.nsecsElapsed() / 1e9;
    auto longestSoFar = [&] { return std::max(longestMs, sinceTick.nsecsElapsed() / 1e6); };
    const double loadStallMs = longestSoFar();
    const int pictures = int(row.scene().shapes().size());

    double slowestClickMs = 0;
    int clicked = 0;
    for (Shape* shape : row.scene().shapes()) {
        auto* picture = dynamic_cast<BmpRectStream*>(shape);
        if (!picture || clicked == kClicks)
            break;
        ++clicked;
        QElapsedTimer click;
        click.start();
        const int paints = preview.paintCount();
        preview.showPicture(picture->clone());
        while (preview.paintCount() == paints && click.elapsed() < kTimeoutSeconds * 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        slowestClickMs = std::max(slowestClickMs, click.nsecsElapsed() / 1e6);
        runFor(kPlayMs);
    }
    runFor(kPlayMs); // full decodes still running arrive and are painted
    longestMs = longestSoFar();
    ticker.stop();

    QStringList texts;
    for (const auto& m : services.messages)
        texts << m.text;
    texts.removeDuplicates();
    std::printf(
        "open %.2f s, %d pictures, load stall %.0f ms, %d clicks (slowest to "
        "painted %.0f ms), longest stall %.0f ms (ended %.2f s after the open began), rss %lld "
        "MB; messages: %s\n",
        openSeconds, pictures, loadStallMs, clicked, slowestClickMs, longestMs, longestEndedS,
        peakMB(), texts.isEmpty() ? "none" : qPrintable(texts.join(QStringLiteral(" | "))));
    return 0;
}

struct ChildResult {
    bool finished = false;
    QByteArray line;
};

ChildResult child(const QString& mode, const QString& file) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {mode, file});
    if (!p.waitForFinished(kTimeoutSeconds * 1000)) {
        p.kill();
        p.waitForFinished(-1);
        return {};
    }
    return {p.exitCode() == 0, p.readAllStandardOutput().trimmed()};
}

double field(const QByteArray& line, const QByteArray& before, const QByteArray& after) {
    const qsizetype at = line.indexOf(before);
    if (at < 0)
        return -1;
    const qsizetype from = at + before.size();
    const qsizetype to = line.indexOf(after, from);
    return line.mid(from, to - from).trimmed().toDouble();
}

const char* verdict(bool ok) {
    return ok ? "PASS" : "FAIL";
}

void writeCorpus(const QString& dir) {
    auto put = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir + QLatin1Char('/') + QLatin1String(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", name);
    };
    put("regression-canvas-gif", hostile::canvasGif(65535, 1024, 100));
    put("regression-many-scans-jpeg", hostile::manyScanJpeg(512, 600));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--open"))
        return runOpen(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--loader"))
        return runLoader(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--write-corpus")) {
        writeCorpus(args[2]);
        return 0;
    }
    const qsizetype only = args.indexOf(QStringLiteral("--only"));
    const QString chosen = only > 0 && only + 1 < args.size() ? args[only + 1] : QString();

    const qsizetype keep = args.indexOf(QStringLiteral("--keep"));
    QTemporaryDir temporary;
    const QDir dir(keep > 0 && keep + 1 < args.size() ? args[keep + 1] : temporary.path());
    const QString empty = dir.filePath(QStringLiteral("empty.les"));
    const QString canvas = dir.filePath(QStringLiteral("canvas.les"));
    const QString scans = dir.filePath(QStringLiteral("scans.les"));
    const QString names = dir.filePath(QStringLiteral("names.les"));
    const QString screen4 = dir.filePath(QStringLiteral("screen4.les"));
    writeLesson(empty, {});
    {
        std::vector<Picture> gifs;
        for (int i = 0; i < 8; ++i)
            gifs.push_back({"canvas" + QByteArray::number(i), "canvas" + QByteArray::number(i),
                            hostile::canvasGif(65535, 1024, 100), QSize(1, 1), true});
        writeLesson(canvas, gifs);
        for (Picture& gif : gifs)
            gif.bytes = hostile::canvasGif(2048, 2048, 100);
        writeLesson(screen4, gifs);
        writeLesson(scans, {{"scans", "scans", hostile::manyScanJpeg(4096, 37000),
                             QSize(4096, 4096), false}});
        std::vector<Picture> many;
        const QByteArray png = tinyPng();
        for (int i = 0; i < 10000; ++i)
            many.push_back({"pic" + QByteArray::number(i), "PIC" + QByteArray::number(i), png,
                            QSize(16, 12), false});
        writeLesson(names, many);
    }
    std::printf("sizes: canvas GIF %lld bytes, lesson %lld; scans JPEG lesson %lld; names "
                "lesson %lld\n",
                qint64(hostile::canvasGif(65535, 1024, 100).size()), QFile(canvas).size(),
                QFile(scans).size(), QFile(names).size());

    const ChildResult base = child(QStringLiteral("--open"), empty);
    const double baseMB = field(base.line, "rss ", " MB; messages");
    std::printf("empty    %s\n", base.line.constData());

    bool all = true;
    for (const auto& [label, file] : {std::pair{"canvas", canvas}, std::pair{"scans", scans},
                                      std::pair{"names", names}, std::pair{"screen4", screen4}}) {
        if (!chosen.isEmpty() && chosen != QLatin1String(label))
            continue;
        const ChildResult r = child(QStringLiteral("--open"), file);
        if (!r.finished) {
            std::printf("%-8s did not finish in %d s: FAIL\n", label, kTimeoutSeconds);
            all = false;
            continue;
        }
        const double open = field(r.line, "open ", " s,");
        const double stall = field(r.line, "longest stall ", " ms");
        const double above = field(r.line, "rss ", " MB; messages") - baseMB;
        const bool ok = open <= kOpenGoalSeconds && above <= kMemoryGoalMB && stall <= kStallGoalMs;
        all = all && ok;
        std::printf("%-8s %s\n         open %s, memory %.0f MB above an empty load %s, "
                    "longest stall %s\n",
                    label, r.line.constData(), verdict(open <= kOpenGoalSeconds), above,
                    verdict(above <= kMemoryGoalMB), verdict(stall <= kStallGoalMs));
        if (QLatin1String(label) == QLatin1String("names")) {
            const ChildResult loader = child(QStringLiteral("--loader"), file);
            const double seconds = field(loader.line, "", " s,");
            std::printf("loader   %s  %s\n", loader.line.constData(),
                        verdict(loader.finished && seconds <= kLoaderGoalSeconds));
            all = all && loader.finished && seconds <= kLoaderGoalSeconds;
        }
    }
    std::printf("overall: %s\n", verdict(all));
    return 0;
}
