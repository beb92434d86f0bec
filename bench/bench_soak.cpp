// Soak: a class's work repeated in one process, 1,000 cycles by default. Each cycle loads a
// topic into the plate strip, adds all its plates to an empty lesson, deletes one and undoes
// it, saves the lesson, opens it again, plays ten steps full screen and leaves full screen.
// Resident memory is printed every 100 cycles; goal: growth <= 10 MB from cycle 100 to the
// end. Run it in the sanitizer build for the leak check at exit.
//
//   bench_soak [cycles]
#include "BmpRectStream.h"
#include "DisplayState.h"
#include "FrameControl.h"
#include "Instances.h"
#include "KovrelView.h"
#include "LessView.h"
#include "LessonSaving.h"
#include "ObjectRecord.h"
#include "PreView.h"
#include "PreviewTarget.h"
#include "ScriptedWindowServices.h"
#include "XmlStorage.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPlates = 12;
constexpr int kSteps = 10;

QByteArray plateJpeg(int i) {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((i * 37) % 360, 160, 220));
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 5));
    p.drawEllipse(QPoint(100 + i * 30, 240), 80, 60);
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

// The topic's fragment, written as the program writes files (a lesson file reads as one).
bool writeTopic(const QString& path) {
    std::vector<std::unique_ptr<BmpRectStream>> plates;
    std::vector<const Shape*> shapes;
    for (int i = 0; i < kPlates; ++i) {
        ObjectRecord r;
        r.name = "plate" + QByteArray::number(i);
        r.picName = r.name;
        r.bFrame = true;
        r.vecBeg = {30 + i * 700.0, 0};
        r.vecEnd = {30 + i * 700.0, 100};
        plates.push_back(r.makePicture(plateJpeg(i)));
        shapes.push_back(plates.back().get());
    }
    XmlStorage storage;
    return store::saveLesson(storage, path, shapes);
}

class Frame final : public FrameControl {
public:
    void toggleFullScreen() override {
        DisplayState::current().fullScreen = !DisplayState::current().fullScreen;
        if (auto* p = dynamic_cast<PreView*>(Instances::preview()))
            p->setFullScreen(DisplayState::current().fullScreen);
    }
    void setDocumentTitle(const QString&) override {}
};

double residentMB() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// What the event loop owes the views (a topic load runs from it) and the preview's workers.
void settle(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (!done() && clock.elapsed() < 30000);
}

int lessonPictures(LessView& row) {
    int n = 0;
    for (const Shape* s : row.scene().shapes())
        n += dynamic_cast<const BmpRectStream*>(s) != nullptr;
    return n;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    const QString topic = dir.filePath("topic.frag");
    const QString lessonPath = dir.filePath("soak.les");
    if (!writeTopic(topic))
        return 1;

    ScriptedWindowServices services;
    Frame frame;
    Instances::registerFrame(&frame);
    int failures = 0;
    double rssAt100 = 0, rssEnd = 0;
    {
        KovrelView plates;
        plates.resize(900, 300);
        plates.show();
        LessView row;
        row.resize(900, 200);
        row.show();
        PreView preview(dir.path() + "/");
        preview.resize(1280, 720);
        preview.show();

        QElapsedTimer clock;
        clock.start();
        std::printf("cycle   RSS MB   s\n");
        for (int cycle = 1; cycle <= cycles; ++cycle) {
            plates.showFragment(topic);
            settle([&] { return !plates.isLoading(); });
            row.lesson().newLesson();
            plates.addAllToLesson();
            if (lessonPictures(row) != kPlates)
                ++failures;

            if (auto* first = dynamic_cast<BmpRect*>(row.scene().firstPicture()))
                first->setState(BmpRect::kStateSelected);
            row.deletePicture();
            row.undoEdit();

            services.chosenFiles.enqueue(lessonPath);
            row.lesson().saveLessonFile();
            if (row.lesson().isModified())
                ++failures;
            services.chosenFiles.enqueue(lessonPath);
            row.openLessonAndRelayout();
            row.lesson().finishLoad();
            if (lessonPictures(row) != kPlates)
                ++failures;

            preview.startLesson();
            for (int step = 0; step < kSteps; ++step) {
                preview.playbackKey(Qt::Key_Right, {});
                preview.repaint();
            }
            if (!DisplayState::current().fullScreen || preview.position() != kSteps)
                ++failures;
            frame.toggleFullScreen();
            settle([] { return true; });

            // Nothing along the way asks or tells anything.
            if (!services.messages.isEmpty()) {
                ++failures;
                std::printf("cycle %d: %s\n", cycle, qPrintable(services.messages.first().text));
            }
            services.messages.clear();
            services.fileDialogs.clear();
            if (cycle % 100 == 0 || cycle == cycles) {
                const double rss = residentMB();
                if (cycle == 100)
                    rssAt100 = rss;
                rssEnd = rss;
                std::printf("%5d %8.1f %5.0f\n", cycle, rss, clock.elapsed() / 1000.0);
                std::fflush(stdout);
            }
        }
    }
    Instances::unregisterFrame(&frame);
    if (cycles >= 100)
        std::printf("growth from cycle 100 to %d: %.1f MB (goal <= 10)\n", cycles,
                    rssEnd - rssAt100);
    std::printf("cycles that went wrong: %d (goal 0)\n", failures);
    return failures == 0 ? 0 : 2;
}
