// Message storms: a lesson of 2,000 records naming one broken picture stream, and a folder of
// 100,000 empty "*.png" files dropped on the lesson row. Counts the message boxes each gives
// (goals: at most 2 for the lesson, 1 for the drop) and the seconds taken, then drops the
// folder again and presses the loading window's "Отмена" once a few hundred files are done
// (goal: the drop stops, files tried < files dropped, no box). The boxes are answered by
// scripted window services, so a storm costs no presses here.
//
// Usage: bench_message_storm [files in the folder, default 100000]

#include "Instances.h"
#include "LessView.h"
#include "LoadDlg.h"
#include "ScriptedWindowServices.h"
#include "StoreFixtures.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kRecords = 2000;
constexpr int kCancelAfter = 300; // files tried before "Отмена" is pressed

bool writeLesson(const QString& path) {
    QList<QByteArray> records;
    for (int i = 0; i < kRecords; ++i)
        records << fixtures::recordXml("broken", 30.0 * i, 0);
    fixtures::writeContainer(path, fixtures::documentXml(records),
                             {{"broken", QByteArray("not a picture at all")}});
    return QFileInfo(path).size() > 0;
}

bool writeEmptyFiles(const QString& folder, int count) {
    const QByteArray base = QFile::encodeName(folder) + '/';
    for (int i = 0; i < count; ++i) {
        const QByteArray name = base + QByteArray::number(i) + ".png";
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

void drop(LessView& view, const QString& folder) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder)});
    const Qt::DropActions offered = Qt::CopyAction;
    QDragEnterEvent enter({40, 40}, offered, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.viewport(), &enter);
    QDropEvent event({40, 40}, offered, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.viewport(), &event);
    if (!event.isAccepted())
        qFatal("the drop was refused");
}

// Runs the event loop until the drop has been taken and its loading window (if any) is gone;
// with cancelAfter, presses "Отмена" once the window shows that many files tried. Returns
// the last progress the window showed (0 without a window).
int runDrop(LessView& view, const QString& folder, int cancelAfter, bool* cancelPressed) {
    drop(view, folder);
    QCoreApplication::processEvents(); // the files are taken after the drop returns
    int lastPosition = 0;
    while (LoadDlg* window = Instances::single<LoadDlg>()) {
        lastPosition = window->position();
        if (cancelAfter > 0 && lastPosition >= cancelAfter && !*cancelPressed) {
            auto* button = window->findChild<QPushButton*>();
            if (button) {
                QTest::mouseClick(button, Qt::LeftButton);
                *cancelPressed = true;
            }
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return lastPosition;
}

const char* verdict(bool pass) {
    return pass ? "PASS" : "FAIL";
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    ScriptedWindowServices services; // every box is recorded and answered at once

    QTemporaryDir dir(QDir::tempPath() + "/bench_message_storm.XXXXXX");
    const QString lesson = dir.filePath("storm.les");
    const QString folder = dir.filePath("empty");
    QElapsedTimer clock;
    clock.start();
    if (!writeLesson(lesson) || !QDir().mkpath(folder) || !writeEmptyFiles(folder, files))
        qFatal("cannot write the inputs");
    std::printf("inputs: lesson of %d records, %lld bytes; folder of %d empty *.png "
                "(made in %.1f s)\n",
                kRecords, QFileInfo(lesson).size(), files, clock.elapsed() / 1000.0);

    LessView view;
    view.resize(1200, 200);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        qFatal("view not exposed");

    services.messages.clear();
    clock.restart();
    view.lesson().loadLessonFile(lesson);
    while (view.scene().isLoading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double loadSeconds = clock.elapsed() / 1000.0;
    const qsizetype loadBoxes = services.messages.size();
    std::printf("lesson load: %lld boxes in %.2f s%s%s  %s (goal <= 2)\n", qlonglong(loadBoxes),
                loadSeconds, loadBoxes ? ", last: " : "",
                loadBoxes ? qPrintable(services.messages.last().text.left(100)) : "",
                verdict(loadBoxes <= 2));

    view.lesson().resetLesson();
    services.messages.clear();
    clock.restart();
    bool unused = false;
    runDrop(view, folder, 0, &unused);
    const double dropSeconds = clock.elapsed() / 1000.0;
    const qsizetype dropBoxes = services.messages.size();
    std::printf("drop of %d files: %lld boxes in %.2f s%s%s  %s (goal 1)\n", files,
                qlonglong(dropBoxes), dropSeconds, dropBoxes ? ", last: " : "",
                dropBoxes ? qPrintable(services.messages.last().text.left(100)) : "",
                verdict(dropBoxes == 1));

    view.lesson().resetLesson();
    services.messages.clear();
    clock.restart();
    bool pressed = false;
    const int tried = runDrop(view, folder, kCancelAfter, &pressed);
    const double cancelSeconds = clock.elapsed() / 1000.0;
    const bool cancelled = pressed && tried < files && services.messages.isEmpty();
    std::printf("drop cancelled after %d: %s, files tried %d of %d, %lld boxes, %.2f s  %s\n",
                kCancelAfter, pressed ? "pressed" : "no loading window to press", tried, files,
                qlonglong(services.messages.size()), cancelSeconds, verdict(cancelled));
    return loadBoxes <= 2 && dropBoxes == 1 && cancelled ? 0 : 1;
}
