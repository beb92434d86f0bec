// Handouts: 100 pictures (JPEG quality 85, 1600 x 1200 like a camera's photo scaled for a
// lesson, and 800 x 600 like a plate) written to an A4 PDF at 1, 4 and 6 to a page, on the
// handout's own thread as the menu command runs it. Prints the time of each run (goal: 100
// pictures <= 10 s), the file's size, and the longest the event loop was held meanwhile
// (the window must stay responsive).

#include "BusyPicture.h"
#include "HandoutJob.h"
#include "ScriptedWindowServices.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPictures = 100;
constexpr int kDistinct = 20; // each is decoded for its own cell all the same

QByteArray makePicture(int i, QSize size) {
    return busyPicture(i, size, {60, 20, 90, 15, 70});
}

struct Run {
    double seconds = 0;
    qint64 bytes = 0;
    qint64 longestStallMs = 0;
    bool ok = false;
};

Run runOnce(const std::vector<QByteArray>& encoded, int perPage, const QString& path) {
    std::vector<HandoutPicture> pictures;
    for (int i = 0; i < kPictures; ++i)
        pictures.push_back({encoded[std::size_t(i % kDistinct)],
                            QStringLiteral("Рисунок %1: перекрёсток со светофором").arg(i + 1)});
    HandoutJob job(nullptr);
    Run run;
    QEventLoop loop;
    QObject::connect(&job, &HandoutJob::finished, &loop, [&](HandoutRenderer::Result r) {
        run.ok = r == HandoutRenderer::Result::Done;
        loop.quit();
    });
    QElapsedTimer stall;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { run.longestStallMs = std::max(run.longestStallMs, stall.restart()); });
    QElapsedTimer clock;
    clock.start();
    stall.start();
    tick.start();
    job.start(
        std::make_unique<HandoutRenderer>(QStringLiteral("Бенчмарк"), std::move(pictures), perPage),
        [path](HandoutRenderer& r, const std::function<bool(int)>& goOn) {
            return r.writePdf(path, goOn);
        },
        QStringLiteral("PDF"), QStringLiteral("failed"));
    loop.exec();
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.bytes = QFileInfo(path).size();
    return run;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedWindowServices services;
    QTemporaryDir dir;
    bool allOk = true;
    for (QSize size : {QSize(1600, 1200), QSize(800, 600)}) {
        std::vector<QByteArray> encoded;
        for (int i = 0; i < kDistinct; ++i)
            encoded.push_back(makePicture(i, size));
        for (int perPage : {1, 4, 6}) {
            const QString path = dir.filePath(QStringLiteral("h%1.pdf").arg(perPage));
            const Run run = runOnce(encoded, perPage, path);
            const bool ok = run.ok && run.seconds <= 10.0;
            allOk = allOk && ok;
            std::printf("handout %dx%d, %d pictures, %d a page: %.2f s (goal <= 10 s) %s, "
                        "%.1f MB, longest event-loop stall %lld ms\n",
                        size.width(), size.height(), kPictures, perPage, run.seconds,
                        ok ? "ok" : "MISSED", run.bytes / 1e6, qlonglong(run.longestStallMs));
        }
    }
    if (!services.messages.isEmpty())
        std::printf("messages: %s\n", qPrintable(services.messageTexts().join(" | ")));
    return allOk ? 0 : 1;
}
