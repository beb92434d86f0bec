#include "BmpRectStream.h"
#include "FileLock.h"
#include "FileReplacement.h"
#include "FragmentLoading.h"
#include "LessonSaving.h"
#include "Pline.h"
#include "ScriptedWindowServices.h"
#include "StoreFixtures.h"
#include "XmlStorage.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sys/stat.h>
#include <unistd.h>

using fixtures::CollectingSink;

namespace {

using Pictures = std::vector<std::unique_ptr<BmpRectStream>>;

ObjectRecord recordOf(const QByteArray& name, double x) {
    ObjectRecord r;
    r.name = name;
    r.picName = name;
    r.bFrame = true;
    r.vecBeg = {x, 0};
    r.vecEnd = {x, 100};
    return r;
}

std::vector<const Shape*> shapesOf(const Pictures& pictures) {
    std::vector<const Shape*> out;
    for (const auto& p : pictures)
        out.push_back(p.get());
    return out;
}

// A lesson of n pictures named <prefix><i>, each with bytes of its own.
Pictures lessonOf(const QByteArray& prefix, int n, QSize size = {60, 40}) {
    Pictures out;
    for (int i = 0; i < n; ++i)
        out.push_back(
            recordOf(prefix + QByteArray::number(i), i * 100.0)
                .makePicture(fixtures::pngBytes(size, QColor::fromHsv(i * 7 % 360, 255, 200))));
    return out;
}

struct Loaded {
    bool ok = false;
    Pictures pictures;
    QStringList messages;
    QStringList names() const {
        QStringList out;
        for (const auto& p : pictures)
            out << QString::fromLatin1(p->name());
        return out;
    }
};

Loaded loadBack(const QString& file) {
    ScriptedWindowServices services;
    CollectingSink sink(services);
    XmlStorage storage;
    Loaded out;
    out.ok = store::loadLesson(storage, file, sink);
    out.pictures = std::move(sink.pictures);
    out.messages = services.messageTexts();
    return out;
}

QByteArray fileBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The child of the interruption test: makes a large lesson, says "ready", saves it over the
// file, then prints how long the save took (ms).
int runSaveChild(const QString& file) {
    Pictures lesson;
    for (int i = 0; i < 24; ++i)
        lesson.push_back(recordOf("new" + QByteArray::number(i), i * 1000.0)
                             .makePicture(fixtures::jpegBytes({800, 600}, i)));
    QTextStream out(stdout);
    out << "ready\n" << Qt::flush;
    QElapsedTimer clock;
    clock.start();
    XmlStorage storage;
    const bool saved = store::saveLesson(storage, file, shapesOf(lesson));
    out << clock.elapsed() << "\n" << Qt::flush;
    return saved ? 0 : 1;
}

} // namespace

class TestLessonSave : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_runs = 0;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void roundTripKeepsOrderFlagsTextsAndNumbers() {
        Pictures lesson;
        ObjectRecord a = recordOf("*1700000000", 30);
        a.picName = "\xD1\xE2\xE5\xF2\xEE\xF4\xEE\xF0"; // Светофор
        a.srcName = "doc.rtf";
        a.aviName = "clip.avi";
        a.swfNameMy = "movie.swf";
        a.bAvi = true;
        a.scale = 0.123456789;
        a.vecBeg = {123.456789, -0.000123456789};
        a.vecEnd = {1234567.891, 98765.4321};
        ObjectRecord b = recordOf("second", 500);
        b.bFrame = false;
        b.bGif = true;
        lesson.push_back(a.makePicture(fixtures::pngBytes({300, 200}, Qt::red)));
        lesson.push_back(b.makePicture(fixtures::pngBytes({80, 60}, Qt::blue)));
        const QString file = path("roundtrip.les");
        ScriptedWindowServices services;
        XmlStorage storage;
        QVERIFY(store::saveLesson(storage, file, shapesOf(lesson)));
        QVERIFY(services.messages.isEmpty());
        QVERIFY(!storage.isOpen());
        QVERIFY(storage.saveList().empty()); // the next save starts from an empty document

