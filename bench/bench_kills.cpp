// Kills during save: a child process saves a 100-picture lesson over an existing one and is
// killed (SIGKILL) at a random moment of the save, 50 times. After every kill the file must
// open whole as the old or the new lesson, by our loader and by olefile at its strict level
// (when python3-olefile is installed), and the next save must succeed whatever temporary
// file the killed one left. Goal: damaged 0, tripped 0.
//
//   bench_kills [runs]
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "LessonSaving.h"
#include "ObjectRecord.h"
#include "WindowServices.h"
#include "XmlStorage.h"

#include "BmpRectStream.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPictures = 100;
constexpr QSize kPictureSize(400, 300);

QByteArray pictureJpeg(int seed) {
    QImage image(kPictureSize, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed) * 7919u + 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    writer.write(image);
    return out;
}

struct Lesson {
    std::vector<std::unique_ptr<BmpRectStream>> pictures;
    std::vector<const Shape*> shapes;
};

// Pictures named "<prefix>NNN", so that a file read back tells which lesson it holds.
Lesson makeLesson(const QByteArray& prefix, int seed) {
    Lesson lesson;
    for (int i = 0; i < kPictures; ++i) {
        ObjectRecord r;
        r.name = prefix + QByteArray::number(100 + i);
        r.picName = r.name;
        r.vecBeg = {30 + i * 430.0, 0};
        r.vecEnd = {30 + i * 430.0, 100};
        lesson.pictures.push_back(r.makePicture(pictureJpeg(seed + i)));
        lesson.shapes.push_back(lesson.pictures.back().get());
    }
    return lesson;
}

struct Messages final : WindowServices {
    QStringList texts;
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons b, MsgIcon) override {
        texts << text;
        return safestAnswer(b);
    }
    FileDialogResult fileDialog(const FileDialogRequest&) override { return {}; }
    bool shellOpen(const QString&) override { return false; }
    bool showHelp(const QString&) override { return false; }
};

struct Names final : FragmentSink {
    QList<QByteArray> names;
    void append(std::unique_ptr<BmpRectStream> picture) override { names << picture->name(); }
    void setProgressRange(int, int) override {}
    void stepProgress() override {}
};

enum class Found { Old, New, Damaged };

// What the loader finds in the file: all pictures of one lesson, in order, without a message.
Found readBack(const QString& path, Messages& messages) {
    messages.texts.clear();
    XmlStorage storage;
    Names sink;
    const bool read = store::loadLesson(storage, path, sink);
    storage.close();
    if (!read || !messages.texts.isEmpty() || sink.names.size() != kPictures)
        return Found::Damaged;
    for (const QByteArray& prefix : {QByteArray("old-"), QByteArray("new-")}) {
        bool all = true;
        for (int i = 0; i < kPictures && all; ++i)
            all = sink.names[i] == prefix + QByteArray::number(100 + i);
        if (all)
            return prefix == "old-" ? Found::Old : Found::New;
    }
    return Found::Damaged;
}

const char* kOlefileRead = R"PY(
import sys, olefile
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
n = 0
for entry in ole.listdir(streams=True, storages=False):
    ole.openstream(entry).read()
    n += 1
ole.close()
print(n)
)PY";

bool haveOlefile() {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QStringLiteral("import olefile")});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Streams olefile reads without a defect; -1 on any defect.
int olefileStreams(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QString::fromLatin1(kOlefileRead), path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return p.readAllStandardOutput().trimmed().toInt();
}

QStringList othersIn(const QDir& dir, const QString& keep) {
    QStringList out;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot |
                                             QDir::Hidden | QDir::System))
        if (name != keep)
            out << name;
    return out;
}

// Back-dates a file, as if it had been left there long ago.
void age(const QString& path, int seconds) {
    const timespec when[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    (void)::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), when, 0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    QTemporaryDir dir(QDir::currentPath() + "/bench_kills-XXXXXX");
    if (!dir.isValid())
        return 1;
    Messages messages;
    WindowServices::install(&messages);

    const Lesson oldLesson = makeLesson("old-", 0);
    const Lesson newLesson = makeLesson("new-", 1000);
    const QString name = QStringLiteral("lesson.les");
    const QString path = dir.filePath(name);
    const auto save = [&](const Lesson& lesson) {
        XmlStorage storage;
        return store::saveLesson(storage, path, lesson.shapes);
    };

    // How long a save takes here: kills fall anywhere from its start to a little past its end.
    if (!save(newLesson) || !save(oldLesson))
        return 1;
    QElapsedTimer clock;
    clock.start();
    if (!save(newLesson))
        return 1;
    const qint64 saveNs = clock.nsecsElapsed();
    if (!save(oldLesson) || readBack(path, messages) != Found::Old)
        return 1;
    const bool olefile = haveOlefile();

    int kills = 0, olds = 0, news = 0, damaged = 0, oleDamaged = 0, leftovers = 0, withLeftover = 0,
        cleaned = 0, tripped = 0;
    std::fflush(stdout);
    for (int run = 0; run < runs; ++run) {
        int ready[2];
        if (::pipe(ready) != 0)
            return 1;
        const pid_t child = ::fork();
        if (child < 0)
            return 1;
        if (child == 0) {
            ::close(ready[0]);
            const char go = 1;
            (void)::write(ready[1], &go, 1);
            const bool ok = save(newLesson);
            ::_exit(ok ? 0 : 1);
        }
        ::close(ready[1]);
        char go = 0;
        (void)::read(ready[0], &go, 1);
        ::close(ready[0]);
        const qint64 delayNs = qint64(QRandomGenerator::global()->bounded(1.2) * double(saveNs));
        const timespec delay{time_t(delayNs / 1000000000), long(delayNs % 1000000000)};
        ::nanosleep(&delay, nullptr);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status))
            ++kills;

        const Found found = readBack(path, messages);
        olds += found == Found::Old;
        news += found == Found::New;
        damaged += found == Found::Damaged;
        // The document stream and one stream per picture.
        if (olefile && olefileStreams(path) != kPictures + 1)
            ++oleDamaged;

        const QStringList left = othersIn(QDir(dir.path()), name);
        leftovers += int(left.size());
        withLeftover += !left.isEmpty();
        // Left there long ago: the next save of this lesson clears it away.
        for (const QString& f : left)
            age(dir.filePath(f), 2 * 3600);
        if (!save(oldLesson) || readBack(path, messages) != Found::Old)
            ++tripped;
        for (const QString& f : left)
            cleaned += !QFile::exists(dir.filePath(f));
        if (!othersIn(QDir(dir.path()), name).isEmpty())
            ++tripped; // the next save left a file of its own
    }

    std::printf("lesson: %d pictures of %dx%d JPEG, file %.1f MB, one save %.0f ms\n", kPictures,
                kPictureSize.width(), kPictureSize.height(), QFileInfo(path).size() / 1048576.0,
                saveNs / 1e6);
    std::printf("kills %d (of %d runs): old %d, new %d, damaged %d (goal 0)\n", kills, runs, olds,
                news, damaged);
    if (olefile)
        std::printf("olefile strict: damaged %d (goal 0)\n", oleDamaged);
    else
        std::printf("olefile strict: not installed, not checked\n");
    std::printf("leftovers: %d temporary files after %d kills; the next save removed %d once "
                "stale; next saves failed or left files: %d (goal 0)\n",
                leftovers, withLeftover, cleaned, tripped);
    return damaged == 0 && oleDamaged == 0 && tripped == 0 ? 0 : 2;
}
