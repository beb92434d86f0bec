// A save raced in a shared folder: the folder is writable by everyone and has no sticky bit,
// and a second process, as another user (nobody, when this runs as root), watches it with
// inotify and swaps every new temporary name, as fast as it can, for a symbolic link to a
// file of its choosing outside the folder (or for a folder of its own holding such a link).
// Meanwhile 100 lessons are saved through the real save path. Printed: foreign files written
// (goal 0), lessons lost or left as a link (goal 0), saves done and saves refused with a
// message (together every save).
//
//   bench_save_race [saves]
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
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPictures = 8;

QByteArray pictureJpeg(int seed) {
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(seed * 37 % 360, 200, 200));
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.write(image);
    return out;
}

struct Lesson {
    std::vector<std::unique_ptr<BmpRectStream>> pictures;
    std::vector<const Shape*> shapes;
};

Lesson makeLesson(const QByteArray& prefix) {
    Lesson lesson;
    for (int i = 0; i < kPictures; ++i) {
        ObjectRecord r;
        r.name = prefix + QByteArray::number(i);
        r.picName = r.name;
        r.vecBeg = {30 + i * 400.0, 0};
        r.vecEnd = {30 + i * 400.0, 100};
        lesson.pictures.push_back(r.makePicture(pictureJpeg(i)));
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

// The attacker: every name that appears in the folder and is not the lesson itself is
// moved aside and replaced by a link to the victim file. Runs until killed.
[[noreturn]] void attack(const std::string& folder, const std::string& victim) {
    const int watch = ::inotify_init1(0);
    if (watch < 0 || ::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
        ::_exit(2);
    alignas(inotify_event) char buffer[64 * 1024];
    unsigned moved = 0;
    for (;;) {
        const ssize_t n = ::read(watch, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            p += sizeof(inotify_event) + event->len;
            if (event->len == 0)
                continue;
            const std::string name = event->name;
            if (name == "lesson.les" || name.rfind("moved-", 0) == 0)
                continue;
            const std::string path = folder + "/" + name;
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode))
                continue;
            const std::string aside = folder + "/moved-" + std::to_string(++moved);
            if (::rename(path.c_str(), aside.c_str()) != 0)
                continue;
            // Every other time a folder of its own, open to all, whose file links to the victim.
            if (moved % 2 == 0 || ::mkdir(path.c_str(), 0777) != 0) {
                (void)::symlink(victim.c_str(), path.c_str());
                continue;
            }
            (void)::chmod(path.c_str(), 0777);
            (void)::symlink(victim.c_str(), (path + "/lesson.les").c_str());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const int saves = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    QTemporaryDir base(QDir::currentPath() + "/bench_save_race-XXXXXX");
    if (!base.isValid())
        return 1;
    const QString folder = base.filePath("shared");
    const QString victim = base.filePath("victim.txt");
    const QByteArray victimBytes = "the attacker's choice\n";
    if (!QDir().mkpath(folder) || ::chmod(QFile::encodeName(base.path()).constData(), 0711) != 0 ||
        ::chmod(QFile::encodeName(folder).constData(), 0777) != 0)
        return 1;
    const auto resetVictim = [&] {
        QFile f(victim);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               f.write(victimBytes) == victimBytes.size();
    };
    if (!resetVictim())
        return 1;

    const bool otherUser = ::geteuid() == 0;
    const pid_t attacker = ::fork();
    if (attacker < 0)
        return 1;
    if (attacker == 0) {
        if (otherUser && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        attack(QFile::encodeName(folder).toStdString(), QFile::encodeName(victim).toStdString());
    }

    QCoreApplication app(argc, argv);
    Messages messages;
    WindowServices::install(&messages);
    const QString path = folder + "/lesson.les";
    const QByteArray encoded = QFile::encodeName(path);
    ::usleep(200000); // the watch is in place

    int foreign = 0, lost = 0, asLink = 0, done = 0, refused = 0, silent = 0;
    for (int i = 0; i < saves; ++i) {
        const QByteArray prefix = "s" + QByteArray::number(i) + "-";
        const Lesson lesson = makeLesson(prefix);
        messages.texts.clear();
        bool saved;
        {
            XmlStorage storage;
            saved = store::saveLesson(storage, path, lesson.shapes);
        }
        const bool message = !messages.texts.isEmpty();
        saved ? ++done : message ? ++refused : ++silent;

        QFile v(victim);
        if (!v.open(QIODevice::ReadOnly) || v.readAll() != victimBytes) {
            ++foreign;
            resetVictim();
        }
        struct stat st {};
        const bool link = ::lstat(encoded.constData(), &st) == 0 && S_ISLNK(st.st_mode);
        if (link) {
            ++asLink;
            ::unlink(encoded.constData());
        } else if (saved) {
            XmlStorage storage;
            Names sink;
            messages.texts.clear();
            const bool read = store::loadLesson(storage, path, sink);
            storage.close();
            bool same = read && sink.names.size() == kPictures;
            for (int k = 0; k < kPictures && same; ++k)
                same = sink.names[k] == prefix + QByteArray::number(k);
            if (!same)
                ++lost;
        }
    }
    ::kill(attacker, SIGKILL);
    ::waitpid(attacker, nullptr, 0);
    const qsizetype swaps =
        QDir(folder).entryList({"moved-*"}, QDir::AllEntries | QDir::Hidden | QDir::System).size();

    std::printf("attacker: %s, names swapped: %lld\n",
                otherUser ? "another user (nobody)" : "the same user", qint64(swaps));
    std::printf("saves: %d, done %d, refused with a message %d, failed silently %d\n", saves, done,
                refused, silent);
    std::printf("foreign files written: %d\n", foreign);
    std::printf("lessons lost or left as a link: %d (lost %d, left as a link %d)\n", lost + asLink,
                lost, asLink);
    return foreign == 0 && lost + asLink == 0 && silent == 0 ? 0 : 1;
}
