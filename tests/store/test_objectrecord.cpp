#include "ObjectRecord.h"
#include "StoreFixtures.h"
#include "XmlDoc.h"

#include <QTest>

namespace {

using Accept = ObjectRecord::Accept;

const QByteArray kFullRecord = "<Object type=\"BmpRectStream\">\n"
                               "<bFrame>1</bFrame>\n"
                               "<bAvi>1</bAvi>\n"
                               "<bGif>0</bGif>\n"
                               "<scale>0.5</scale>\n"
                               "<srcName>doc.rtf</srcName>\n"
                               "<swfNameMy>m.swf</swfNameMy>\n"
                               "<aviName>clip.avi</aviName>\n"
                               "<picName>\xCF\xE5\xF0\xE5\xF5\xEE\xE4</picName>\n" // Переход
                               "<name>p1</name>\n"
                               "<vecBeg>\n<x>10</x>\n<y>20</y>\n</vecBeg>\n"
                               "<vecEnd>\n<x>10</x>\n<y>30</y>\n</vecEnd>\n"
                               "</Object>\n";

const QByteArray kLegacyPoints = "<vecBeg>\n<PointD>\n<x>10</x>\n<y>20</y>\n</PointD>\n</vecBeg>\n"
                                 "<vecEnd>\n<PointD>\n<x>10</x>\n<y>30</y>\n</PointD>\n</vecEnd>\n";
const QByteArray kPlainPoints = "<vecBeg>\n<x>10</x>\n<y>20</y>\n</vecBeg>\n"
                                "<vecEnd>\n<x>10</x>\n<y>30</y>\n</vecEnd>\n";

QByteArray edited(QByteArray text, const QByteArray& from, const QByteArray& to) {
    if (!from.isEmpty()) {
        if (!text.contains(from))
            qFatal("test edit does not apply: %s", from.constData());
        text.replace(from, to);
    }
    return text;
}

// Parses a document holding one record and returns the record's range.
void parseRecord(XmlDoc& doc, const QByteArray& record, XmlRange& range) {
    doc.parse(fixtures::documentXml({record}));
    const auto records = doc.findChildren(doc.documentRange(), "Object");
    QCOMPARE(records.size(), std::size_t(1));
    range = records.front();
}

} // namespace

