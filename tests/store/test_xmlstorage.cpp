// The container's own behaviour: what it writes it reads back, its messages, its names,
// its cache and its locks.

#include "Cp1251.h"
#include "Err.h"
#include "XmlStorage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString kCannotOpen =
    QStringLiteral("Не могу открыть файл. Возможно он занят другим приложением.");

QString errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Err& e) {
        return e.text();
    }
    return {};
}

QByteArray cp(const QString& text) {
    return cp1251::fromUnicode(text).value();
}

QByteArray patternBytes(qsizetype size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + seed * 17 + (i >> 8)) & 0xFF);
    return bytes;
}

using Pictures = QList<QPair<QByteArray, QByteArray>>; // cp1251 name, bytes

// Writes a file the way the lesson saver does; returns what close() said.
bool writeFile(const QString& path, const QByteArray& xml, const Pictures& pictures) {
    XmlStorage storage;
    storage.createLocalFile(path);
    storage.writeXmlStream(QStringLiteral("xml"), xml);
    for (const auto& [name, bytes] : pictures) {
        XmlStorage::CreatedStream created = storage.createPictureStream(name);
        if (created.result != XmlStorage::kOk)
            qFatal("createPictureStream failed: %x", unsigned(created.result));
        if (!created.stream.write(bytes))
            qFatal("write failed");
    }
    return storage.close();
}

QStringList streamNames(XmlStorage& storage) {
    QStringList names;
    for (const auto& entry : storage.rootStreams())
        names << entry.name;
    names.sort();
    return names;
}

} // namespace

