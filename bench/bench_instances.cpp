// Two instances on one lesson. The first (this program run again as a child) opens the
// lesson and saves it, round after round, with a picture more each time; the second tries to
// open the lesson and to save its own lesson over it, before the rounds and all through them.
// Goals: every open and save of the second is refused with its message while the first has
// the lesson open; after every round the file is byte for byte what the first saved; once the
// first quits, the second opens it whole.
//
//   bench_instances [rounds]
#include "BmpRectStream.h"
#include "Lesson.h"
#include "LessonDisplay.h"
#include "LessonSaving.h"
#include "ObjectRecord.h"
#include "ScriptedWindowServices.h"
#include "XmlStorage.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

constexpr int kStartPictures = 20;
const QString kOpenRefused = QStringLiteral("Файл открыт другим приложением или поврежден.");

class NoDisplay final : public LessonDisplay {
public:
    void fitToHeight() override {}
    void updateScrollSizes() override {}
    void invalidate() override {}
    void resetAnchor() override {}
};

std::unique_ptr<BmpRectStream> picture(int i) {
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((i * 47) % 360, 150, 230));
    QPainter p(&image);
    p.drawText(20, 120, QString::number(i));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    ObjectRecord r;
    r.name = "pic" + QByteArray::number(i);
    r.picName = r.name;
    r.vecBeg = {30 + i * 400.0, 0};
    r.vecEnd = {30 + i * 400.0, 100};
    return r.makePicture(bytes);
}

int pictures(const Lesson& lesson) {
    int n = 0;
    for (const Shape* s : lesson.scene().shapes())
        n += dynamic_cast<const BmpRectStream*>(s) != nullptr;
    return n;
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex();
}

// The first instance: opens the lesson, then answers "save" (a picture more, saved over the
// file: "saved OK PICTURES HASH") and "quit" on standard input.
int runFirst(const QString& path) {
    ScriptedWindowServices services;
    NoDisplay display;
    Lesson lesson(display);
    lesson.loadLessonFile(path);
    lesson.finishLoad();
    QTextStream out(stdout);
    out << "open " << pictures(lesson) << Qt::endl;
    QTextStream in(stdin);
    int next = 1000;
    for (QString line; in.readLineInto(&line) && line != QLatin1String("quit");) {
        lesson.addPicture(picture(next++));
        lesson.saveLessonFile();
        const bool saved = !lesson.isModified();
        out << "saved " << int(saved) << ' ' << pictures(lesson) << ' ' << fileHash(path)
            << Qt::endl;
    }
    return 0;
}

struct Tries {
    int opens = 0, opensRefused = 0, savesTried = 0, savesRefused = 0;
    QStringList messages; // each text once
    void heard(const ScriptedWindowServices& services) {
        for (const QString& text : services.messageTexts())
            if (!messages.contains(text))
                messages << text;
    }
};

// The second instance's attempts: open the lesson (it must stay out), then save a lesson of
// its own over the file (it must be refused and stay modified).
void tryOpenAndSave(Lesson& second, ScriptedWindowServices& services, const QString& path,
                    Tries& tries) {
    services.messages.clear();
    second.loadLessonFile(path);
    second.finishLoad();
    ++tries.opens;
    if (pictures(second) == 0 && second.scene().filePath().isEmpty() &&
        services.messageTexts().contains(kOpenRefused))
        ++tries.opensRefused;
    tries.heard(services);
    second.resetLesson(); // lets go of the file should the open have got in

    services.messages.clear();
    second.addPicture(picture(1));
    services.chosenFiles.enqueue(path);
    second.saveLessonFile();
    ++tries.savesTried;
    if (second.isModified() && second.scene().filePath().isEmpty() && !services.messages.isEmpty())
        ++tries.savesRefused;
    tries.heard(services);
    second.resetLesson();
}

QStringList heardOnce(const Tries& a, const Tries& b) {
    QStringList all = a.messages + b.messages;
    all.removeDuplicates();
    return all;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--first")
        return runFirst(QString::fromLocal8Bit(argv[2]));
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    QTemporaryDir dir;
    const QString path = dir.filePath("урок.les");
    {
        std::vector<std::unique_ptr<BmpRectStream>> owned;
        std::vector<const Shape*> shapes;
        for (int i = 0; i < kStartPictures; ++i) {
            owned.push_back(picture(i));
            shapes.push_back(owned.back().get());
        }
        XmlStorage storage;
        if (!store::saveLesson(storage, path, shapes))
            return 1;
    }

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--first"), path});
    auto reply = [&first]() -> QStringList {
        while (!first.canReadLine())
            if (!first.waitForReadyRead(30000))
                return {};
        return QString::fromUtf8(first.readLine()).trimmed().split(' ');
    };
    const QStringList opened = reply();
    if (opened.value(0) != QLatin1String("open") || opened.value(1).toInt() != kStartPictures) {
        std::printf("the first instance did not open the lesson\n");
        return 1;
    }

    ScriptedWindowServices services;
    NoDisplay display;
    Lesson second(display);
    Tries before, during;
    const QByteArray original = fileHash(path);
    for (int i = 0; i < 10; ++i)
        tryOpenAndSave(second, services, path, before);
    const bool untouched = fileHash(path) == original;

    int saved = 0, whole = 0, expected = kStartPictures;
    for (int round = 0; round < rounds; ++round) {
        first.write("save\n");
        // Meanwhile the second keeps trying, so some attempts meet the save itself.
        do
            tryOpenAndSave(second, services, path, during);
        while (!first.canReadLine() && !first.waitForReadyRead(0));
        const QStringList done = reply();
        if (done.value(0) != QLatin1String("saved"))
            break;
        if (done.value(1) == QLatin1String("1")) {
            ++saved;
            expected = done.value(2).toInt();
        }
        whole += done.value(3).toLatin1() == fileHash(path);
    }
    first.write("quit\n");
    first.waitForFinished(30000);

    services.messages.clear();
    second.loadLessonFile(path);
    second.finishLoad();
    const int afterQuit = pictures(second);

    std::printf("before the rounds: second instance opens refused %d/%d, saves refused %d/%d, "
                "file untouched: %s\n",
                before.opensRefused, before.opens, before.savesRefused, before.savesTried,
                untouched ? "yes" : "NO");
    std::printf("%d rounds: first instance's saves %d/%d, file as the first saved it after %d\n",
                rounds, saved, rounds, whole);
    std::printf("during the rounds: second instance opens refused %d/%d, saves refused %d/%d\n",
                during.opensRefused, during.opens, during.savesRefused, during.savesTried);
    std::printf("the second instance was told: \"%s\"\n",
                qPrintable(heardOnce(before, during).join(QStringLiteral("\", \""))));
    std::printf("after the first quits: the second opens %d pictures (the first saved %d)\n",
                afterQuit, expected);
    const bool ok = untouched && before.opensRefused == before.opens &&
                    before.savesRefused == before.savesTried && saved == rounds &&
                    whole == rounds && during.savesRefused == during.savesTried &&
                    afterQuit == expected;
    std::printf("result: %s\n", ok ? "every goal met" : "GOAL MISSED");
    return ok ? 0 : 2;
}
