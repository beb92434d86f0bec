// Start-up and the first topic, the whole program on the generated demo content:
//  - process start to the window painted (its first expose handled, the panes drawn; goal
//    <= 300 ms) and to the start page shown (the topic pane's loadFinished; goal <= 700 ms):
//    wall clock from the spawn of a child process (this program with --child) to its reports,
//    and the child's own split from main(): QApplication made, frame shown, window painted,
//    start page loaded, with the process's CPU time at each (less disturbed than the wall
//    clock when other programs share the cores);
//  - a topic click (the def1 link clicked by a script in the page, so the browser raises the
//    navigation as for the mouse) to the 40-plate strip painted, first in the process and
//    repeated (start page reloaded between, which empties the strip);
//  - the longest stall of the event loop from the click to the strip painted: a 5 ms timer
//    notes the gaps between its ticks (goal <= 50 ms), with the UI thread's own CPU time in the
//    longest gap (the rest of a gap is time other processes had the cores);
//  - the click-to-painted time against a single-threaded full-size decode of the same 40
//    pictures (goal <= 0.5).
// Prints every run and the medians. Run by hand (not a test), on an X display:
//   xvfb-run -a -s "-screen 0 1600x900x24" build/bench/bench_startup [runs]
// or without one (offscreen, as the program's --screenshot does).

#include "BmpRect.h"
#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "HtmlView.h"
#include "KovrelView.h"
#include "ObjectRecord.h"
#include "PaneViews.h"
#include "WindowServices.h"
#include "XmlStorage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <QWebEnginePage>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kDefaultRuns = 5;
constexpr int kTopicRepeats = 3; // topic loads per child process
constexpr int kTickMs = 5;
constexpr int kStallGoalMs = 50;
constexpr int kExpectedPlates = 40;
constexpr int kWaitMs = 120000;
const QString kContent = QStringLiteral(TM_CONTENT_DIR "/");

QElapsedTimer g_sinceMain; // started first thing in main()

double ms(qint64 ns) {
    return ns / 1e6;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// CPU time of the whole process (every thread), ns.
qint64 processCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// CPU time of the calling thread, ns.
qint64 threadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Ticks every kTickMs and keeps the longest gap between two ticks (or between start and the
// first tick, or the last tick and stop), and the UI thread's CPU time within that gap.
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
        m_busyInLongest = 0;
        m_lastPhase = m_phase ? m_phase() : '?';
        m_longestPhases.clear();
        m_phaseSeenNs.clear();
        m_timer.start();
    }
    void stop() {
        tick();
        m_timer.stop();
    }
    // What the program was doing, asked at every tick; the longest gap keeps its two ends.
    void setPhase(std::function<char()> phase) { m_phase = std::move(phase); }
    QString longestPhases() const { return m_longestPhases; }
    double longestMs() const { return ms(m_longest); }
    double busyInLongestMs() const { return ms(m_busyInLongest); }
    // When a tick first saw the phase, ms from start; -1 when never.
    double firstSeenMs(char phase) const {
        const auto it = m_phaseSeenNs.find(phase);
        return it == m_phaseSeenNs.end() ? -1.0 : ms(it->second);
    }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        const char phase = m_phase ? m_phase() : '?';
        m_phaseSeenNs.emplace(phase, now);
        if (now - m_last > m_longest) {
            m_longest = now - m_last;
            m_busyInLongest = cpu - m_lastCpu;
            m_longestPhases =
                QStringLiteral("%1%2@%3").arg(m_lastPhase).arg(phase).arg(ms(now), 0, 'f', 0);
        }
        m_last = now;
        m_lastCpu = cpu;
        m_lastPhase = phase;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_lastCpu = 0;
    qint64 m_busyInLongest = 0;
    std::function<char()> m_phase;
    char m_lastPhase = '?';
    QString m_longestPhases;
    std::map<char, qint64> m_phaseSeenNs;
};

// Every message is printed for the parent to show; nothing waits for a user.
class PrintingWindowServices final : public WindowServices {
public:
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons buttons,
                         MsgIcon) override {
        std::printf("message %s\n", qPrintable(QString(text).replace('\n', ' ')));
        std::fflush(stdout);
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
    }
    FileDialogResult fileDialog(const FileDialogRequest&) override { return {}; }
    bool shellOpen(const QString&) override { return false; }
    bool showHelp(const QString&) override { return false; }
};

