#include "BmpRectStream.h"
#include "FileLock.h"
#include "FragmentLoading.h"
#include "LoadJob.h"
#include "ScriptedWindowServices.h"
#include "StoreFixtures.h"
#include "XmlStorage.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using fixtures::CollectingSink;
using fixtures::documentXml;
using fixtures::recordXml;

namespace {

const QString kCannotOpen = "Не могу открыть файл. Возможно он занят другим приложением.";
const QString kLessonUnreadable = "Файл открыт другим приложением или поврежден.";

// A fragment described by one letter per "Object" record:
//   g  a good picture            u  bytes that do not decode     m  its stream is missing
//   v  a VectorLine record       n  a picture record without name
//   p  a picture without points  q  without points and without stream
//   l  a legacy "BmpRect" record with PointD
// Record i is named "p<i>".
void writeFragment(const QString& path, const QString& letters) {
    QList<QByteArray> records;
    fixtures::Streams streams;
    for (int i = 0; i < letters.size(); ++i) {
        const QByteArray name = "p" + QByteArray::number(i);
        QByteArray record = recordXml(name, i * 100.0, 0);
        const QByteArray png =
            fixtures::pngBytes({40 + i, 30}, QColor::fromHsv(i * 20 % 360, 200, 200));
        switch (letters.at(i).toLatin1()) {
        case 'g':
            streams.append({name, png});
            break;
        case 'u':
            streams.append({name, "garbage bytes"});
            break;
        case 'm':
            break;
        case 'v':
            record.replace("BmpRectStream", "VectorLine");
            streams.append({name, png});
            break;
        case 'n':
            record.replace("<name>" + name + "</name>\n", "");
            streams.append({name, png});
            break;
        case 'p':
            streams.append({name, png});
            [[fallthrough]];
        case 'q':
            record.replace("<vecEnd>", "<other>").replace("</vecEnd>", "</other>");
            break;
        case 'l':
            record.replace("BmpRectStream", "BmpRect");
            record.replace("<vecBeg>\n", "<vecBeg>\n<PointD>\n")
                .replace("</vecBeg>", "</PointD>\n</vecBeg>");
            record.replace("<vecEnd>\n", "<vecEnd>\n<PointD>\n")
                .replace("</vecEnd>", "</PointD>\n</vecEnd>");
            streams.append({name, png});
            break;
        default:
            qFatal("unknown record letter");
        }
        records << record;
    }
    fixtures::writeContainer(path, documentXml(records), streams);
}

} // namespace

