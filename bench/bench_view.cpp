// Showing a topic in the plate strip: 40 plates of 1600 x 1200 JPEG (quality 85) in a fragment
// written by the program's own saver. Measures the time from showFragment (which returns at
// once) to the strip painted, against a single-threaded full-size decode of the same pictures
// (goal <= 0.5), and the longest stall of the event loop meanwhile (a 5 ms timer notes the gaps
// between its ticks; goal <= 50 ms). For comparison, the same file read by the blocking lesson
// loader, which runs no event loop at all.

#include "BmpRectStream.h"
#include "BusyPicture.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "KovrelView.h"
#include "LessonSaving.h"
#include "XmlStorage.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kPlates = 40;
constexpr int kPlateW = 1600;
constexpr int kPlateH = 1200;
constexpr int kRuns = 5;
constexpr int kTickMs = 5;
const QSize kPane(1400, 230);

QByteArray makePlate(int i) {
    return busyPicture(i, {kPlateW, kPlateH});
}

std::vector<QByteArray> writeFragment(const QString& path) {
    std::vector<std::unique_ptr<BmpRectStream>> owned;
    std::vector<const Shape*> shapes;
    std::vector<QByteArray> jpegs;
    double x = 0;
    for (int i = 0; i < kPlates; ++i) {
        auto p = std::make_unique<BmpRectStream>();
        jpegs.push_back(makePlate(i));
        p->loadFromStream(jpegs.back(), "plate" + QByteArray::number(i), {x, 0}, {x, 100});
        p->setPicName("plate" + QByteArray::number(i));
        p->setBFrame(true);
        x = p->corner(1).x + 30;
        shapes.push_back(p.get());
        owned.push_back(std::move(p));
    }
    XmlStorage storage;
    if (!store::saveLesson(storage, path, shapes))
        qFatal("cannot write the fragment");
    return jpegs;
}

// The best of three single-threaded full-size decodes of every picture, one after another.
double fullDecodeMs(const std::vector<QByteArray>& jpegs) {
    double best = 1e100;
    for (int rep = 0; rep < 3; ++rep) {
        QElapsedTimer t;
        t.start();
        for (const QByteArray& bytes : jpegs)
            if (QImage::fromData(bytes).isNull())
                qFatal("a plate does not decode");
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

struct Run {
    double totalMs = 0;
    double loadedMs = 0; // showFragment returned
    double longestStallMs = 0;
    double longestBusyMs = 0; // UI-thread CPU time between two ticks
    int ticks = 0;
};

// Ticks every kTickMs and keeps the longest gap between two ticks (or between start and the
// first tick, or the last tick and stop).
// CPU time of the calling thread, ns: what the UI thread itself spent, whatever the load of
// the machine (wall-clock stalls also count the time other processes had the cores).
qint64 threadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

class StallMeter {
public:
    StallMeter() {
        m_timer.setInterval(kTickMs);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_lastCpu = threadCpuNs();
        m_longestCpu = 0;
        m_ticks = 0;
        m_timer.start();
    }
    double stop() {
        tick();
        --m_ticks;
        m_timer.stop();
        return m_longest / 1e6;
    }
    int ticks() const { return m_ticks; }
    double longestBusyMs() const { return m_longestCpu / 1e6; }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        if (now - m_last > 20'000'000 && qEnvironmentVariableIsSet("BENCH_GAPS"))
            std::printf("  gap %.1f ms ending at %.1f ms\n", (now - m_last) / 1e6, now / 1e6);
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
        const qint64 cpu = threadCpuNs();
        m_longestCpu = std::max(m_longestCpu, cpu - m_lastCpu);
        m_lastCpu = cpu;
        ++m_ticks;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longestCpu = 0;
    int m_ticks = 0;
};

class CountingSink : public FragmentSink {
public:
    void append(std::unique_ptr<BmpRectStream> picture) override {
        pictures.push_back(std::move(picture));
    }
    std::vector<std::unique_ptr<BmpRectStream>> pictures;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString path = dir.filePath("bench.frag");
    std::printf("writing a fragment of %d plates of %dx%d JPEG q85...\n", kPlates, kPlateW,
                kPlateH);
    const std::vector<QByteArray> jpegs = writeFragment(path);
    const double fullMs = fullDecodeMs(jpegs);

    KovrelView view;
    view.resize(kPane);
    view.show();
    QApplication::processEvents();

    StallMeter meter;
    std::vector<Run> runs;
    for (int r = 0; r < kRuns; ++r) {
        view.showFragment(QString()); // each run starts from an empty strip
        QApplication::processEvents();
        meter.start();
        QElapsedTimer t;
        t.start();
        view.showFragment(path);
        const double loadedMs = t.nsecsElapsed() / 1e6;
        while (view.isLoading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        view.viewport()->repaint(); // the strip painted
        Run run;
        run.loadedMs = loadedMs;
        run.totalMs = t.nsecsElapsed() / 1e6;
        run.longestStallMs = meter.stop();
        run.ticks = meter.ticks();
        run.longestBusyMs = meter.longestBusyMs();
        runs.push_back(run);
        if (view.scene().shapes().size() != std::size_t(kPlates))
            qFatal("the strip does not hold every plate");
    }

    view.showFragment(QString()); // lets the fragment go: the view held it open
    std::vector<double> blocking;
    for (int r = 0; r < kRuns; ++r) {
        XmlStorage storage;
        CountingSink sink;
        QElapsedTimer t;
        t.start();
        store::loadLesson(storage, path, sink);
        blocking.push_back(t.nsecsElapsed() / 1e6);
    }

    std::vector<double> totals;
    std::vector<double> stalls;
    std::vector<double> busy;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Run& run = runs[i];
        std::printf("run %zu: showFragment returned after %.1f ms, painted after %.1f ms, "
                    "longest stall %.1f ms (UI thread busy %.1f ms), %d ticks\n",
                    i + 1, run.loadedMs, run.totalMs, run.longestStallMs, run.longestBusyMs,
                    run.ticks);
        busy.push_back(run.longestBusyMs);
        totals.push_back(run.totalMs);
        stalls.push_back(run.longestStallMs);
    }
    const double total = median(totals);
    const double stall = median(stalls);
    const double worstStall = *std::max_element(stalls.begin(), stalls.end());
    const double block = median(blocking);
    std::printf("single-thread full decode of the same pictures: %.1f ms\n", fullMs);
    std::printf("median showFragment to painted: %.1f ms, ratio %.3f (goal <= 0.5: %s)\n", total,
                total / fullMs, total / fullMs <= 0.5 ? "met" : "NOT met");
    std::printf("median longest stall: %.1f ms, worst %.1f ms (goal <= 50 ms: %s)\n", stall,
                worstStall, stall <= 50 ? "met" : "NOT met");
    std::printf("median longest UI-thread busy time between ticks: %.1f ms\n", median(busy));
    std::printf("blocking load of the same file (no event loop): %.1f ms\n", block);
    std::printf("ratio longest stall / blocking load: %.3f\n", stall / block);
    return 0;
}
