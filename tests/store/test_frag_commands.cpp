// The ls, check, extract and pack commands of trevalon-frag, run as a separate process.
#include "StoreFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using fixtures::documentXml;
using fixtures::recordXml;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run frag(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(TM_FRAG_TOOL), args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void writeText(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray withMedia(QByteArray record, const QByteArray& field, const QByteArray& value) {
    return record.replace("<" + field + "></" + field + ">",
                          "<" + field + ">" + value + "</" + field + ">");
}

} // namespace

class TestFragCommands : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void lsShowsEveryRecordAndMessage() {
        const QString file = path("ls.frag");
        QByteArray vector = recordXml("v", 0, 0);
        vector.replace("BmpRectStream", "VectorLine");
        QByteArray scaled = recordXml("good", 1.5, -2);
        scaled.replace("<scale>1</scale>", "<scale>0.5</scale>");
        fixtures::writeContainer(
            file, documentXml({scaled, vector, recordXml("bad", 0, 0), recordXml("gone", 0, 0)}),
            {{"good", fixtures::pngBytes({40, 30}, Qt::red)}, {"bad", "not a picture"}});
        const Run r = frag({"ls", file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.split('\n', Qt::SkipEmptyParts),
                 (QStringList{
                     "1\tloaded\tBmpRectStream\tgood\tgood\t40x30\t1\t0\t0\t0.5\t1.5\t-2\t1.5\t8",
                     "2\tskipped\tVectorLine\tv\tv\t-\t1\t0\t0\t1\t0\t0\t0\t10",
                     "3\tfailed\tBmpRectStream\tbad\tbad\t-\t1\t0\t0\t1\t0\t0\t0\t10",
                     "4\tfailed\tBmpRectStream\tgone\tgone\t-\t1\t0\t0\t1\t0\t0\t0\t10",
                     // The failure that ended the load first; pictures that did not decode
                     // are told together at the very end.
                     "message:Failed OpenStream", "message:Failed to load picture."}));
    }

    void lsOfAnUnreadableFileFails() {
        const QString file = path("notafile.frag");
        writeText(file, "plain text");
        const Run r = frag({"ls", file, "--lesson"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString("message:Файл открыт другим приложением или поврежден.\n"));
    }

    // Media names as the program would open them from the content folder.
    void checkMedia_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("problem"); // empty: none
        QTest::newRow("present") << QByteArray("srcName") << QByteArray("media/anim.doc")
                                 << QString();
        QTest::newRow("missing") << QByteArray("srcName") << QByteArray("nothing.doc")
                                 << "srcName \"nothing.doc\" not found in the content folder";
        QTest::newRow("letter case") << QByteArray("aviName") << QByteArray("media/CLIP.avi")
                                     << "aviName \"media/CLIP.avi\" not found (there is "
                                        "\"clip.avi\", which differs in letter case)";
        QTest::newRow("not a video name is not opened")
            << QByteArray("aviName") << QByteArray("nothing.mpg") << QString();
        QTest::newRow("climbing out") << QByteArray("srcName") << QByteArray("../secret.doc")
                                      << "srcName \"../secret.doc\" leads outside the content "
                                         "folder";
        QTest::newRow("absolute") << QByteArray("srcName") << QByteArray("/etc/passwd")
                                  << "srcName \"/etc/passwd\" is an absolute path";
        QTest::newRow("link out") << QByteArray("srcName") << QByteArray("media/out.doc")
                                  << "srcName \"media/out.doc\" links outside the content folder";
        QTest::newRow("folder") << QByteArray("srcName") << QByteArray("media")
                                << "srcName \"media\" is not a file";
    }
    void checkMedia() {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, value);
        QFETCH(QString, problem);
        const QString content = path("content");
        QDir().mkpath(content + "/media");
        writeText(content + "/media/anim.doc", "x");
        writeText(content + "/media/clip.avi", "x");
        writeText(path("outside.doc"), "x");
        QFile::link(path("outside.doc"), content + "/media/out.doc");
        const QString file = path("media.frag");
        fixtures::writeContainer(file, documentXml({withMedia(recordXml("p"), field, value)}),
                                 {{"p", fixtures::pngBytes({8, 8}, Qt::red)}});
        const Run r = frag({"check", file, "--content", content});
        if (problem.isEmpty()) {
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.out, file + ": ok, 1 pictures\n");
        } else {
            QCOMPARE(r.exitCode, 1);
            QCOMPARE(r.out, file + ": record 1 (p): " + problem + "\n" + file +
                                ": 1 problems, 1 pictures\n");
        }
    }

    void checkReportsWhatWouldFailInClass() {
        QByteArray noPoints = recordXml("nopoints");
        noPoints.replace("<vecEnd>", "<other>").replace("</vecEnd>", "</other>");
        QByteArray legacy = recordXml("legacy");
        legacy.replace("BmpRectStream", "BmpRect");
        const fixtures::Streams streams{{"good", fixtures::pngBytes({8, 8}, Qt::red)},
                                        {"bad", "xx"},
                                        {"nopoints", fixtures::pngBytes({8, 8}, Qt::red)},
                                        {"legacy", fixtures::pngBytes({8, 8}, Qt::red)}};
        const QByteArray xml = documentXml({recordXml("good"), recordXml("bad"), noPoints, legacy});
        const QString lesson = path("class.les");
        const QString ok = path("ok.frag");
        fixtures::writeContainer(lesson, xml, streams);
        fixtures::writeContainer(ok, documentXml({recordXml("good")}), streams);
        const Run r = frag({"check", ok, lesson});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.split('\n', Qt::SkipEmptyParts),
                 (QStringList{ok + ": ok, 1 pictures",
                              lesson + ": the program shows \"Failed to load picture.\"",
                              lesson + ": record 3 (nopoints): not shown: no name or incomplete "
                                       "points",
                              lesson + ": record 4 (legacy): not shown: a lesson reads no "
                                       "\"BmpRect\" records",
                              lesson + ": 3 problems, 1 pictures"}));
    }

    void extractKeepsNamesInsideTheFolder() {
        const QString file = path("extract.frag");
        const QByteArray png = fixtures::pngBytes({8, 8}, Qt::red);
        fixtures::writeContainer(
            file, documentXml({recordXml("a")}),
            {{"a", png}, {"..", "dots"}, {".hidden", "h"}, {"tab\tname", "t"}});
        const QString target = path("extracted");
        QDir().mkpath(target);
        // A link planted where a stream's file would go is replaced by nothing: not followed.
        writeText(path("victim"), "untouched");
        QFile::link(path("victim"), target + "/a");
        const Run r = frag({"extract", file, target});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QFile(path("victim")).size(), qint64(9));
        QStringList files = QDir(target).entryList(QDir::Files | QDir::Hidden | QDir::System);
        files.sort();
        QCOMPARE(files, (QStringList{"_..", "_.hidden", "a", "tab_name", "xml"}));
        QFile xml(target + "/xml");
        QVERIFY(xml.open(QIODevice::ReadOnly));
        QCOMPARE(xml.readAll(), documentXml({recordXml("a")}));
    }

    void packThenLs() {
        const QString folder = path("pack");
        QDir().mkpath(folder + "/pics");
        QFile png(folder + "/pics/one.png");
        QVERIFY(png.open(QIODevice::WriteOnly));
        png.write(fixtures::pngBytes({100, 50}, Qt::red));
        png.close();
        QFile::copy(folder + "/pics/one.png", folder + "/two.png");
        writeText(folder + "/m.txt", "# two pictures\n"
                                     "pics/one.png\tpicName=Первый\tscale=0.5\n"
                                     "\n"
                                     "two.png\tname=n2\tbFrame=0\tsrcName=a.doc\n"
                                     "two.png\tvector=10,20,110,20\n");
        const QString out = path("packed.les");
        Run r = frag({"pack", folder + "/m.txt", out});
        QCOMPARE(r.exitCode, 0);
        r = frag({"ls", out, "--lesson"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(
            r.out.split('\n', Qt::SkipEmptyParts),
            (QStringList{
                "1\tloaded\tBmpRectStream\tone.png\tПервый\t100x50\t1\t0\t0\t0.5\t0\t0\t0\t100",
                "2\tloaded\tBmpRectStream\tn2\ttwo\t100x50\t0\t0\t0\t1\t80\t0\t80\t100",
                "3\tloaded\tBmpRectStream\ttwo.png\ttwo\t100x50\t1\t0\t0\t1\t10\t20\t110\t20"}));
    }

    void packRefusesBadManifests_data() {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown key")
            << QByteArray("p.png\tcolour=red\n") << "line 1: unknown key \"colour\"";
        QTest::newRow("bad flag") << QByteArray("p.png\tbAvi=yes\n")
                                  << "line 1: bAvi must be 0 or 1";
        QTest::newRow("bad number") << QByteArray("p.png\tscale=inf\n")
                                    << "line 1: scale needs 1 numbers separated by commas";
        QTest::newRow("text outside code page 1251")
            << QByteArray("p.png\tpicName=\xE2\x82\xAC\xE4\xB8\xAD\n")
            << "line 1: picName holds a character code page 1251 cannot hold";
        QTest::newRow("not a picture")
            << QByteArray("m.txt\n") << "line 1: m.txt: Failed to load picture.";
        QTest::newRow("no pictures") << QByteArray("# nothing\n") << "names no picture";
    }
    void packRefusesBadManifests() {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, error);
        const QString folder = path("badpack");
        QDir().mkpath(folder);
        QFile png(folder + "/p.png");
        QVERIFY(png.open(QIODevice::WriteOnly));
        png.write(fixtures::pngBytes({10, 10}, Qt::red));
        png.close();
        writeText(folder + "/m.txt", manifest);
        const QString out = folder + "/out.les";
        const Run r = frag({"pack", folder + "/m.txt", out});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_GUILESS_MAIN(TestFragCommands)
#include "test_frag_commands.moc"
