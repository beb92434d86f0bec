// The lesson row: a lesson of 100 pictures of 800 x 600 JPEG (quality 85) written by the
// program's own saver. Measures the time from loading the lesson file to the fitted row
// painted, against a single-threaded full decode of the same pictures (goal: ratio <= 0.5),
// and one repaint of the fitted row (goal <= 2 ms). Medians over several runs.

#include "BmpRectStream.h"
#include "BusyPicture.h"
#include "LessView.h"
#include "LessonSaving.h"
#include "ScriptedWindowServices.h"
#include "XmlStorage.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kPictures = 100;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kRuns = 5;
constexpr int kRepaints = 50;
const QSize kPane(1400, 200);

QByteArray makePicture(int i) {
    return busyPicture(i, {kWidth, kHeight}, {40, 20, 60, 15, 50});
}

std::vector<QByteArray> writeLesson(const QString& path) {
    std::vector<QByteArray> encoded;
    std::vector<std::unique_ptr<BmpRectStream>> owned;
    std::vector<const Shape*> shapes;
    double x = 30;
    for (int i = 0; i < kPictures; ++i) {
        encoded.push_back(makePicture(i));
        auto p = std::make_unique<BmpRectStream>();
        p->loadFromStream(encoded.back(), "pic" + QByteArray::number(i), {x, 0}, {x, 100});
        x = p->corner(1).x + 30;
        shapes.push_back(p.get());
        owned.push_back(std::move(p));
    }
    XmlStorage storage;
    if (!store::saveLesson(storage, path, shapes))
        qFatal("cannot write the lesson");
    return encoded;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Every picture decoded at full size, one after the other on this thread.
double fullDecodeMs(const std::vector<QByteArray>& encoded) {
    QElapsedTimer clock;
    clock.start();
    qint64 pixels = 0;
    for (const QByteArray& bytes : encoded) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QImage image = reader.read();
        pixels += qint64(image.width()) * image.height();
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    if (pixels != qint64(kPictures) * kWidth * kHeight)
        qFatal("decode failed");
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedWindowServices services; // any message is recorded, none blocks
    QTemporaryDir dir;
    const QString path = dir.filePath("hundred.les");
    const std::vector<QByteArray> encoded = writeLesson(path);

    LessView view;
    view.resize(kPane);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        qFatal("view not exposed");

    std::vector<double> decode, open, repaint;
    for (int run = 0; run < kRuns; ++run) {
        decode.push_back(fullDecodeMs(encoded));

        view.lesson().resetLesson();
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        view.lesson().loadLessonFile(path);
        // A load job delivers the pictures through the event loop: wait for all of them.
        while (view.scene().shapes().size() < std::size_t(kPictures) && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double loadedMs = clock.nsecsElapsed() / 1e6;
        view.viewport()->repaint();
        open.push_back(clock.nsecsElapsed() / 1e6);
        if (qEnvironmentVariableIsSet("BENCH_SPLIT"))
            std::printf("  run %d: loaded %.1f ms, painted %.1f ms\n", run, loadedMs, open.back());
        if (view.scene().shapes().size() != std::size_t(kPictures) || !services.messages.isEmpty())
            qFatal("the lesson did not load whole");

        view.viewport()->repaint(); // scaled copies are made by the first paint
        for (int i = 0; i < kRepaints; ++i) {
            QElapsedTimer one;
            one.start();
            view.viewport()->repaint();
            repaint.push_back(one.nsecsElapsed() / 1e6);
        }
    }

    const double decodeMs = median(decode);
    const double openMs = median(open);
    const double repaintMs = median(repaint);
    std::printf("lesson of %d pictures %dx%d JPEG, pane %dx%d, medians of %d runs\n", kPictures,
                kWidth, kHeight, kPane.width(), kPane.height(), kRuns);
    std::printf("  full decode, one thread:      %8.1f ms\n", decodeMs);
    std::printf("  open to row painted:          %8.1f ms  ratio %.2f (goal <= 0.50)\n", openMs,
                openMs / decodeMs);
    std::printf("  repaint of the fitted row:    %8.2f ms  ratio to 2 ms %.2f (goal <= 1.00)\n",
                repaintMs, repaintMs / 2.0);
    return 0;
}