class TestXmlStorage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void writesAndReadsBack_data() {
        QTest::addColumn<Pictures>("pictures");
        const QByteArray name31 = cp(QStringLiteral("Картинка_с_длинным_именем_31.ab"));
        QCOMPARE(name31.size(), 31);
        QTest::newRow("no pictures") << Pictures{};
        QTest::newRow("cyrillic name, mini stream")
            << Pictures{{cp(QStringLiteral("Знак_ё.jpg")), patternBytes(1000, 1)}};
        QTest::newRow("31-character name") << Pictures{{name31, patternBytes(300, 2)}};
        QTest::newRow("both sides of 4096") << Pictures{{"a4095", patternBytes(4095, 3)},
                                                        {"b4096", patternBytes(4096, 4)},
                                                        {"c4097", patternBytes(4097, 5)}};
        QTest::newRow("empty stream") << Pictures{{"empty", QByteArray()}};
        QTest::newRow("large and small mixed") << Pictures{{"big.bmp", patternBytes(300000, 6)},
                                                           {"small.gif", patternBytes(10, 7)},
                                                           {"big2.jpg", patternBytes(70000, 8)}};
    }
    void writesAndReadsBack() {
        QFETCH(Pictures, pictures);
        const QString file = path(QStringLiteral("roundtrip.les"));
        const QByteArray xml = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Data>\n"
                               "<name>" +
                               cp(QStringLiteral("Знак")) + "</name>\n</Data>\n";
        QVERIFY(writeFile(file, xml, pictures));

        XmlStorage storage;
        storage.openLocalForReading(file);
        QCOMPARE(storage.loadList().size(), size_t(4)); // <Data> <name> Знак</name> </Data>
        QCOMPARE(storage.readXmlStream(QStringLiteral("xml")), xml);
        for (const auto& [name, bytes] : pictures)
            QCOMPARE(storage.openPictureStream(name), bytes);
        QCOMPARE(storage.rootStreams().size(), size_t(pictures.size() + 1));
        QVERIFY(storage.close());
    }

    // Lookups ignore letter case, Latin and Cyrillic, as Windows does.
    void lookupIgnoresCase_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("asked");
        QTest::newRow("latin") << "Photo.JPG"
                               << "photo.jpg";
        QTest::newRow("cyrillic") << "Знак_Ё.bmp"
                                  << "ЗНАК_ё.BMP";
        QTest::newRow("xml stream") << "XML"
                                    << "xml";
    }
    void lookupIgnoresCase() {
        QFETCH(QString, stored);
        QFETCH(QString, asked);
        const QString file = path(QStringLiteral("case.les"));
        {
            XmlStorage storage;
            storage.createLocalFile(file);
            const bool isXml = stored.compare(u"xml", Qt::CaseInsensitive) == 0;
            storage.writeXmlStream(isXml ? stored : QStringLiteral("xml"), "<a>\n</a>\n");
            if (!isXml)
                QVERIFY(storage.createPictureStream(cp(stored)).stream.write("bytes"));
            QVERIFY(storage.close());
        }
        XmlStorage storage;
        storage.openLocalForReading(file);
        if (asked == u"xml")
            QCOMPARE(storage.readXmlStream(asked), QByteArray("<a>\n</a>\n"));
        else
            QCOMPARE(storage.openPictureStream(cp(asked)), QByteArray("bytes"));
    }

    // A created file must never hold a name libgsf would corrupt, nor two names equal but
    // for case; the caller sees a negative result and leaves the picture out.
    void createPictureStreamRefuses_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("result");
        QTest::newRow("empty") << QByteArray() << int(XmlStorage::kInvalidName);
        QTest::newRow("32 characters") << QByteArray(32, 'a') << int(XmlStorage::kInvalidName);
        QTest::newRow("slash") << QByteArray("a/b.jpg") << int(XmlStorage::kInvalidName);
        QTest::newRow("backslash") << QByteArray("a\\b.jpg") << int(XmlStorage::kInvalidName);
        QTest::newRow("colon") << QByteArray("c:b.jpg") << int(XmlStorage::kInvalidName);
        QTest::newRow("exclamation") << QByteArray("!b.jpg") << int(XmlStorage::kInvalidName);
        QTest::newRow("same name") << QByteArray("Pic.jpg") << int(XmlStorage::kFileAlreadyExists);
        QTest::newRow("same but for case")
            << QByteArray("PIC.JPG") << int(XmlStorage::kFileAlreadyExists);
        QTest::newRow("xml but for case")
            << QByteArray("Xml") << int(XmlStorage::kFileAlreadyExists);
    }
    void createPictureStreamRefuses() {
        QFETCH(QByteArray, name);
        QFETCH(int, result);
        const QString file = path(QStringLiteral("refuse.les"));
        XmlStorage storage;
        storage.createLocalFile(file);
        storage.writeXmlStream(QStringLiteral("xml"), "<a>\n</a>\n");
        QVERIFY(storage.createPictureStream("Pic.jpg").stream.write("first"));
        XmlStorage::CreatedStream refused = storage.createPictureStream(name);
        QCOMPARE(int(refused.result), result);
        QVERIFY(!refused.stream.isOpen());
        QVERIFY(!refused.stream.write("x"));
        QCOMPARE(int(storage.lastResult()), result);
        // The file stays sound and the refused stream is simply missing.
        QVERIFY(storage.createPictureStream("after").stream.write("after"));
        QVERIFY(storage.close());

        storage.openLocalForUpdate(file);
        QCOMPARE(streamNames(storage), QStringList({"Pic.jpg", "after", "xml"}));
        QCOMPARE(storage.openPictureStream("Pic.jpg"), QByteArray("first"));
    }

    void openFailures_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("readingMessage");
        QTest::addColumn<QString>("updateMessage");
        QTest::addColumn<QString>("createMessage"); // empty: creating works
        const QString createFailed = QStringLiteral("Failed StgCreateStorageEx");
        QTest::newRow("missing file")
            << "missing.frag" << kCannotOpen << "Failed StgOpenStorage" << QString();
        QTest::newRow("missing folder")
            << "no/such/folder.frag" << kCannotOpen << "Failed StgOpenStorage" << createFailed;
        QTest::newRow("a folder") << "." << kCannotOpen << "Failed StgOpenStorage" << createFailed;
        QTest::newRow("empty path") << "" << kCannotOpen << "Failed StgOpenStorage" << createFailed;
    }
    void openFailures() {
        QFETCH(QString, file);
        QFETCH(QString, readingMessage);
        QFETCH(QString, updateMessage);
        QFETCH(QString, createMessage);
        const QString full = file.isEmpty() ? file : path(file);
        XmlStorage storage;
        QCOMPARE(errorOf([&] { storage.openLocalForReading(full); }), readingMessage);
        QVERIFY(storage.lastResult() < 0);
        QVERIFY(!storage.isOpen());
        QCOMPARE(errorOf([&] { storage.openLocalForUpdate(full); }), updateMessage);
        QVERIFY(!storage.isOpen());
        QCOMPARE(errorOf([&] { storage.createLocalFile(full); }), createMessage);
        QCOMPARE(storage.isOpen(), createMessage.isEmpty());
        QVERIFY(storage.close());
        QFile::remove(full);
    }

    // A FIFO would block a plain open() until a writer comes; the container must not wait.
    void fifoIsRefusedWithoutBlocking() {
        const QString fifo = path(QStringLiteral("pipe.frag"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        XmlStorage storage;
        QCOMPARE(errorOf([&] { storage.openLocalForReading(fifo); }), kCannotOpen);
        QCOMPARE(errorOf([&] { storage.createLocalFile(fifo); }),
                 QStringLiteral("Failed StgCreateStorageEx"));
    }

    // Paths arrive as code page 1251 bytes; the file system sees UTF-8.
    void cp1251PathsReachTheFileSystem() {
        const QString name = QStringLiteral("Урок №1.les");
        const QByteArray cpPath = cp(path(name));
        XmlStorage storage;
        storage.createFile(cpPath);
        QCOMPARE(storage.storagePath(), cpPath);
        storage.writeXmlStream(QStringLiteral("xml"), "<a>\n</a>\n");
        QVERIFY(storage.close());
        QVERIFY(storage.storagePath().isEmpty());
        QVERIFY(QFile::exists(path(name)));
        storage.openForReading(cpPath);
        storage.close();
        storage.openForUpdate(cpPath);
        QCOMPARE(storage.readXmlStream(QStringLiteral("xml")), QByteArray("<a>\n</a>\n"));
    }

    void missingStreams_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("absent") << QByteArray("nothing.jpg");
        QTest::newRow("longer than 31") << QByteArray(40, 'p');
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("invalid character") << QByteArray("a/b");
    }
    void missingStreams() {
        QFETCH(QByteArray, name);
        const QString file = path(QStringLiteral("missing-streams.frag"));
        {
            XmlStorage storage;
            storage.createLocalFile(file);
            storage.writeXmlStream(QStringLiteral("xml"), "<a>\n</a>\n");
            QVERIFY(storage.close());
        }
        XmlStorage storage;
        storage.openLocalForReading(file);
        QCOMPARE(errorOf([&] { storage.openPictureStream(name); }),
                 QStringLiteral("Failed OpenStream"));
        QCOMPARE(errorOf([&] { storage.readXmlStream(cp1251::toUnicode(name)); }),
                 QStringLiteral("Failed OpenWXmlStream"));
    }

    // Calls that do not fit the container's state fail with their own message or code.
    void callsThatDoNotFitTheState() {
        XmlStorage storage; // closed
        QCOMPARE(errorOf([&] { storage.openPictureStream("a"); }),
                 QStringLiteral("Failed OpenStream"));
        QCOMPARE(errorOf([&] { storage.readXmlStream(QStringLiteral("xml")); }),
                 QStringLiteral("Failed OpenWXmlStream"));
        QCOMPARE(errorOf([&] { storage.writeXmlStream(QStringLiteral("xml"), "x"); }),
                 QStringLiteral("Failed CreateStream"));
        QCOMPARE(int(storage.createPictureStream("a").result), int(XmlStorage::kInvalidFunction));
        QVERIFY(storage.rootStreams().empty());

        // Opened for update: read access suffices and nothing is ever written.
        const QString file = path(QStringLiteral("readonly.les"));
        QVERIFY(writeFile(file, "<a>\n</a>\n", {{"p", "1"}}));
        QFile::setPermissions(file, QFile::ReadOwner);
        storage.openLocalForUpdate(file);
        QCOMPARE(errorOf([&] { storage.writeXmlStream(QStringLiteral("xml2"), "x"); }),
                 QStringLiteral("Failed CreateStream"));
        QCOMPARE(int(storage.createPictureStream("q").result), int(XmlStorage::kInvalidFunction));
        QVERIFY(storage.close());
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);

        // Created: the "xml" stream exists once.
        storage.createLocalFile(file);
        storage.writeXmlStream(QStringLiteral("xml"), "<a>\n</a>\n");
        QCOMPARE(errorOf([&] { storage.writeXmlStream(QStringLiteral("XML"), "x"); }),
                 QStringLiteral("Failed CreateStream"));
        QVERIFY(storage.close());
    }

    // The same name twice: the same bytes, and each caller's copy is its own.
    void cacheHandsOutIndependentCopies() {
        const QString file = path(QStringLiteral("cache.frag"));
        const QByteArray bytes = patternBytes(9000, 9);
        QVERIFY(writeFile(file, "<a>\n</a>\n", {{"pic.jpg", bytes}}));
        XmlStorage storage;
        storage.openLocalForReading(file);
        QByteArray first = storage.openPictureStream("pic.jpg");
        QByteArray second = storage.openPictureStream("pic.jpg");
        QByteArray otherCase = storage.openPictureStream("PIC.jpg");
        QCOMPARE(second, bytes);
        QCOMPARE(otherCase, bytes);
        first[0] = char(~first[0]);
        first.truncate(10);
        QCOMPARE(second, bytes);
        QCOMPARE(storage.openPictureStream("pic.jpg"), bytes);
    }

    void closeTwiceIsHarmless() {
        const QString file = path(QStringLiteral("close.les"));
        XmlStorage storage;
        QVERIFY(storage.close()); // nothing open
        storage.createLocalFile(file);
        storage.writeXmlStream(QStringLiteral("xml"), "<a>\n</a>\n");
        storage.createRoot("Data");
        QVERIFY(storage.close());
        QVERIFY(storage.close());
        QVERIFY(storage.saveList().empty());
        QVERIFY(storage.storagePath().isEmpty());
        QVERIFY(!storage.isOpen());
        // The document can be built again after close.
        storage.createRoot("Data");
    }

    // Creating over an existing file replaces it entirely.
    void createReplacesTheWholeFile() {
        const QString file = path(QStringLiteral("replace.les"));
        QVERIFY(writeFile(file, "<old>\n</old>\n",
                          {{"a", patternBytes(50000, 1)}, {"b", patternBytes(100, 2)}}));
        const qint64 oldSize = QFileInfo(file).size();
        QVERIFY(writeFile(file, "<new>\n</new>\n", {{"c", "c"}}));
        QVERIFY(QFileInfo(file).size() < oldSize);
        XmlStorage storage;
        storage.openLocalForUpdate(file);
        QCOMPARE(streamNames(storage), QStringList({"c", "xml"}));
        QCOMPARE(storage.readXmlStream(QStringLiteral("xml")), QByteArray("<new>\n</new>\n"));
    }

    // Only one stream is open for writing: the next one completes the previous.
    void nextStreamCompletesThePrevious() {
        const QString file = path(QStringLiteral("sequence.les"));
        XmlStorage storage;
        storage.createLocalFile(file);
        XmlStorage::CreatedStream first = storage.createPictureStream("first");
        QVERIFY(first.stream.write(patternBytes(5000, 1)));
        XmlStorage::CreatedStream second = storage.createPictureStream("second");
        QVERIFY(!first.stream.isOpen());
        QVERIFY(!first.stream.write("late"));
        QVERIFY(second.stream.write(patternBytes(5000, 2)));
        storage.writeXmlStream(QStringLiteral("xml"), "<a>\n</a>\n");
        QVERIFY(!second.stream.write("late"));
        QVERIFY(storage.close());
        storage.openLocalForReading(file);
        QCOMPARE(storage.openPictureStream("first"), patternBytes(5000, 1));
        QCOMPARE(storage.openPictureStream("second"), patternBytes(5000, 2));
    }

    // Empty "xml" stream: an empty text, and an empty document.
    void emptyXmlStream() {
        const QString file = path(QStringLiteral("empty-xml.frag"));
        QVERIFY(writeFile(file, QByteArray(), {}));
        XmlStorage storage;
        storage.openLocalForReading(file);
        QVERIFY(storage.loadList().empty());
        QCOMPARE(errorOf([&] { storage.documentRange(); }), QStringLiteral("Empty loadList"));
        QCOMPARE(storage.readXmlStream(QStringLiteral("xml")), QByteArray());
    }

    // An "xml" stream longer than a document may be is refused before it is read, by the
    // fragment open and by the lesson's stream read alike; one byte less is read.
    void oversizedXmlStreamIsRefused() {
        const QString file = path(QStringLiteral("oversized-xml.frag"));
        QVERIFY(writeFile(file, QByteArray(XmlStorage::kMaxTextBytes + 1, 'a'), {}));
        XmlStorage storage;
        QCOMPARE(errorOf([&] { storage.openLocalForReading(file); }),
                 QStringLiteral("Failed Read Xml"));
        storage.openLocalForUpdate(file);
        QCOMPARE(errorOf([&] { storage.readXmlStream(QStringLiteral("xml")); }),
                 QStringLiteral("Failed Read Xml"));
        storage.close();
        QVERIFY(writeFile(file, QByteArray(XmlStorage::kMaxTextBytes, 'a'), {}));
        storage.openLocalForReading(file);
        QCOMPARE(storage.loadList().size(), std::size_t(1));
    }

    // Every kind of open holds the file against every writer until close; readers of a
    // fragment share it (two instances, or two classrooms, showing one topic), the rest
    // hold it alone.
    void secondOpenerIsRefused_data() {
        QTest::addColumn<int>("firstMode");
        QTest::addColumn<bool>("readerLetIn");
        QTest::newRow("held for reading") << 0 << true;
        QTest::newRow("held for update") << 1 << false;
        QTest::newRow("held while created") << 2 << false;
        QTest::newRow("held after a failed xml open") << 3 << true;
    }
    void secondOpenerIsRefused() {
        QFETCH(int, firstMode);
        QFETCH(bool, readerLetIn);
        const QString file = path(QStringLiteral("held.frag"));
        QVERIFY(writeFile(file, "<a>\n</a>\n", {{"pic", "bytes"}}));
        XmlStorage first;
        switch (firstMode) {
        case 0:
            first.openLocalForReading(file);
            break;
        case 1:
            first.openLocalForUpdate(file);
            break;
        case 2:
            first.createLocalFile(file);
            break;
        case 3: {
            XmlStorage maker;
            maker.createLocalFile(file);
            maker.createPictureStream("pic").stream.write("x");
            QVERIFY(maker.close());
            QCOMPARE(errorOf([&] { first.openLocalForReading(file); }),
                     QStringLiteral("Failed OpenStream"));
            break;
        }
        }
        const qint64 sizeWhileHeld = QFileInfo(file).size();
        XmlStorage second;
        if (readerLetIn) {
            XmlStorage reader; // gets as far as the first did
            QCOMPARE(errorOf([&] { reader.openLocalForReading(file); }),
                     firstMode == 3 ? QStringLiteral("Failed OpenStream") : QString());
        } else {
            QCOMPARE(errorOf([&] { second.openLocalForReading(file); }), kCannotOpen);
            QCOMPARE(int(second.lastResult()), int(XmlStorage::kShareViolation));
        }
        QCOMPARE(errorOf([&] { second.openLocalForUpdate(file); }),
                 QStringLiteral("Failed StgOpenStorage"));
        QCOMPARE(errorOf([&] { second.createLocalFile(file); }),
                 QStringLiteral("Failed StgCreateStorageEx"));
        // The refused creator did not empty the file under its holder.
        QCOMPARE(QFileInfo(file).size(), sizeWhileHeld);
        first.close();
        second.openLocalForUpdate(file);
    }

    // A write that fails (here: the file size limit) makes close() report an incomplete file.
    void closeReportsWriteFailure() {
        const QString file = path(QStringLiteral("too-big.les"));
        struct rlimit saved {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 20000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);

        bool closed = true;
        {
            XmlStorage storage;
            storage.createLocalFile(file);
            storage.writeXmlStream(QStringLiteral("xml"), "<a>\n</a>\n");
            XmlStorage::CreatedStream created = storage.createPictureStream("big");
            created.stream.write(patternBytes(200000, 1));
            created.stream.release();
            closed = storage.close();
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!closed);

        // Without the limit the same file is written completely.
        XmlStorage storage;
        storage.createLocalFile(file);
        storage.writeXmlStream(QStringLiteral("xml"), "<a>\n</a>\n");
        QVERIFY(storage.createPictureStream("big").stream.write(patternBytes(200000, 1)));
        QVERIFY(storage.close());
    }
};

QTEST_GUILESS_MAIN(TestXmlStorage)
#include "test_xmlstorage.moc"
