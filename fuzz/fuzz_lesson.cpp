// Opens arbitrary bytes the way a teacher opens a lesson: the open command through its dialog,
// then what follows an opened lesson (draw every picture, delete, undo, save elsewhere, open
// the saved copy). Any crash, hang or leak is a finding; a copy that no longer opens after a
// save reported as done is one too.
#include "BmpRectStream.h"
#include "Lesson.h"
#include "LessonDisplay.h"
#include "Shape.h"
#include "ViewTransform.h"
#include "WindowServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

struct QuietDisplay final : LessonDisplay {
    void fitToHeight() override {}
    void updateScrollSizes() override {}
    void invalidate() override {}
    void resetAnchor() override {}
};

// Every question gets the safest answer; each file dialog picks the next path.
struct Answers final : WindowServices {
    QString open;
    QString save;
    int failures = 0;
    MsgAnswer messageBox(const QString&, const QString&, MsgButtons buttons, MsgIcon) override {
        ++failures;
        return safestAnswer(buttons);
    }
    FileDialogResult fileDialog(const FileDialogRequest& request) override {
        const QString path = request.save ? save : open;
        return {true, path, QFileInfo(path).fileName()};
    }
    bool shellOpen(const QString&) override { return false; }
    bool showHelp(const QString&) override { return false; }
};

void application() {
    static int argc = 1;
    static char name[] = "fuzz_lesson";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the platform plugin is gone by the time static objects end.
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)offscreen;
    (void)app;
    // Decoders' complaints about damaged input are expected by the thousand.
    static const QtMessageHandler quiet =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    (void)quiet;
}

// In memory where there is a memory file system: every save flushes to disk.
QString scratch(const char* suffix) {
    const QDir shm(QStringLiteral("/dev/shm"));
    const QDir folder = shm.exists() ? shm : QDir::temp();
    return folder.filePath(QStringLiteral("fuzz_lesson_%1%2").arg(::getpid()).arg(suffix));
}

int pictureCount(const Scene& scene) {
    int n = 0;
    for (const Shape* shape : scene.shapes())
        n += dynamic_cast<const BmpRectStream*>(shape) != nullptr;
    return n;
}

} // namespace

// libgsf 1.14.50 itself leaks a directory entry or two when it meets a damaged directory
// (see fuzz_load), and fontconfig keeps a parse of its configuration for good when the first
// caption's font is looked up; neither is ours to fix.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgsf-1.so\nleak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    application();
    static const QString input = [] {
        std::atexit([] { QFile::remove(scratch(".les")); });
        return scratch(".les");
    }();
    static const QString copy = scratch("-copy.les");
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QFile::remove(copy);

    Answers answers;
    WindowServices::install(&answers);
    answers.open = input;
    answers.save = copy;
    QuietDisplay display;
    int saved = -1; // pictures in the saved copy, once a save reported it done
    {
        Lesson lesson(display);
        lesson.openLesson();
        lesson.finishLoad();
        if (pictureCount(lesson.scene()) > 0) {
            QImage canvas(64, 48, QImage::Format_ARGB32_Premultiplied);
            ViewTransform vt;
            vt.scale = 0.1;
            vt.viewHeight = 48;
            {
                QPainter painter(&canvas);
                lesson.scene().drawAll(painter, vt);
            }
            // Delete the first picture and undo it, as from the row.
            if (auto* first = dynamic_cast<BmpRect*>(lesson.scene().firstPicture())) {
                first->setState(BmpRect::kStateSelected);
                if (lesson.deleteSelected())
                    lesson.undoLessonEdit();
            }

            const int pictures = pictureCount(lesson.scene());
            lesson.scene().setFilePath(QString()); // the copy goes through the save dialog
            lesson.setModified(true);
            answers.failures = 0;
            lesson.saveLessonFile();
            if (answers.failures == 0 && !lesson.isModified())
                saved = pictures;
        }
    }
    // Opened once the first lesson has let go of the copy it keeps locked.
    if (saved >= 0) {
        Lesson reopened(display);
        answers.open = copy;
        reopened.openLesson();
        reopened.finishLoad();
        if (pictureCount(reopened.scene()) != saved)
            std::abort(); // saved as done, yet the copy lost pictures
    }
    WindowServices::install(nullptr);
    QFile::remove(copy);
    return 0;
}