bool waitFor(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

int pictureCount(const KovrelView& view) {
    int n = 0;
    for (const ::Shape* s : view.scene().shapes())
        n += dynamic_cast<const BmpRect*>(s) != nullptr;
    return n;
}

// Notes when the strip has been painted (and the window flushed) with every plate loaded.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(KovrelView& view) : m_view(view) {
        view.viewport()->installEventFilter(this);
    }
    void arm(const QElapsedTimer* clock) {
        m_clock = clock;
        m_paintedNs = -1;
    }
    qint64 paintedNs() const { return m_paintedNs; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_clock && m_paintedNs < 0 && !m_view.isLoading() &&
            pictureCount(m_view) == kExpectedPlates) {
            // A zero timer runs once this paint and the window's flush are through.
            const QElapsedTimer* clock = m_clock;
            m_clock = nullptr;
            QTimer::singleShot(0, this, [this, clock] { m_paintedNs = clock->nsecsElapsed(); });
        }
        return false;
    }

private:
    KovrelView& m_view;
    const QElapsedTimer* m_clock = nullptr;
    qint64 m_paintedNs = -1;
};

// Calls back once, at the first expose event that leaves the window exposed.
class ExposeWatch : public QObject {
public:
    ExposeWatch(QWindow* window, std::function<void()> exposed)
        : m_window(window), m_exposed(std::move(exposed)) {
        if (m_window)
            m_window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose && m_exposed && m_window->isExposed()) {
            m_exposed();
            m_exposed = {};
        }
        return false;
    }

private:
    QWindow* m_window;
    std::function<void()> m_exposed;
};

bool displayAvailable() {
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty() ||
           !qgetenv("QT_QPA_PLATFORM").isEmpty();
}

// One process: the program's start-up as main() does it, then the topic loads. Reports on
// stdout, one line per figure set.
int runChild(int argc, char** argv) {
    // As the program's main(): offscreen (without the GPU) when there is no display, the
    // browser's sandbox off only as root.
    if (!displayAvailable())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TrevalonMedia"));
    const qint64 appNs = g_sinceMain.nsecsElapsed();
    const qint64 appCpu = processCpuNs();

    PrintingWindowServices services;
    WindowServices::install(&services);
    const auto uninstall = qScopeGuard([] { WindowServices::install(nullptr); });
    CKovrelApp kovrel(kContent);
    if (!kovrel.initInstance({}))
        return 1;
    const qint64 frameNs = g_sinceMain.nsecsElapsed();
    const qint64 frameCpu = processCpuNs();
    CMainFrame* frame = kovrel.mainFrame();
    HtmlView* html = nullptr;
    int pagesLoaded = 0;
    const auto watchPage = [&](HtmlView* view) {
        html = view;
        QObject::connect(html, &HtmlView::loadFinished, [&](bool ok) {
            if (!ok)
                std::printf("message the page did not load\n");
            ++pagesLoaded;
        });
    };
    if (frame->hasHtmlView())
        watchPage(frame->htmlView());
    else
        QObject::connect(frame, &CMainFrame::htmlViewMade, watchPage);
    // Painted: the first expose of the window has been handled (the widgets paint and flush
    // inside it) and the event loop has come round once.
    qint64 paintedNs = -1, paintedCpu = -1;
    ExposeWatch expose(frame->windowHandle(), [&] {
        QTimer::singleShot(0, [&] {
            paintedNs = g_sinceMain.nsecsElapsed();
            paintedCpu = processCpuNs();
        });
    });
    if (!waitFor([&] { return pagesLoaded > 0 && paintedNs >= 0; }))
        return 1;
    std::printf("startup qapp=%.1f frame=%.1f painted=%.1f page=%.1f cpuqapp=%.1f "
                "cpuframe=%.1f cpupainted=%.1f cpupage=%.1f\n",
                ms(appNs), ms(frameNs), ms(paintedNs), ms(g_sinceMain.nsecsElapsed()), ms(appCpu),
                ms(frameCpu), ms(paintedCpu), ms(processCpuNs()));
    std::fflush(stdout);
    KovrelView* plate = kovrel.views()->plateView();

    StallMeter meter;
    PaintWatch watch(*plate);
    // w: waiting for the link's decision, l: loading, d: loaded, not yet painted.
    meter.setPhase([&] {
        return plate->isLoading() ? 'l' : pictureCount(*plate) == 0 ? 'w' : 'd';
    });
    for (int run = 0; run < kTopicRepeats; ++run) {
        if (run > 0) {
            const int before = pagesLoaded;
            html->load(html->startPageUrl()); // its own decision empties the strip
            if (!waitFor([&] { return pagesLoaded > before && pictureCount(*plate) == 0; }))
                return 1;
            QCoreApplication::processEvents();
        }
        QElapsedTimer clock;
        clock.start();
        watch.arm(&clock);
        meter.start();
        const qint64 cpuAtClick = threadCpuNs();
        html->page()->runJavaScript(
            QStringLiteral("document.querySelector('a[href=\"def1.htm\"]').click()"));
        const bool painted = waitFor([&] { return watch.paintedNs() >= 0; });
        const qint64 cpuNs = threadCpuNs() - cpuAtClick;
        meter.stop();
        if (!painted) {
            std::printf("message the strip was not painted with %d plates (%d)\n", kExpectedPlates,
                        pictureCount(*plate));
            return 1;
        }
        std::printf("topic run=%d painted=%.1f stall=%.1f busy=%.1f loading=%.1f loaded=%.1f "
                    "cpu=%.1f phases=%s\n",
                    run, ms(watch.paintedNs()), meter.longestMs(), meter.busyInLongestMs(),
                    meter.firstSeenMs('l'), meter.firstSeenMs('d'), ms(cpuNs),
                    qPrintable(meter.longestPhases()));
        std::fflush(stdout);
    }
    return 0;
}