class TestFragmentLoad : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    // Pictures, messages and progress steps of whole loads, as one ordered event log.
    void fragmentOutcomes_data() {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<int>("rangeMax");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("outcomes");
        // What the blocking load tells at its end about pictures that did not decode.
        QTest::addColumn<QString>("told");
        const QString missing = "ended:Failed OpenStream";
        const QString undecodable = "Failed to load picture.";
        QTest::newRow("three pictures: range 0..4, three steps")
            << "ggg" << 4
            << QStringList{"append:p0", "step", "append:p1", "step", "append:p2", "step"}
            << QString("LLL") << QString();
        QTest::newRow("missing stream ends the load")
            << "gmg" << 4 << QStringList{"append:p0", "step", missing} << QString("LF")
            << QString();
        QTest::newRow("undecodable picture is dropped, the load goes on")
            << "gug" << 4
            << QStringList{"append:p0", "step", "failed:p1", "step", "append:p2", "step"}
            << QString("LFL") << undecodable;
        QTest::newRow("VectorLine: one step, nothing else")
            << "v" << 1 << QStringList{"step"} << QString("P") << QString();
        QTest::newRow("record without name passed over")
            << "ng" << 3 << QStringList{"step", "append:p1", "step"} << QString("PL") << QString();
        QTest::newRow("record without points passed over")
            << "pg" << 3 << QStringList{"step", "append:p1", "step"} << QString("PL") << QString();
        QTest::newRow("stream asked for before the points")
            << "gqg" << 4 << QStringList{"append:p0", "step", missing} << QString("LF")
            << QString();
        QTest::newRow("legacy record")
            << "lg" << 3 << QStringList{"append:p0", "step", "append:p1", "step"} << QString("LL")
            << QString();
        QTest::newRow("failures in record order, told together after the end")
            << "guum" << 5
            << QStringList{"append:p0", "step", "failed:p1", "step", "failed:p2", "step", missing}
            << QString("LFFF") << QString("Не удалось прочитать 2 рисунка из 3: «p1», «p2».");
        QStringList many;
        QString letters;
        QString manyOutcomes;
        for (int i = 0; i < 24; ++i) {
            letters += i % 7 == 3 ? 'u' : (i % 5 == 4 ? 'v' : 'g');
            if (letters.back() == 'g')
                many << QString("append:p%1").arg(i);
            else if (letters.back() == 'u')
                many << QString("failed:p%1").arg(i);
            many << "step";
            manyOutcomes += letters.back() == 'g' ? 'L' : (letters.back() == 'u' ? 'F' : 'P');
        }
        QTest::newRow("many records in parallel keep their order")
            << letters << int(letters.count('g') + letters.count('u') + 1) << many << manyOutcomes
            << QString("Не удалось прочитать 3 рисунка из 20: «p3», «p10», «p17».");
    }
    // The same log whether the load blocks or runs in steps from the event loop.
    void fragmentOutcomes() {
        QFETCH(QString, letters);
        const QString file = path("outcomes.frag");
        writeFragment(file, letters);
        for (const bool fromEventLoop : {false, true}) {
            ScriptedWindowServices services;
            CollectingSink sink(services);
            XmlStorage storage;
            if (fromEventLoop) {
                LoadJob job(LoadJob::Kind::Fragment, storage, file, sink);
                QSignalSpy finished(&job, &LoadJob::finished);
                job.start();
                QVERIFY(sink.events.isEmpty()); // start returns at once
                QTRY_COMPARE(finished.size(), 1);
            } else {
                store::loadFragment(storage, file, sink);
            }
            sink.flushMessages();
            QCOMPARE(sink.rangeMin, 0);
            QTEST(sink.rangeMax, "rangeMax");
            QFETCH(QStringList, events);
            QFETCH(QString, told);
            // The job reports; the blocking load tells at the end: what ended it, then the
            // pictures.
            if (!fromEventLoop && events.last().startsWith("ended:"))
                events << "message:" + events.last().mid(6);
            if (!fromEventLoop && !told.isEmpty())
                events << "message:" + told;
            QCOMPARE(sink.events, events);
            QTEST(sink.outcomes, "outcomes");
            for (const auto& m : std::as_const(services.messages)) {
                QCOMPARE(m.title, kAppName);
                QCOMPARE(m.buttons, MsgButtons::Ok);
            }
            // The fragment stays open and locked until the scene is cleared.
            FileLock other;
            QVERIFY(!other.acquire(file, FileLock::Access::Read));
            storage.close();
            QVERIFY(other.acquire(file, FileLock::Access::Read));
        }
    }

    void placedPictureFields() {
        const QString file = path("fields.frag");
        QByteArray record = recordXml("pic", 5, 7);
        record.replace("<scale>1</scale>", "<scale>0.5</scale>");
        fixtures::writeContainer(file, documentXml({record}),
                                 {{"pic", fixtures::pngBytes({400, 300}, Qt::green)}});
        ScriptedWindowServices services;
        CollectingSink sink(services);
        XmlStorage storage;
        store::loadFragment(storage, file, sink);
        QCOMPARE(sink.pictures.size(), std::size_t(1));
        const BmpRectStream& p = *sink.pictures.front();
        QCOMPARE(p.width(), 200);
        QCOMPARE(p.height(), 150);
        QCOMPARE(p.corner(0), (PointD{5, 7}));
        QCOMPARE(p.corner(2), (PointD{205, 157}));
        QCOMPARE(p.caption(), QByteArray("pic"));
        QVERIFY(p.bFrame());
    }

    void twoRecordsShareOneStream() {
        const QString file = path("shared.frag");
        fixtures::writeContainer(file,
                                 documentXml({recordXml("same", 0, 0), recordXml("same", 300, 0)}),
                                 {{"same", fixtures::pngBytes({50, 40}, Qt::red)}});
        ScriptedWindowServices services;
        CollectingSink sink(services);
        XmlStorage storage;
        store::loadFragment(storage, file, sink);
        QCOMPARE(sink.names(), (QStringList{"same", "same"}));
        QCOMPARE(sink.pictures[0]->streamBytes(), sink.pictures[1]->streamBytes());
        QVERIFY(services.messages.isEmpty());
    }

    // Failures of the file itself: one message, nothing delivered.
    void fragmentFileFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << "missing" << kCannotOpen;
        QTest::newRow("not a compound file") << "text" << kCannotOpen;
        QTest::newRow("held by another opener") << "held" << kCannotOpen;
        QTest::newRow("no xml stream") << "noxml"
                                       << "Failed OpenStream";
        QTest::newRow("empty xml stream") << "emptyxml"
                                          << "Empty loadList";
        QTest::newRow("xml of one token") << "onetoken"
                                          << "Empty loadList";
    }
    void fragmentFileFailures() {
        QFETCH(QString, kind);
        const QString file = path("fail-" + kind + ".frag");
        FileLock holder;
        if (kind == "text") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("just some text, not a compound file");
        } else if (kind == "held") {
            writeFragment(file, "g");
            QVERIFY(holder.acquire(file, FileLock::Access::Read));
        } else if (kind == "noxml") {
            fixtures::writeContainer(file, QByteArray(),
                                     {{"p0", fixtures::pngBytes({4, 4}, Qt::red)}});
        } else if (kind == "emptyxml") {
            fixtures::writeContainer(file, QByteArray(""), {});
        } else if (kind == "onetoken") {
            fixtures::writeContainer(file, QByteArray("<Data>"), {});
        }
        ScriptedWindowServices services;
        CollectingSink sink(services);
        XmlStorage storage;
        store::loadFragment(storage, file, sink);
        QFETCH(QString, message);
        QCOMPARE(services.messageTexts(), QStringList{message});
        QVERIFY(sink.pictures.empty());
        QCOMPARE(sink.steps, 0);
    }

    void lessonOutcomes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("pictures") << "ggg" << true << QStringList{"p0", "p1", "p2"}
                                  << QStringList{};
        QTest::newRow("only legacy records: an empty lesson")
            << "ll" << true << QStringList{} << QStringList{};
        QTest::newRow("undecodable dropped")
            << "gug" << true << QStringList{"p0", "p2"} << QStringList{"Failed to load picture."};
        QTest::newRow("missing stream")
            << "gmg" << false << QStringList{"p0"} << QStringList{"Failed OpenStream"};
        QTest::newRow("missing file")
            << "missing" << false << QStringList{} << QStringList{kLessonUnreadable};
        QTest::newRow("not a compound file")
            << "text" << false << QStringList{} << QStringList{kLessonUnreadable};
        QTest::newRow("no xml stream")
            << "noxml" << false << QStringList{} << QStringList{"Failed OpenWXmlStream"};
        QTest::newRow("empty xml")
            << "emptyxml" << false << QStringList{} << QStringList{"Empty loadList"};
    }
    void lessonOutcomes() {
        QFETCH(QString, kind);
        QFETCH(bool, result);
        const QString file = path(
            "lesson-" + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_') + ".les");
        if (kind == "text") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a lesson");
        } else if (kind == "noxml") {
            fixtures::writeContainer(file, QByteArray(), {});
        } else if (kind == "emptyxml") {
            fixtures::writeContainer(file, QByteArray(""), {});
        } else if (kind != "missing") {
            writeFragment(file, kind);
        }
        ScriptedWindowServices services;
        CollectingSink sink(services);
        XmlStorage storage;
        QCOMPARE(store::loadLesson(storage, file, sink), result);
        QTEST(sink.names(), "names");
        QTEST(services.messageTexts(), "messages");
        QCOMPARE(sink.steps, 0);
        QCOMPARE(sink.rangeMax, -1);
        // A lesson read to its end is closed again; a failure leaves the container as it was.
        if (result) {
            QVERIFY(!storage.isOpen());
        }
    }

    // The sink's cancel query ends a load at once: nothing more is appended, shown or stepped.
    void cancelAfterFirstPicture() {
        const QString file = path("cancel.frag");
        writeFragment(file, "gugggu");
        ScriptedWindowServices services;
        CollectingSink sink(services);
        sink.cancelWhen = [&] { return !sink.pictures.empty(); };
        XmlStorage storage;
        store::loadFragment(storage, file, sink);
        sink.flushMessages();
        QCOMPARE(sink.events, QStringList{"append:p0"});
    }

    // A load replaced from the event loop while it runs (another topic): the first is
    // cancelled and delivers nothing more, never reports finished, and the second fragment
    // alone ends up in the container and the sink.
    void jobReplacedFromTheEventLoop() {
        const QString slow = path("slow.frag");
        const QString quick = path("quick.frag");
        {
            QList<QByteArray> records;
            fixtures::Streams streams;
            for (int i = 0; i < 12; ++i) {
                const QByteArray name = "slow" + QByteArray::number(i);
                records << recordXml(name, i * 2000.0, 0);
                streams.append({name, fixtures::jpegBytes({1600, 1200}, i, 95)});
            }
            fixtures::writeContainer(slow, documentXml(records), streams);
        }
        writeFragment(quick, "gg");

        ScriptedWindowServices services;
        XmlStorage storage;
        CollectingSink firstSink(services);
        CollectingSink secondSink(services);
        auto first = std::make_unique<LoadJob>(LoadJob::Kind::Fragment, storage, slow, firstSink);
        LoadJob second(LoadJob::Kind::Fragment, storage, quick, secondSink);
        QSignalSpy firstFinished(first.get(), &LoadJob::finished);
        QSignalSpy secondFinished(&second, &LoadJob::finished);
        std::size_t appendedBeforeCancel = 0;
        firstSink.onAppend = [&] {
            if (appendedBeforeCancel == 0)
                QTimer::singleShot(0, [&] {
                    first->cancel();
                    appendedBeforeCancel = firstSink.pictures.size();
                    storage.close();
                    second.start();
                });
            QVERIFY(!first->isCancelled());
        };
        first->start();
        QTRY_COMPARE(secondFinished.size(), 1);
        QCOMPARE(firstSink.pictures.size(), appendedBeforeCancel);
        QVERIFY(appendedBeforeCancel < 12);
        first.reset(); // waits for its running decodes
        QCOMPARE(firstFinished.size(), 0);
        QCOMPARE(secondSink.names(), (QStringList{"p0", "p1"}));
        QVERIFY(services.messages.isEmpty());
        QVERIFY(storage.isOpen()); // the second fragment stays held
    }
};

QTEST_GUILESS_MAIN(TestFragmentLoad)
#include "test_fragmentload.moc"