        const Loaded back = loadBack(file);
        QVERIFY(back.ok);
        QCOMPARE(back.names(), (QStringList{"*1700000000", "second"}));
        for (std::size_t i = 0; i < lesson.size(); ++i) {
            const BmpRectStream& o = *lesson[i];
            const BmpRectStream& l = *back.pictures[i];
            QCOMPARE(l.bFrame(), o.bFrame());
            QCOMPARE(l.bAvi(), o.bAvi());
            QCOMPARE(l.bGif(), o.bGif());
            QCOMPARE(l.picName(), o.picName());
            QCOMPARE(l.caption(), o.picName());
            QCOMPARE(l.srcName(), o.srcName());
            QCOMPARE(l.aviName(), o.aviName());
            QCOMPARE(l.swfNameMy(), o.swfNameMy());
            QCOMPARE(l.streamBytes(), o.streamBytes());
            QCOMPARE(XmlDoc::formatReal(l.scale()), XmlDoc::formatReal(o.scale()));
            for (const auto& [lp, op] :
                 {std::pair{l.vecBeg(), o.vecBeg()}, {l.vecEnd(), o.vecEnd()}}) {
                QCOMPARE(XmlDoc::formatReal(lp.x), XmlDoc::formatReal(op.x));
                QCOMPARE(XmlDoc::formatReal(lp.y), XmlDoc::formatReal(op.y));
            }
            QCOMPARE(l.width(), o.width());
        }
    }

    // Each picture comes back with its own bytes; streams are shared only by identical bytes.
    void picturesKeepTheirOwnBytes_data() {
        QTest::addColumn<QStringList>("pictures"); // name=colour
        QTest::addColumn<int>("pictureStreams");
        QTest::newRow("same name, same bytes: one stream") << QStringList{"a=red", "a=red"} << 1;
        QTest::newRow("same name, other bytes: two streams") << QStringList{"a=red", "a=blue"} << 2;
        QTest::newRow("names equal but for case") << QStringList{"Pic=red", "PIC=blue"} << 2;
        QTest::newRow("a picture named xml") << QStringList{"xml=red", "b=blue"} << 2;
        QTest::newRow("name of 40 characters") << QStringList{QString(40, 'k') + "=red"} << 1;
        QTest::newRow("empty name") << QStringList{"=red", "=blue"} << 2;
        QTest::newRow("name the XML cannot carry") << QStringList{"a</b>=red"} << 1;
    }
    void picturesKeepTheirOwnBytes() {
        QFETCH(QStringList, pictures);
        Pictures lesson;
        for (const QString& p : pictures) {
            const qsizetype eq = p.indexOf('=');
            lesson.push_back(recordOf(p.left(eq).toLatin1(), lesson.size() * 100.0)
                                 .makePicture(fixtures::pngBytes({30, 20}, QColor(p.mid(eq + 1)))));
        }
        const QString file = path("streams.les");
        {
            ScriptedWindowServices services;
            XmlStorage storage;
            QVERIFY(store::saveLesson(storage, file, shapesOf(lesson)));
            QVERIFY(services.messages.isEmpty());
        }
        XmlStorage reader;
        reader.openLocalForUpdate(file);
        QTEST(int(reader.rootStreams().size()) - 1, "pictureStreams");
        reader.close();

        const Loaded back = loadBack(file);
        QVERIFY(back.ok);
        QVERIFY2(back.messages.isEmpty(), qPrintable(back.messages.join('|')));
        QCOMPARE(back.pictures.size(), lesson.size());
        for (std::size_t i = 0; i < lesson.size(); ++i)
            QCOMPARE(back.pictures[i]->streamBytes(), lesson[i]->streamBytes());
    }

    // Every way a save can fail: its message, false, and the old file as it was.
    void failuresKeepTheOldFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // %1: the path
        QTest::newRow("read-only old file") << "readonly"
                                            << "%1 нет доступа";
        QTest::newRow("old file held by another opener") << "held"
                                                         << "Failed StgCreateStorageEx";
        QTest::newRow("folder missing") << "nofolder"
                                        << "Failed StgCreateStorageEx";
        QTest::newRow("target is a folder") << "folder"
                                            << "%1 нет доступа";
    }
    void failuresKeepTheOldFile() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString folder = path("fail-" + kind);
        QVERIFY(QDir().mkpath(folder));
        QString file = folder + "/old.les";
        const Pictures old = lessonOf("old", 2);
        {
            XmlStorage storage;
            QVERIFY(store::saveLesson(storage, file, shapesOf(old)));
        }
        const QByteArray before = fileBytes(file);
        FileLock holder;
        if (kind == "readonly")
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
        else if (kind == "held")
            QVERIFY(holder.acquire(file, FileLock::Access::Read));
        else if (kind == "nofolder")
            file = folder + "/missing/new.les";
        else if (kind == "folder")
            file = folder;

        const Pictures lesson = lessonOf("new", 3);
        ScriptedWindowServices services;
        XmlStorage storage;
        QVERIFY(!store::saveLesson(storage, file, shapesOf(lesson)));
        QCOMPARE(services.messageTexts(),
                 QStringList{message.contains("%1") ? message.arg(file) : message});
        QCOMPARE(services.messages.front().title, kAppName);
        QVERIFY(!storage.isOpen());
        QCOMPARE(fileBytes(folder + "/old.les"), before);
        QCOMPARE(folderEntries(folder), QStringList{"old.les"}); // no temporary left behind
    }

    // A link is saved through only to a file in its own folder (or below it): anyone may put
    // a link in a shared folder, and saving must not write or create a file elsewhere.
    void linksAtTheTarget_data() {
        QTest::addColumn<QString>("linkTo"); // relative to the link's folder
        QTest::addColumn<bool>("saved");
        QTest::newRow("to a file in the folder") << "real.les" << true;
        QTest::newRow("to a file below the folder") << "sub/real.les" << true;
        QTest::newRow("to a file outside the folder") << "../outside.les" << false;
        QTest::newRow("dangling, outside") << "../autostart.desktop" << false;
        QTest::newRow("dangling, in the folder") << "gone.les" << false;
    }
    void linksAtTheTarget() {
        QFETCH(QString, linkTo);
        QFETCH(bool, saved);
        const QString base = path("links-" + QString::number(++m_runs));
        const QString folder = base + "/shared";
        QVERIFY(QDir().mkpath(folder + "/sub"));
        const Pictures old = lessonOf("old", 1);
        const Pictures lesson = lessonOf("new", 2);
        ScriptedWindowServices services;
        XmlStorage storage;
        for (const QString& existing :
             {folder + "/real.les", folder + "/sub/real.les", base + "/outside.les"}) {
            QVERIFY(store::saveLesson(storage, existing, shapesOf(old)));
            QVERIFY(QFile::setPermissions(existing,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        }
        const QString target = QDir::cleanPath(folder + "/" + linkTo);
        const QByteArray before = fileBytes(target);
        const QString link = folder + "/link.les";
        QVERIFY(QFile::link(linkTo, link));

        QCOMPARE(store::saveLesson(storage, link, shapesOf(lesson)), saved);
        QVERIFY(QFileInfo(link).isSymLink());
        if (saved) {
            QVERIFY(services.messages.isEmpty());
            QCOMPARE(loadBack(target).names(), (QStringList{"new0", "new1"}));
            QCOMPARE(QFile::permissions(target) & 0x7777, QFile::ReadOwner | QFile::WriteOwner |
                                                              QFile::ReadOther | QFile::ReadUser |
                                                              QFile::WriteUser);
        } else {
            QCOMPARE(services.messageTexts(), QStringList{link + " нет доступа"});
            QCOMPARE(fileBytes(target), before); // untouched, or still not there
            QCOMPARE(QFileInfo::exists(target), !before.isEmpty());
        }
        QCOMPARE(folderEntries(folder), (QStringList{"link.les", "real.les", "sub"}));
        QCOMPARE(folderEntries(base), (QStringList{"outside.les", "shared"}));
    }

    // Someone who may write to the folder swaps the temporary file's name between its
    // creation and the rename: the save fails, writes nothing through the new name, and
    // leaves the old file as it was.
    void temporaryNameSwappedBeforeTheRename_data() {
        QTest::addColumn<bool>("asLink"); // else another file of theirs
        QTest::newRow("for a link to their file") << true;
        QTest::newRow("for a file of their own") << false;
    }
    void temporaryNameSwappedBeforeTheRename() {
        QFETCH(bool, asLink);
        const QString base = path(asLink ? "swap-link" : "swap-file");
        const QString folder = base + "/shared";
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + "/lesson.les";
        const QString theirs = base + "/theirs.txt";
        {
            QFile f(theirs);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("theirs");
        }
        const Pictures old = lessonOf("old", 1);
        ScriptedWindowServices services;
        XmlStorage storage;
        QVERIFY(store::saveLesson(storage, file, shapesOf(old)));
        const QByteArray before = fileBytes(file);

        FileReplacement replacement(file);
        QCOMPARE(replacement.prepare(), FileReplacement::Status::Ok);
        const QString temporary = replacement.temporaryPath();
        QVERIFY(QFile::rename(temporary, base + "/moved.tmp"));
        QVERIFY(asLink ? QFile::link(theirs, temporary) : QFile::copy(theirs, temporary));
        QCOMPARE(::write(replacement.temporaryFd(), "new", 3), 3);
        QCOMPARE(replacement.commit(), FileReplacement::Status::NoAccess);
        QCOMPARE(fileBytes(theirs), QByteArray("theirs"));
        QCOMPARE(fileBytes(file), before);
        QVERIFY(!QFileInfo(file).isSymLink());
    }

    void emptyListWritesNothingAndKeepsTheOldFile() {
        const QString file = path("empty.les");
        const Pictures old = lessonOf("old", 1);
        ScriptedWindowServices services;
        XmlStorage storage;
        QVERIFY(store::saveLesson(storage, file, shapesOf(old)));
        const QByteArray before = fileBytes(file);
        QVERIFY(store::saveLesson(storage, file, {}));
        QCOMPARE(fileBytes(file), before);
        QVERIFY(store::saveLesson(storage, path("never.les"), {}));
        QVERIFY(!QFile::exists(path("never.les")));
        QVERIFY(services.messages.isEmpty());
    }

    void otherShapesAreLeftOut() {
        const Pictures lesson = lessonOf("p", 2);
        Pline line;
        std::vector<const Shape*> shapes{&line, lesson[0].get(), &line, lesson[1].get()};
        const QString file = path("mixed.les");
        ScriptedWindowServices services;
        XmlStorage storage;
        QVERIFY(store::saveLesson(storage, file, shapes));
        QCOMPARE(loadBack(file).names(), (QStringList{"p0", "p1"}));
    }

    // A save killed at any moment leaves either the old lesson or the new one, complete.
    void interruptedSaveLeavesOldOrNewLesson() {
        const QString folder = path("interrupted");
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + "/lesson.les";
        const Pictures old = lessonOf("old", 3);
        const QStringList oldNames{"old0", "old1", "old2"};
        QStringList newNames;
        for (int i = 0; i < 24; ++i)
            newNames << QString("new%1").arg(i);

        auto resetToOld = [&] {
            XmlStorage storage;
            QVERIFY(store::saveLesson(storage, file, shapesOf(old)));
        };
        // Starts the child and returns once it is about to save.
        auto startChild = [&](QProcess& child) {
            child.start(QCoreApplication::applicationFilePath(), {"--save-child", file});
            QVERIFY(child.waitForStarted());
            while (!child.canReadLine())
                QVERIFY(child.waitForReadyRead(60000));
            QCOMPARE(child.readLine(), QByteArray("ready\n"));
        };
        // One full run gives the time a save takes.
        resetToOld();
        qint64 saveMs = 0;
        {
            QProcess child;
            startChild(child);
            QVERIFY(child.waitForFinished(60000));
            QCOMPARE(child.exitCode(), 0);
            saveMs = child.readLine().trimmed().toLongLong();
        }
        QCOMPARE(loadBack(file).names(), newNames);

        int sawOld = 0, sawNew = 0;
        QRandomGenerator random(7);
        for (int round = 0; round < 16; ++round) {
            resetToOld();
            QProcess child;
            startChild(child);
            // Kill moments spread over the whole save and a little past it.
            QTest::qSleep(int(random.bounded(saveMs * 5 / 4 + 2)));
            if (child.state() != QProcess::NotRunning) {
                child.kill();
                QVERIFY(child.waitForFinished(60000));
            }
            const Loaded back = loadBack(file);
            QVERIFY2(back.ok, qPrintable(back.messages.join('|')));
            QVERIFY(back.messages.isEmpty());
            if (back.names() == oldNames)
                ++sawOld;
            else if (back.names() == newNames)
                ++sawNew;
            else
                QFAIL(qPrintable("neither lesson: " + back.names().join(',')));
        }
        qInfo("save %lld ms; interrupted saves: %d left the old lesson, %d the new one", saveMs,
              sawOld, sawNew);
    }

    void removeOldFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("stillThere");
        QTest::addColumn<bool>("message");
        QTest::newRow("no file") << "none" << true << false << false;
        QTest::newRow("a file") << "plain" << true << false << false;
        QTest::newRow("read-only file") << "readonly" << false << true << true;
        QTest::newRow("held by another opener counts as absent") << "held" << true << true << false;
    }
    void removeOldFile() {
        QFETCH(QString, kind);
        QFETCH(bool, result);
        QFETCH(bool, stillThere);
        QFETCH(bool, message);
        const QString file = path("remove-" + kind + ".les");
        FileLock holder;
        if (kind != "none") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        if (kind == "readonly")
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
        if (kind == "held")
            QVERIFY(holder.acquire(file, FileLock::Access::Read));
        ScriptedWindowServices services;
        QCOMPARE(store::removeOldFile(file), result);
        QCOMPARE(QFile::exists(file), stillThere);
        QCOMPARE(services.messageTexts(),
                 message ? QStringList{file + " нет доступа"} : QStringList{});
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--save-child") == 0)
        return runSaveChild(QString::fromLocal8Bit(argv[2]));
    TestLessonSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_lessonsave.moc"