class TestObjectRecord : public QObject {
    Q_OBJECT
private slots:
    void writesTheRecordLinesInOrder() {
        ObjectRecord r;
        r.bFrame = true;
        r.scale = 0.5;
        r.name = "p1";
        r.picName = "cap";
        r.vecBeg = {10, 20};
        r.vecEnd = {10, 30};
        XmlDoc doc;
        doc.createRoot("Data");
        r.write(doc);
        QCOMPARE(doc.serialize(),
                 QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Data>\n"
                            "<Object type=\"BmpRectStream\">\n<bFrame>1</bFrame>\n<bAvi>0</bAvi>\n"
                            "<bGif>0</bGif>\n<scale>0.5</scale>\n<srcName></srcName>\n"
                            "<swfNameMy></swfNameMy>\n<aviName></aviName>\n<picName>cap</picName>\n"
                            "<name>p1</name>\n<vecBeg>\n<x>10</x>\n<y>20</y>\n</vecBeg>\n"
                            "<vecEnd>\n<x>10</x>\n<y>30</y>\n</vecEnd>\n</Object>\n</Data>\n"));
    }

    // What each element gives, present or absent; rows edit the full record.
    void readingTable_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("bFrame");
        QTest::addColumn<bool>("bAvi");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QByteArray>("srcName");
        QTest::addColumn<QByteArray>("picName");

        const QByteArray pic = "\xCF\xE5\xF0\xE5\xF5\xEE\xE4";
        QTest::newRow("all present")
            << QByteArray() << QByteArray() << true << true << 0.5 << QByteArray("doc.rtf") << pic;
        QTest::newRow("scale absent") << QByteArray("<scale>0.5</scale>\n") << QByteArray() << true
                                      << true << 1.0 << QByteArray("doc.rtf") << pic;
        QTest::newRow("bAvi absent") << QByteArray("<bAvi>1</bAvi>\n") << QByteArray() << true
                                     << false << 0.5 << QByteArray("doc.rtf") << pic;
        QTest::newRow("bFrame absent: no frame")
            << QByteArray("<bFrame>1</bFrame>\n") << QByteArray() << false << true << 0.5
            << QByteArray("doc.rtf") << pic;
        QTest::newRow("flag 0.9 truncates to 0")
            << QByteArray("<bFrame>1</bFrame>") << QByteArray("<bFrame>0.9</bFrame>") << false
            << true << 0.5 << QByteArray("doc.rtf") << pic;
        QTest::newRow("flag -1.5 is set")
            << QByteArray("<bFrame>1</bFrame>") << QByteArray("<bFrame>-1.5</bFrame>") << true
            << true << 0.5 << QByteArray("doc.rtf") << pic;
        QTest::newRow("flag not a number reads 0")
            << QByteArray("<bFrame>1</bFrame>") << QByteArray("<bFrame>yes</bFrame>") << false
            << true << 0.5 << QByteArray("doc.rtf") << pic;
        QTest::newRow("scale inf counts as absent")
            << QByteArray("<scale>0.5</scale>") << QByteArray("<scale>inf</scale>") << true << true
            << 1.0 << QByteArray("doc.rtf") << pic;
        QTest::newRow("scale overflowing counts as absent")
            << QByteArray("<scale>0.5</scale>") << QByteArray("<scale>1e999</scale>") << true
            << true << 1.0 << QByteArray("doc.rtf") << pic;
        QTest::newRow("scale underflowing is a finite number")
            << QByteArray("<scale>0.5</scale>") << QByteArray("<scale>1e-999</scale>") << true
            << true << 0.0 << QByteArray("doc.rtf") << pic;
        QTest::newRow("texts absent are empty")
            << QByteArray("<srcName>doc.rtf</srcName>\n<swfNameMy>m.swf</swfNameMy>\n"
                          "<aviName>clip.avi</aviName>\n<picName>" +
                          pic + "</picName>\n")
            << QByteArray() << true << true << 0.5 << QByteArray() << QByteArray();
        QTest::newRow("empty text is empty")
            << QByteArray("<srcName>doc.rtf</srcName>") << QByteArray("<srcName></srcName>") << true
            << true << 0.5 << QByteArray() << pic;
    }
    void readingTable() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        XmlDoc doc;
        XmlRange range;
        parseRecord(doc, edited(kFullRecord, from, to), range);
        std::optional<ObjectRecord> r = ObjectRecord::readFields(doc, range, Accept::FragmentTypes);
        QVERIFY(r);
        QVERIFY(r->readPoints(doc, range));
        QTEST(r->bFrame, "bFrame");
        QTEST(r->bAvi, "bAvi");
        QCOMPARE(r->bGif, false);
        QTEST(r->scale, "scale");
        QTEST(r->srcName, "srcName");
        QTEST(r->picName, "picName");
        QCOMPARE(r->name, QByteArray("p1"));
        QCOMPARE(r->vecBeg, (PointD{10, 20}));
        QCOMPARE(r->vecEnd, (PointD{10, 30}));
    }

    // Records passed over without a message: at the fields (before the stream is asked
    // for) or at the points (after it).
    void skipRules_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("legacy"); // type "BmpRect", points wrapped in "PointD"
        QTest::addColumn<int>("accept");
        QTest::addColumn<QString>("outcome"); // fields, points or read

        const int frag = int(Accept::FragmentTypes);
        const int less = int(Accept::LessonTypes);
        const QByteArray typeLine = "<Object type=\"BmpRectStream\">";
        QTest::newRow("VectorLine")
            << typeLine << QByteArray("<Object type=\"VectorLine\">") << false << frag << "fields";
        QTest::newRow("type in other case")
            << typeLine << QByteArray("<Object type=\"bmprectstream\">") << false << frag
            << "fields";
        QTest::newRow("type absent")
            << typeLine << QByteArray("<Object>") << false << frag << "fields";
        QTest::newRow("name absent")
            << QByteArray("<name>p1</name>\n") << QByteArray() << false << frag << "fields";
        QTest::newRow("legacy type in a lesson")
            << QByteArray() << QByteArray() << true << less << "fields";
        QTest::newRow("legacy type with PointD")
            << QByteArray() << QByteArray() << true << frag << "read";
        QTest::newRow("legacy type without PointD")
            << typeLine << QByteArray("<Object type=\"BmpRect\">") << false << frag << "points";
        QTest::newRow("stream type with PointD")
            << kPlainPoints << kLegacyPoints << false << frag << "points";
        QTest::newRow("vecEnd absent") << QByteArray("<vecEnd>\n<x>10</x>\n<y>30</y>\n</vecEnd>\n")
                                       << QByteArray() << false << frag << "points";
        QTest::newRow("x absent") << QByteArray("<x>10</x>\n<y>20</y>") << QByteArray("<y>20</y>")
                                  << false << frag << "points";
        QTest::newRow("coordinate not a number reads 0")
            << QByteArray("<y>20</y>") << QByteArray("<y>abc</y>") << false << frag << "read";
    }
    void skipRules() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, legacy);
        QFETCH(int, accept);
        QFETCH(QString, outcome);
        QByteArray record = kFullRecord;
        if (legacy)
            record = edited(edited(record, "\"BmpRectStream\"", "\"BmpRect\""), kPlainPoints,
                            kLegacyPoints);
        XmlDoc doc;
        XmlRange range;
        parseRecord(doc, edited(record, from, to), range);
        std::optional<ObjectRecord> r =
            ObjectRecord::readFields(doc, range, static_cast<Accept>(accept));
        if (outcome == "fields") {
            QVERIFY(!r);
            return;
        }
        QVERIFY(r);
        QCOMPARE(r->readPoints(doc, range), outcome == "read");
        if (outcome == "read")
            QVERIFY(r->vecBeg.isFinite() && r->vecEnd.isFinite());
    }

    // Coordinates that are not finite numbers: the record is read and the picture stands
    // upright, at its start point or at the origin.
    void nonFiniteVectorPlacesUpright_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<PointD>("vecBeg");
        QTest::addColumn<PointD>("vecEnd");
        const QByteArray endY = "<y>30</y>";
        const QByteArray begX = "<x>10</x>\n<y>20</y>";
        QTest::newRow("end nan") << endY << QByteArray("<y>nan</y>") << PointD{10, 20}
                                 << PointD{10, 20};
        QTest::newRow("end overflowing")
            << endY << QByteArray("<y>1e999</y>") << PointD{10, 20} << PointD{10, 20};
        QTest::newRow("start inf")
            << begX << QByteArray("<x>inf</x>\n<y>20</y>") << PointD{0, 0} << PointD{0, 0};
        QTest::newRow("start overflowing negative")
            << begX << QByteArray("<x>10</x>\n<y>-1e400</y>") << PointD{0, 0} << PointD{0, 0};
    }
    void nonFiniteVectorPlacesUpright() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(PointD, vecBeg);
        QFETCH(PointD, vecEnd);
        XmlDoc doc;
        XmlRange range;
        parseRecord(doc, edited(kFullRecord, from, to), range);
        std::optional<ObjectRecord> r = ObjectRecord::readFields(doc, range, Accept::LessonTypes);
        QVERIFY(r);
        QVERIFY(r->readPoints(doc, range));
        QCOMPARE(r->vecBeg, vecBeg);
        QCOMPARE(r->vecEnd, vecEnd);
        r->scale = 1;
        const auto picture = r->makePicture(fixtures::pngBytes({40, 30}, Qt::red));
        QCOMPARE(picture->corner(1) - picture->corner(0), (PointD{40, 0})); // upright
        QCOMPARE(picture->corner(0).x, vecBeg.x);
    }

    // Texts the dialect cannot carry are written in a form that reads back exactly as
    // written, and the rest of the record survives.
    void carriableTexts_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("plain cyrillic") << QByteArray("\xC0\xE2\xF2\xEE\xE1\xF3\xF1")
                                        << QByteArray("\xC0\xE2\xF2\xEE\xE1\xF3\xF1");
        QTest::newRow("greater-than") << QByteArray("a>b")
                                      << QByteArray("a\x9B"
                                                    "b");
        QTest::newRow("end-tag opener") << QByteArray("a</b") << QByteArray("a\x8B/b");
        QTest::newRow("lone less-than kept") << QByteArray("a<b") << QByteArray("a<b");
        QTest::newRow("leading line feed") << QByteArray("\nab") << QByteArray(" ab");
        QTest::newRow("leading CR LF") << QByteArray("\r\nab") << QByteArray(" \nab");
        QTest::newRow("leading LF CR") << QByteArray("\n\rab") << QByteArray(" \rab");
        QTest::newRow("two lines") << QByteArray("one\ntwo") << QByteArray("one\ntwo");
        QTest::newRow("two lines, CR LF")
            << QByteArray("one\r\ntwo\r\n") << QByteArray("one\r\ntwo\r\n");
        QTest::newRow("a whole tag")
            << QByteArray("<name>x</name>") << QByteArray("<name\x9Bx\x8B/name\x9B");
        QTest::newRow("undefined byte 0x98 kept") << QByteArray("a\x98") << QByteArray("a\x98");
    }
    void carriableTexts() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(ObjectRecord::carriableText(text), expected);

        ObjectRecord r;
        r.name = "n1";
        r.picName = text;
        r.srcName = text;
        r.aviName = text + "x";
        r.vecBeg = {1.5, -2};
        r.vecEnd = {1.5, 8};
        XmlDoc out;
        out.createRoot("Data");
        r.write(out);
        XmlDoc in;
        in.parse(out.serialize());
        const auto records = in.findChildren(in.documentRange(), "Object");
        QCOMPARE(records.size(), std::size_t(1));
        std::optional<ObjectRecord> back =
            ObjectRecord::readFields(in, records.front(), Accept::LessonTypes);
        QVERIFY(back);
        QVERIFY(back->readPoints(in, records.front()));
        QCOMPARE(back->picName, expected);
        QCOMPARE(back->srcName, expected);
        QCOMPARE(back->aviName, expected + "x");
        QCOMPARE(back->name, QByteArray("n1"));
        QCOMPARE(back->vecBeg, r.vecBeg);
        QCOMPARE(back->vecEnd, r.vecEnd);
    }

    void notFiniteNumbersAreWrittenAsTheirReadDefaults() {
        ObjectRecord r;
        r.name = "n";
        r.scale = std::numeric_limits<double>::infinity();
        r.vecBeg = {std::nan(""), 5};
        XmlDoc doc;
        doc.createRoot("Data");
        r.write(doc);
        const QByteArray text = doc.serialize();
        QVERIFY(text.contains("<scale>1</scale>"));
        QVERIFY(text.contains("<vecBeg>\n<x>0</x>\n<y>5</y>"));
    }
};

QTEST_GUILESS_MAIN(TestObjectRecord)
#include "test_objectrecord.moc"
