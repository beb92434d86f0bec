#include "StreamNameTable.h"

#include "Cp1251.h"

#include <QTest>
#include <set>

// Rows are sequences of pictures "name=bytes" saved in order; the expected column gives the
// stream name each one is stored under, "+" marking a new stream, "=" a shared one.
class TestStreamNameTable : public QObject {
    Q_OBJECT
private slots:
    void assigns_data() {
        QTest::addColumn<QStringList>("pictures");
        QTest::addColumn<QStringList>("expected");
        const QString long40 = QString(40, 'a');
        QTest::newRow("distinct names keep theirs")
            << QStringList{"a=1", "b=2"} << QStringList{"+a", "+b"};
        QTest::newRow("same name, same bytes share")
            << QStringList{"a=1", "a=1"} << QStringList{"+a", "=a"};
        QTest::newRow("same name, other bytes get their own")
            << QStringList{"a=1", "a=2", "a=1", "a=2"} << QStringList{"+a", "+a~1", "=a", "=a~1"};
        QTest::newRow("names equal but for case")
            << QStringList{"Pic=1", "PIC=2"} << QStringList{"+Pic", "+PIC~1"};
        QTest::newRow("a name equal to a derived one")
            << QStringList{"a=1", "a=2", "a~1=3"} << QStringList{"+a", "+a~1", "+a~1~1"};
        QTest::newRow("the document's stream name")
            << QStringList{"Xml=1", "xml=2"} << QStringList{"+Xml~1", "+xml~2"};
        QTest::newRow("empty name")
            << QStringList{"=1", "=1"} << QStringList{"+picture~1", "=picture~1"};
        QTest::newRow("31 characters kept")
            << QStringList{QString(31, 'b') + "=1"} << QStringList{"+" + QString(31, 'b')};
        QTest::newRow("40 characters cut")
            << QStringList{long40 + "=1", long40 + "=2"}
            << QStringList{"+" + QString(29, 'a') + "~1", "+" + QString(29, 'a') + "~2"};
        QTest::newRow("characters a stream name cannot hold")
            << QStringList{"a/b:c=1"} << QStringList{"+a_b_c~1"};
        QTest::newRow("characters the XML cannot carry")
            << QStringList{"a>b=1"} << QStringList{"+a\u203Ab~1"};
    }
    void assigns() {
        QFETCH(QStringList, pictures);
        QFETCH(QStringList, expected);
        StreamNameTable table;
        QStringList got;
        std::set<QByteArray> upper;
        for (const QString& p : pictures) {
            const qsizetype eq = p.lastIndexOf('=');
            const auto a = table.assign(*cp1251::fromUnicode(p.left(eq)), p.mid(eq + 1).toLatin1());
            got << (a.firstUse ? "+" : "=") + cp1251::toUnicode(a.streamName);
            QVERIFY(a.streamName.size() <= StreamNameTable::kMaxNameLength);
            QVERIFY(StreamNameTable::isStorable(a.streamName));
            if (a.firstUse)
                QVERIFY2(upper.insert(cp1251::upper(a.streamName)).second, "not unique");
        }
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TestStreamNameTable)
#include "test_streamnametable.moc"
