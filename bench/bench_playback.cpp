// Full-screen playback at 1920 x 1080: from a key press to the new picture painted, for a step
// to a neighbour (decoded ahead at screen size on worker threads while the teacher talks) and
// for a jump (Home/End) to a 1600 x 1200 JPEG that nobody has decoded yet. Goals: median
// <= 16 ms for a step, <= 60 ms for a jump; printed beside the single-thread full decode of
// the same picture, measured in the same run.

#include "BmpRectStream.h"
#include "BusyPicture.h"
#include "DisplayState.h"
#include "FrameControl.h"
#include "Instances.h"
#include "LessonTarget.h"
#include "PlaybackPrefetch.h"
#include "PreView.h"
#include "Scene.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPictures = 20;
constexpr int kSteps = 30;
constexpr int kJumps = 10;
const QSize kScreen(1920, 1080);

QByteArray makePicture(int i) {
    return busyPicture(i, {1600, 1200});
}

class Frame : public FrameControl {
public:
    void toggleFullScreen() override {
        DisplayState::current().fullScreen = !DisplayState::current().fullScreen;
        if (auto* p = dynamic_cast<PreView*>(Instances::preview()))
            p->setFullScreen(DisplayState::current().fullScreen);
    }
    void setDocumentTitle(const QString&) override {}
};

class Lesson : public LessonTarget {
public:
    Scene scene;
    void addPicture(std::unique_ptr<BmpRect>) override {}
    void appendAllPictures(Scene&) override {}
    Scene& lessonScene() override { return scene; }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Lets the worker threads finish what a teacher's pause between two pictures would give them.
void teacherPause() {
    for (int i = 0; i < 30; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}

// One key handled and the preview painted, in ms.
double timedKey(PreView& view, int key) {
    QElapsedTimer t;
    t.start();
    view.playbackKey(key, {});
    view.repaint();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Frame frame;
    Lesson lesson;
    Instances::registerFrame(&frame);
    Instances::registerLesson(&lesson);

    std::vector<QByteArray> files;
    for (int i = 0; i < kPictures; ++i) {
        files.push_back(makePicture(i));
        auto p = std::make_unique<BmpRectStream>();
        p->loadFromStream(files.back(), "p" + QByteArray::number(i), {i * 2000.0, 0},
                          {i * 2000.0, 100});
        lesson.scene.shapes().append(p.release());
    }

    std::vector<double> decode;
    for (int i = 0; i < kJumps; ++i) {
        QBuffer buffer(&files[kPictures - 1]);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        QImage image;
        QElapsedTimer t;
        t.start();
        reader.read(&image);
        decode.push_back(t.nsecsElapsed() / 1e6);
    }

    {
        PreView view(QStringLiteral("/"));
        view.resize(kScreen);
        view.show();
        view.startLesson();
        view.repaint();
        teacherPause();

        std::vector<double> steps;
        for (int i = 0; i < kSteps; ++i) {
            steps.push_back(timedKey(view, i % 3 == 2 ? Qt::Key_Left : Qt::Key_Right));
            teacherPause();
        }
        const int hits = view.playback().prefetch().hits();

        std::vector<double> jumps;
        for (int i = 0; i < kJumps; ++i) {
            // From the middle, so that neither end is a prepared neighbour.
            view.showPosition(kPictures / 2);
            view.repaint();
            teacherPause();
            view.playback().prefetch().clear(); // the end just left may still be prepared
            jumps.push_back(timedKey(view, i % 2 ? Qt::Key_Home : Qt::Key_End));
            teacherPause();
        }

        const double d = median(decode);

        std::printf("full-screen playback at %dx%d, %d pictures of 1600x1200 JPEG\n",
                    kScreen.width(), kScreen.height(), kPictures);
        std::printf("  single-thread full decode     median %6.1f ms\n", d);
        std::printf("  step to a neighbour           median %6.1f ms  (goal <= 16; %.2f x decode; "
                    "%d of %d steps prepared)\n",
                    median(steps), median(steps) / d, hits, kSteps);
        std::printf(
            "  jump to a picture not decoded median %6.1f ms  (goal <= 60; %.2f x decode)\n",
            median(jumps), median(jumps) / d);
    }
    Instances::unregisterLesson(&lesson);
    Instances::unregisterFrame(&frame);
    return 0;
}
