#include "Cp1251.h"
#include "Err.h"

#include <QStringDecoder>
#include <QTest>

class TestCp1251 : public QObject {
    Q_OBJECT
private slots:
    // Every byte decodes as the platform's own codec decodes it, and encodes back.
    void everyByteMatchesSystemCodec() {
        QStringDecoder icu("windows-1251");
        if (!icu.isValid())
            QSKIP("no windows-1251 codec in this Qt build");
        for (int b = 0; b < 256; ++b) {
            if (b == 0x98)
                continue; // unassigned in the code page
            const QByteArray one(1, char(b));
            const QString ours = cp1251::toUnicode(one);
            QCOMPARE(ours, QString(icu.decode(one)));
            QCOMPARE(cp1251::fromUnicode(ours).value(), one);
        }
    }

    void unrepresentable_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("encodable");
        QTest::addColumn<QByteArray>("lossy");
        QTest::newRow("ascii") << "abc.jpg" << true << QByteArray("abc.jpg");
        QTest::newRow("cyrillic") << "Знак" << true << QByteArray("\xC7\xED\xE0\xEA");
        QTest::newRow("yo and numero") << "Ёё№" << true << QByteArray("\xA8\xB8\xB9");
        QTest::newRow("greek") << "αβ" << false << QByteArray("??");
        QTest::newRow("cjk mixed") << "a中b" << false << QByteArray("a?b");
        QTest::newRow("emoji") << "x😀" << false << QByteArray("x??");
        QTest::newRow("replacement char") << QString(QChar(0xFFFD)) << false << QByteArray("?");
    }
    void unrepresentable() {
        QFETCH(QString, text);
        QFETCH(bool, encodable);
        QFETCH(QByteArray, lossy);
        QCOMPARE(cp1251::canEncode(text), encodable);
        QCOMPARE(cp1251::fromUnicode(text).has_value(), encodable);
        QCOMPARE(cp1251::fromUnicodeLossy(text), lossy);
    }

    void upperFoldsBothAlphabets() {
        QCOMPARE(cp1251::upper(cp1251::fromUnicode("Знак_ё.jpg").value()),
                 cp1251::fromUnicode("ЗНАК_Ё.JPG").value());
    }

    void errKeepsBothForms() {
        const Err e("Не могу открыть файл.");
        QCOMPARE(e.text(), QString("Не могу открыть файл."));
        QCOMPARE(e.message(), cp1251::fromUnicode("Не могу открыть файл.").value());
        QCOMPARE(QString::fromUtf8(e.what()), QString("Не могу открыть файл."));
        const Err f = Err::fromCp1251(QByteArray("Failed OpenStream"));
        QCOMPARE(f.text(), QString("Failed OpenStream"));
    }
};

QTEST_APPLESS_MAIN(TestCp1251)
#include "test_cp1251.moc"