// The best of three single-threaded full-size decodes of the topic's pictures, one after
// another; 0 when the fragment cannot be read.
double fullDecodeMs(const QString& fragment) {
    std::vector<QByteArray> pictures;
    try {
        XmlStorage storage;
        storage.openLocalForReading(fragment);
        for (const XmlRange& r : storage.findChildren(storage.documentRange(), "Object")) {
            const auto record =
                ObjectRecord::readFields(storage, r, ObjectRecord::Accept::FragmentTypes);
            if (record)
                pictures.push_back(storage.openPictureStream(record->name));
        }
    } catch (...) {
        return 0.0;
    }
    double best = 1e100;
    for (int rep = 0; rep < 3; ++rep) {
        QElapsedTimer t;
        t.start();
        for (const QByteArray& bytes : pictures)
            if (QImage::fromData(bytes).isNull())
                return 0.0;
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// The figures of one child's line "key a=1 b=2".
std::map<QString, double> fieldsOf(const QString& line) {
    std::map<QString, double> out;
    const QStringList parts = line.split(' ', Qt::SkipEmptyParts);
    for (const QString& part : parts.mid(1)) {
        const qsizetype eq = part.indexOf('=');
        if (eq > 0)
            out[part.left(eq)] = part.mid(eq + 1).toDouble();
    }
    return out;
}

int runParent(int runs) {
    std::printf("content %s, %s, %d processes, %d topic loads each\n", qPrintable(kContent),
                displayAvailable() ? "on the display" : "offscreen", runs, kTopicRepeats);
    std::vector<double> spawnToPage, spawnToPainted, inQApp, inFrame, inPainted, inPage;
    std::vector<double> cpuQApp, cpuFrame, cpuPainted, cpuPage;
    std::vector<double> firstTopic, repeatTopic, stalls, busy, loadingSeen, loadedSeen, uiCpu;
    int messages = 0;
    for (int r = 0; r < runs; ++r) {
        QProcess child;
        // The browser engine's chatter on stderr is dropped unless asked for.
        if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        else
            child.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        if (!child.waitForStarted()) {
            std::fprintf(stderr, "cannot start a child: %s\n", qPrintable(child.errorString()));
            return 1;
        }
        QByteArray pending;
        bool finished = false;
        while (!finished) {
            finished = child.waitForFinished(0) || child.state() == QProcess::NotRunning;
            if (!finished)
                child.waitForReadyRead(50);
            const qint64 now = clock.nsecsElapsed();
            pending += child.readAllStandardOutput();
            qsizetype nl;
            while ((nl = pending.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(pending.left(nl));
                pending.remove(0, nl + 1);
                const auto f = fieldsOf(line);
                if (line.startsWith("startup")) {
                    // The child's clock starts in its main(); the time before it is the same
                    // for both figures.
                    const double beforeMain = ms(now) - f.at("page");
                    spawnToPage.push_back(ms(now));
                    spawnToPainted.push_back(beforeMain + f.at("painted"));
                    inQApp.push_back(f.at("qapp"));
                    inFrame.push_back(f.at("frame"));
                    inPainted.push_back(f.at("painted"));
                    inPage.push_back(f.at("page"));
                    cpuQApp.push_back(f.at("cpuqapp"));
                    cpuFrame.push_back(f.at("cpuframe"));
                    cpuPainted.push_back(f.at("cpupainted"));
                    cpuPage.push_back(f.at("cpupage"));
                    std::printf("process %d: window painted %.1f ms, start page shown %.1f ms "
                                "after the spawn (in the process: QApplication %.1f, frame "
                                "shown %.1f, painted %.1f, page loaded %.1f ms; process CPU "
                                "%.1f, %.1f, %.1f, %.1f ms)\n",
                                r + 1, beforeMain + f.at("painted"), ms(now), f.at("qapp"),
                                f.at("frame"), f.at("painted"), f.at("page"), f.at("cpuqapp"),
                                f.at("cpuframe"), f.at("cpupainted"), f.at("cpupage"));
                } else if (line.startsWith("topic")) {
                    const bool first = f.at("run") == 0;
                    (first ? firstTopic : repeatTopic).push_back(f.at("painted"));
                    stalls.push_back(f.at("stall"));
                    busy.push_back(f.at("busy"));
                    loadingSeen.push_back(f.at("loading"));
                    loadedSeen.push_back(f.at("loaded"));
                    uiCpu.push_back(f.at("cpu"));
                    std::printf("process %d, topic load %d: click to %d plates painted %.1f ms "
                                "(load seen running at %.1f, ended at %.1f), longest stall %.1f "
                                "ms (UI thread busy %.1f ms of it) %s\n",
                                r + 1, int(f.at("run")) + 1, kExpectedPlates, f.at("painted"),
                                f.at("loading"), f.at("loaded"), f.at("stall"), f.at("busy"),
                                qPrintable(line.section(' ', -1)));
                } else if (line.startsWith("message")) {
                    ++messages;
                    std::printf("process %d said: %s\n", r + 1, qPrintable(line.mid(8)));
                }
            }
            if (clock.elapsed() > 4 * kWaitMs) {
                child.kill();
                child.waitForFinished();
                std::fprintf(stderr, "a child hung\n");
                return 1;
            }
        }
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            std::fprintf(stderr, "child %d failed (exit %d)\n", r + 1, child.exitCode());
            return 1;
        }
    }

    const double page = median(spawnToPage);
    const double painted = median(spawnToPainted);
    const auto best = [](const std::vector<double>& v) {
        return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
    };
    std::printf("\nprocess start to the window painted: median %.1f ms, best %.1f ms (goal <= "
                "300 ms: %s)\n",
                painted, best(spawnToPainted), best(spawnToPainted) <= 300 ? "met" : "NOT met");
    std::printf("process start to the start page shown: median %.1f ms, best %.1f ms (goal <= "
                "700 ms: %s)\n",
                page, best(spawnToPage), best(spawnToPage) <= 700 ? "met" : "NOT met");
    std::printf("  of which before main() and up to QApplication: %.1f ms (%.0f%%)\n",
                page - median(inPage) + median(inQApp),
                100.0 * (page - median(inPage) + median(inQApp)) / page);
    std::printf("  QApplication to frame shown: %.1f ms, to the window painted: %.1f ms, "
                "painted to page loaded: %.1f ms\n",
                median(inFrame) - median(inQApp), median(inPainted) - median(inQApp),
                median(inPage) - median(inPainted));
    std::printf("  process CPU time (median): at QApplication %.1f ms, frame shown %.1f ms, "
                "painted %.1f ms, page loaded %.1f ms\n",
                median(cpuQApp), median(cpuFrame), median(cpuPainted), median(cpuPage));
    const double first = median(firstTopic), repeat = median(repeatTopic);
    std::printf("median topic click to %d plates painted: first in the process %.1f ms, "
                "repeated %.1f ms (ratio %.2f)\n",
                kExpectedPlates, first, repeat, repeat > 0 ? first / repeat : 0.0);
    std::printf("  of which: click to the load seen running (browser navigation, link decision) "
                "%.1f ms, to the load seen ended %.1f ms, the rest the fit and first paint\n",
                median(loadingSeen), median(loadedSeen));
    std::printf("  UI thread CPU time from the click to the strip painted: median %.1f ms\n",
                median(uiCpu));
    const double decode = fullDecodeMs(kContent + QStringLiteral("def1.frag"));
    if (decode > 0) {
        std::printf("single-thread full decode of the topic's pictures: %.1f ms; click to "
                    "painted / decode: first %.2f, repeated %.2f (goal <= 0.5: %s)\n",
                    decode, first / decode, repeat / decode,
                    first / decode <= 0.5 && repeat / decode <= 0.5 ? "met" : "NOT met");
    }
    const double stall = median(stalls);
    const double worst = stalls.empty() ? 0.0 : *std::max_element(stalls.begin(), stalls.end());
    std::printf("median longest stall while the topic loads: %.1f ms, worst %.1f ms "
                "(goal <= %d ms: %s); UI thread busy in the longest gap: median %.1f ms\n",
                stall, worst, kStallGoalMs, stall <= kStallGoalMs ? "met" : "NOT met",
                median(busy));
    if (messages)
        std::printf("%d messages were shown (see above)\n", messages);
    return messages ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    g_sinceMain.start();
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--child") == 0)
            return runChild(argc, argv);
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultRuns;
    QCoreApplication app(argc, argv);
    return runParent(runs);
}
