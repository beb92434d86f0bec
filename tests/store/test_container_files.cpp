// The container against the outside world: files we write read by independent readers
// (olefile at its strict level, olecfexport), files of independent writers (gsf createole,
// the tests' own CfbBuilder) read by us, the damaged files of tests/data/malformed, locks
// across processes, and the trevalon-frag tool.

#include "CfbBuilder.h"
#include "Cp1251.h"
#include "Err.h"
#include "MalformedFiles.h"
#include "XmlStorage.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

const QString kCannotOpen =
    QStringLiteral("Не могу открыть файл. Возможно он занят другим приложением.");
const QString kPython = QStringLiteral("/usr/bin/python3");

QString errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Err& e) {
        return e.text();
    }
    return {};
}

QByteArray patternBytes(qsizetype size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + seed * 101 + (i >> 9)) & 0xFF);
    return bytes;
}

// Streams by name (UTF-16 as the file holds them).
using StreamMap = QMap<QString, QByteArray>;

bool writeWithContainer(const QString& path, const StreamMap& streams) {
    XmlStorage storage;
    storage.createLocalFile(path);
    for (auto it = streams.begin(); it != streams.end(); ++it) {
        if (it.key() == u"xml") {
            storage.writeXmlStream(it.key(), it.value());
            continue;
        }
        XmlStorage::CreatedStream created =
            storage.createPictureStream(cp1251::fromUnicode(it.key()).value());
        if (created.result != XmlStorage::kOk || !created.stream.write(it.value()))
            return false;
    }
    return storage.close();
}

struct Run {
    int exitCode = -1;
    bool crashed = true;
    QByteArray out;
    QByteArray err;
};

Run run(const QString& program, const QStringList& args, int timeoutMs = 30000) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    process.setProcessEnvironment(env);
    process.start(program, args);
    Run r;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.crashed = process.exitStatus() != QProcess::NormalExit;
    r.exitCode = process.exitCode();
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

// Reads every stream of a compound file with olefile, failing on any defect it would
// merely warn about at its default level.
const char* kOlefileDump = R"PY(
import os, sys, olefile
path, out = sys.argv[1], sys.argv[2]
ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
for i, entry in enumerate(ole.listdir(streams=True, storages=False)):
    with open(os.path.join(out, str(i)), 'wb') as f:
        f.write(ole.openstream(entry).read())
    print(str(i) + '\t' + '/'.join(entry))
ole.close()
)PY";

StreamMap readWithOlefile(const QString& path, QString* error) {
    QTemporaryDir out;
    const Run r =
        run(kPython, {QStringLiteral("-c"), QString::fromLatin1(kOlefileDump), path, out.path()});
    StreamMap streams;
    if (r.crashed || r.exitCode != 0) {
        *error = QString::fromUtf8(r.err);
        return streams;
    }
    for (const QByteArray& line : r.out.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> parts = line.split('\t');
        QFile f(out.filePath(QString::fromLatin1(parts[0])));
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("missing dump");
            return {};
        }
        streams.insert(QString::fromUtf8(parts[1]), f.readAll());
    }
    return streams;
}

// olecfexport writes each stream to <target>.export/<name>/StreamData.bin.
StreamMap readWithOlecfexport(const QString& path, QString* error) {
    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("x"));
    const Run r = run(QStringLiteral("olecfexport"), {QStringLiteral("-t"), target, path});
    StreamMap streams;
    if (r.crashed || r.exitCode != 0) {
        *error = QString::fromUtf8(r.out + r.err);
        return streams;
    }
    QDirIterator it(out.path(), {QStringLiteral("StreamData.bin")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("unreadable export");
            return {};
        }
        streams.insert(QFileInfo(file).dir().dirName(), f.readAll());
    }
    return streams;
}

} // namespace

class TestContainerFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    static QString malformedDir() {
        return qEnvironmentVariable("TM_TEST_DATA") + QStringLiteral("/malformed");
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void independentReadersReadOurFiles_data() {
        QTest::addColumn<StreamMap>("streams");
        const QByteArray xml =
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Data>\n</Data>\n";
        QTest::newRow("cyrillic names") << StreamMap{{"xml", xml},
                                                     {"Знак_ё.jpg", patternBytes(700, 1)},
                                                     {"Переход.gif", patternBytes(1, 2)}};
        QTest::newRow("31-character names")
            << StreamMap{{"xml", xml},
                         {"Картинка_с_длинным_именем_31.ab", patternBytes(5000, 3)},
                         {QString(31, u'x'), patternBytes(64, 4)}};
        QTest::newRow("both sides of 4096") << StreamMap{{"xml", xml},
                                                         {"a", patternBytes(4095, 5)},
                                                         {"b", patternBytes(4096, 6)},
                                                         {"c", patternBytes(4097, 7)}};
        QTest::newRow("empty streams") << StreamMap{{"xml", QByteArray()}, {"e", QByteArray()}};
        StreamMap many{{"xml", patternBytes(20000, 8)}};
        for (int i = 0; i < 40; ++i)
            many.insert(QStringLiteral("Рисунок %1.jpg").arg(i), patternBytes(i * 997 % 9000, i));
        QTest::newRow("forty pictures") << many;
    }
    void independentReadersReadOurFiles() {
        QFETCH(StreamMap, streams);
        const QString file = path(QStringLiteral("ours.les"));
        QVERIFY(writeWithContainer(file, streams));

        if (!QFile::exists(kPython))
            QSKIP("no /usr/bin/python3");
        QString error;
        QCOMPARE(readWithOlefile(file, &error), streams);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        if (QStandardPaths::findExecutable(QStringLiteral("olecfexport")).isEmpty())
            QSKIP("no olecfexport");
        QCOMPARE(readWithOlecfexport(file, &error), streams);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void gsfCreateoleFilesReadByUs_data() {
        QTest::addColumn<QString>("pictureName");
        QTest::addColumn<int>("pictureSize");
        QTest::newRow("small, cyrillic") << "Знак.jpg" << 1000;
        QTest::newRow("large") << "photo.bmp" << 100000;
    }
    void gsfCreateoleFilesReadByUs() {
        QFETCH(QString, pictureName);
        QFETCH(int, pictureSize);
        if (QStandardPaths::findExecutable(QStringLiteral("gsf")).isEmpty())
            QSKIP("no gsf (libgsf-bin)");
        QTemporaryDir in;
        const QByteArray xml =
            "<Data>\n<name>" + cp1251::fromUnicode(pictureName).value() + "</name>\n</Data>\n";
        const QByteArray picture = patternBytes(pictureSize, 3);
        for (const auto& [name, bytes] :
             {std::pair{QStringLiteral("xml"), xml}, std::pair{pictureName, picture}}) {
            QFile f(in.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const QString file = path(QStringLiteral("gsf.frag"));
        QFile::remove(file);
        const Run r = run(QStringLiteral("gsf"),
                          {QStringLiteral("createole"), file, in.filePath(QStringLiteral("xml")),
                           in.filePath(pictureName)});
        QVERIFY2(!r.crashed && r.exitCode == 0, r.err.constData());

        XmlStorage storage;
        storage.openLocalForReading(file);
        const XmlRange root = storage.documentRange();
        const QByteArray name = storage.getTextElement(root, "name").value();
        QCOMPARE(storage.openPictureStream(name), picture);
    }

    // Files from the tests' own writer, in both sector sizes.
    // Files from the tests' own writer, in both sector sizes. "sound" rows are valid files
    // (olefile must read them too); names equal but for case are not valid, yet must not
    // confuse us: an exact name wins.
    void builderFilesReadByUs_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<StreamMap>("streams");
        const QByteArray xml = "<Data>\n</Data>\n";
        for (int version : {3, 4}) {
            const char* v = version == 3 ? "v3 " : "v4 ";
            QTest::addRow("%smini stream", v)
                << version << true << StreamMap{{"xml", xml}, {"pic.jpg", patternBytes(100, 1)}};
            QTest::addRow("%sregular sectors", v)
                << version << true
                << StreamMap{{"xml", patternBytes(9000, 2)}, {"pic.jpg", patternBytes(20000, 3)}};
            QTest::addRow("%snames equal but for case", v)
                << version << false
                << StreamMap{{"xml", xml},
                             {"Pic.jpg", patternBytes(50, 4)},
                             {"PIC.JPG", patternBytes(5000, 5)},
                             {"Знак", patternBytes(60, 6)},
                             {"ЗНАК", patternBytes(70, 7)}};
            StreamMap many{{"XML", xml}};
            for (int i = 0; i < 30; ++i)
                many.insert(QStringLiteral("p%1").arg(i), patternBytes(i * 300, i));
            QTest::addRow("%sdirectory over several sectors, upper-case XML", v)
                << version << true << many;
        }
    }
    void builderFilesReadByUs() {
        QFETCH(int, version);
        QFETCH(bool, sound);
        QFETCH(StreamMap, streams);
        CfbBuilder builder(version);
        for (auto it = streams.begin(); it != streams.end(); ++it)
            builder.addStream(it.key(), it.value());
        const QString file = path(QStringLiteral("builder.frag"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(builder.build());
        }
        if (sound && QFile::exists(kPython)) {
            QString error;
            QCOMPARE(readWithOlefile(file, &error), streams);
        }

        XmlStorage storage;
        storage.openLocalForReading(file);
        QCOMPARE(storage.rootStreams().size(), size_t(streams.size()));
        for (auto it = streams.begin(); it != streams.end(); ++it) {
            if (it.key().compare(u"xml", Qt::CaseInsensitive) == 0)
                QCOMPARE(storage.readXmlStream(QStringLiteral("xml")), it.value());
            else
                QCOMPARE(storage.openPictureStream(cp1251::fromUnicode(it.key()).value()),
                         it.value());
        }
    }

    // The root's streams are listed shorter names first, then by their upper-cased UTF-16
    // units, whatever order the directory holds them in; a name in another case finds its
    // stream.
    void rootStreamsInNameOrder() {
        const QStringList ordered = {"a",  "B",   "AA",  "ab",   "Zz",   "[x",
                                     "_x", "xml", "zZ1", "Знак", "c.jpg"};
        for (int version : {3, 4}) {
            CfbBuilder builder(version);
            for (qsizetype i = ordered.size(); i-- > 0;)
                builder.addStream(ordered[i], ordered[i].toUtf8());
            const QString file = path(QStringLiteral("ordered.frag"));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(builder.build());
            f.close();
            XmlStorage storage;
            storage.openLocalForUpdate(file);
            QStringList listed;
            for (const XmlStorage::StreamEntry& entry : storage.rootStreams())
                listed << entry.name;
            QCOMPARE(listed, ordered);
            QCOMPARE(storage.openPictureStream("zz1"), QByteArray("zZ1"));
            QCOMPARE(storage.openPictureStream(cp1251::fromUnicode(u"ЗНАК"_qs).value()),
                     QString("Знак").toUtf8());
        }
    }

    void storageIsNotAPictureStream() {
        CfbBuilder builder;
        builder.addStream(QStringLiteral("xml"), "<a>\n</a>\n");
        builder.addStorage(QStringLiteral("sub"));
        const QString file = path(QStringLiteral("storage.frag"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(builder.build());
        f.close();
        XmlStorage storage;
        storage.openLocalForReading(file);
        QCOMPARE(errorOf([&] { storage.openPictureStream("sub"); }),
                 QStringLiteral("Failed OpenStream"));
        QCOMPARE(storage.rootStreams().size(), size_t(1));
    }

    // Every file of tests/data/malformed, each with what opening it must give. The picture
    // column says what asking for "pic.jpg" gives once the file is open: "ok" (its bytes),
    // "empty" (a damaged stream, reported by the picture loader) or the message raised.
    void malformedFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("openMessage");
        QTest::addColumn<QString>("picture");
        const QMap<QString, QPair<QString, QString>> expected = {
            {"empty.frag", {kCannotOpen, {}}},
            {"not-a-compound-file.frag", {kCannotOpen, {}}},
            {"wrong-signature.frag", {kCannotOpen, {}}},
            {"truncated-header.frag", {kCannotOpen, {}}},
            {"truncated-picture.frag", {{}, "empty"}},
            {"bad-sector-shift.frag", {kCannotOpen, {}}},
            {"fat-sector-count-huge.frag", {kCannotOpen, {}}},
            {"directory-start-past-end.frag", {kCannotOpen, {}}},
            {"directory-chain-loop.frag", {kCannotOpen, {}}},
            {"directory-loop.frag", {kCannotOpen, {}}},
            {"directory-sibling-is-root.frag", {kCannotOpen, {}}},
            {"directory-shared-entry.frag", {kCannotOpen, {}}},
            {"fat-chain-loop.frag", {"Failed Read Xml", "ok"}},
            {"mini-chain-loop.frag", {"Failed Read Xml", "ok"}},
            {"mini-stream-chain-loop.frag", {"Failed Read Xml", "ok"}},
            {"xml-size-past-end.frag", {kCannotOpen, {}}},
            {"stream-size-past-end.frag", {kCannotOpen, {}}},
            {"stream-start-past-end.frag", {{}, "empty"}},
            {"mini-stream-size-past-end.frag", {{}, "ok"}},
            {"name-length-oversized.frag", {{}, "Failed OpenStream"}},
            {"no-xml-stream.frag", {"Failed OpenStream", "ok"}},
            {"xml-is-storage.frag", {"Failed OpenStream", "ok"}},
        };
        const QStringList files =
            QDir(malformedDir()).entryList({QStringLiteral("*.frag")}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString& file : files) {
            if (!expected.contains(file))
                QFAIL(qPrintable(QStringLiteral("no expectation for %1").arg(file)));
            QTest::newRow(qPrintable(file))
                << file << expected[file].first << expected[file].second;
        }
    }
    void malformedFiles() {
        QFETCH(QString, file);
        QFETCH(QString, openMessage);
        QFETCH(QString, picture);
        const QString full = malformedDir() + u'/' + file;
        XmlStorage storage;
        QCOMPARE(errorOf([&] { storage.openLocalForReading(full); }), openMessage);
        if (!picture.isEmpty()) {
            QByteArray bytes;
            const QString message = errorOf([&] { bytes = storage.openPictureStream("pic.jpg"); });
            if (picture == u"ok")
                QCOMPARE(bytes.size(), qsizetype(kPictureSize));
            else if (picture == u"empty")
                QVERIFY(bytes.isEmpty() && message.isEmpty());
            else
                QCOMPARE(message, picture);
        }
        storage.rootStreams();
        storage.close();

        // The tool survives the same file.
        for (const QString& command : {QStringLiteral("streams"), QStringLiteral("xml")}) {
            const Run r = run(QStringLiteral(TM_FRAG_TOOL), {command, full});
            QVERIFY(!r.crashed);
            QVERIFY(r.exitCode == 0 || r.exitCode == 1);
        }
    }

    // The committed files are what the generator makes today.
    void malformedFilesMatchTheirGenerator() {
        for (const MalformedFile& made : ::malformedFiles()) {
            QFile committed(malformedDir() + u'/' + made.name);
            QVERIFY2(committed.open(QIODevice::ReadOnly), qPrintable(made.name));
            QVERIFY2(committed.readAll() == made.bytes,
                     qPrintable(made.name + QStringLiteral(" differs: run make_malformed")));
        }
    }

    // We hold the file: another process (trevalon-frag) is refused, then let in.
    void otherProcessRefusedWhileWeHold() {
        const QString file = path(QStringLiteral("held.frag"));
        QVERIFY(writeWithContainer(file, {{"xml", "<a>\n</a>\n"}, {"pic", "12345"}}));
        XmlStorage holder;
        holder.openLocalForReading(file);
        Run r = run(QStringLiteral(TM_FRAG_TOOL), {QStringLiteral("streams"), file});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err.trimmed(), QByteArray("Failed StgOpenStorage"));
        holder.close();
        r = run(QStringLiteral(TM_FRAG_TOOL), {QStringLiteral("streams"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("5\tpic\n9\txml\n"));
    }

    // Another process holds the file: we are refused, and a create does not empty it.
    void weAreRefusedWhileAnotherProcessHolds() {
        if (!QFile::exists(kPython))
            QSKIP("no /usr/bin/python3");
        const QString file = path(QStringLiteral("held-elsewhere.frag"));
        QVERIFY(writeWithContainer(file, {{"xml", "<a>\n</a>\n"}}));
        const qint64 size = QFileInfo(file).size();
        QProcess holder;
        holder.start(kPython, {QStringLiteral("-c"),
                               QStringLiteral("import fcntl, sys\n"
                                              "f = open(sys.argv[1], 'rb')\n"
                                              "fcntl.flock(f, fcntl.LOCK_EX)\n"
                                              "print('locked', flush=True)\n"
                                              "sys.stdin.read()\n"),
                               file});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readAllStandardOutput().trimmed(), QByteArray("locked"));

        XmlStorage storage;
        QCOMPARE(errorOf([&] { storage.openLocalForReading(file); }), kCannotOpen);
        QCOMPARE(errorOf([&] { storage.openLocalForUpdate(file); }),
                 QStringLiteral("Failed StgOpenStorage"));
        QCOMPARE(errorOf([&] { storage.createLocalFile(file); }),
                 QStringLiteral("Failed StgCreateStorageEx"));
        QCOMPARE(QFileInfo(file).size(), size);

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        storage.openLocalForReading(file);
    }

    void fragTool_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QString file = path(QStringLiteral("tool.les"));
        const QString missing = path(QStringLiteral("missing.les"));
        QTest::newRow("streams") << QStringList{"streams", file} << 0
                                 << QByteArray("36\txml\n6000\tРисунок.jpg\n") << QByteArray();
        QTest::newRow("xml as UTF-8")
            << QStringList{"xml", file} << 0
            << QByteArray("<Data>\n<name>Рисунок</name>\n</Data>\n") << QByteArray();
        QTest::newRow("missing file") << QStringList{"xml", missing} << 1 << QByteArray()
                                      << QByteArray("Failed StgOpenStorage\n");
        QTest::newRow("no xml stream")
            << QStringList{"xml", malformedDir() + "/no-xml-stream.frag"} << 1 << QByteArray()
            << QByteArray("Failed OpenWXmlStream\n");
        QTest::newRow("missing argument") << QStringList{"streams"} << 2 << QByteArray()
                                          << QByteArray("usage: trevalon-frag streams FILE\n");
        QTest::newRow("unknown command")
            << QStringList{"frobnicate", file} << 2 << QByteArray() << QByteArray();
    }
    void fragTool() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const QString file = path(QStringLiteral("tool.les"));
        if (!QFile::exists(file))
            QVERIFY(writeWithContainer(
                file,
                {{"xml", cp1251::fromUnicode("<Data>\n<name>Рисунок</name>\n</Data>\n").value()},
                 {"Рисунок.jpg", patternBytes(6000, 1)}}));
        const Run r = run(QStringLiteral(TM_FRAG_TOOL), args);
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.out, out);
        if (!err.isEmpty())
            QCOMPARE(r.err, err);
    }
};

QTEST_GUILESS_MAIN(TestContainerFiles)
#include "test_container_files.moc"
