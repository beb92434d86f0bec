#include "FailureSummary.h"
#include "WindowServices.h"

#include <QTest>

// The one message a load or a drop gives for its pictures that could not be read.
class TestFailureSummary : public QObject {
    Q_OBJECT
private slots:
    void text_data() {
        QTest::addColumn<int>("read");
        QTest::addColumn<QStringList>("failed"); // names; "" for none
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 3 << QStringList{} << QString();
        QTest::newRow("one keeps its own message")
            << 3 << QStringList{"a"} << QString("Failed to load picture.");
        QTest::newRow("two") << 0 << QStringList{"a", "b"}
                             << QString("Не удалось прочитать 2 рисунка из 2: «a», «b».");
        QTest::newRow("five names, then the others")
            << 1 << QStringList{"1", "2", "3", "4", "5", "6", "7"}
            << QString("Не удалось прочитать 7 рисунков из 8: «1», «2», «3», «4», «5» и другие.");
        QTest::newRow("one name many times, and none")
            << 0 << QStringList{"x", "x", "", "x"}
            << QString("Не удалось прочитать 4 рисунка из 4: «x».");
        QTest::newRow("21: рисунок")
            << 0 << QStringList(21, "x") << QString("Не удалось прочитать 21 рисунок из 21: «x».");
        QTest::newRow("11: рисунков")
            << 0 << QStringList(11, "x") << QString("Не удалось прочитать 11 рисунков из 11: «x».");
        QTest::newRow("112: рисунков") << 0 << QStringList(112, "x")
                                       << QString("Не удалось прочитать 112 рисунков из 112: «x».");
        QTest::newRow("no names at all")
            << 0 << QStringList{"", ""} << QString("Не удалось прочитать 2 рисунка из 2.");
    }
    void text() {
        QFETCH(int, read);
        QFETCH(QStringList, failed);
        FailureSummary summary;
        for (int i = 0; i < read; ++i)
            summary.addRead();
        for (const QString& name : failed)
            summary.addFailure(QStringLiteral("Failed to load picture."), name);
        QTEST(summary.text(), "text");
    }
};

QTEST_GUILESS_MAIN(TestFailureSummary)
#include "test_failure_summary.moc"
