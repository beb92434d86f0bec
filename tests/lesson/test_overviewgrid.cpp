#include "OverviewGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

std::vector<OverviewItem> items(int n) {
    std::vector<OverviewItem> out;
    for (int i = 0; i < n; ++i) {
        QImage image(160, 120, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 30 % 360, 200, 200));
        out.push_back({i == 3 ? QImage() : image, QStringLiteral("Плакат %1").arg(i + 1)});
    }
    return out;
}

} // namespace

class TestOverviewGrid : public QObject {
    Q_OBJECT
private slots:
    // Ten pictures in four columns, the sixth shown now.
    void keys_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("jumped"); // -1: no jump
        QTest::addColumn<bool>("dismissed");
        QTest::newRow("right") << QList<int>{Qt::Key_Right} << 6 << -1 << false;
        QTest::newRow("left stops at the first")
            << QList<int>{Qt::Key_Home, Qt::Key_Left} << 0 << -1 << false;
        QTest::newRow("down a row") << QList<int>{Qt::Key_Down} << 9 << -1 << false;
        QTest::newRow("down past the last stays")
            << QList<int>{Qt::Key_Down, Qt::Key_Down} << 9 << -1 << false;
        QTest::newRow("up a row") << QList<int>{Qt::Key_Up} << 1 << -1 << false;
        QTest::newRow("end") << QList<int>{Qt::Key_End} << 9 << -1 << false;
        QTest::newRow("enter jumps to the chosen")
            << QList<int>{Qt::Key_Left, Qt::Key_Return} << 4 << 4 << false;
        QTest::newRow("typed place and enter")
            << QList<int>{Qt::Key_1, Qt::Key_0, Qt::Key_Enter} << 9 << 9 << false;
        QTest::newRow("typed place out of range does nothing")
            << QList<int>{Qt::Key_4, Qt::Key_2, Qt::Key_Return} << 5 << -1 << false;
        QTest::newRow("typed place corrected")
            << QList<int>{Qt::Key_4, Qt::Key_2, Qt::Key_Backspace, Qt::Key_Return} << 3 << 3
            << false;
        QTest::newRow("esc") << QList<int>{Qt::Key_Escape} << 5 << -1 << true;
        QTest::newRow("g") << QList<int>{Qt::Key_G} << 5 << -1 << true;
        QTest::newRow("g on a russian layout") << QList<int>{0x041F} << 5 << -1 << true;
        QTest::newRow("tab") << QList<int>{Qt::Key_Tab} << 5 << -1 << true;
    }
    void keys() {
        QFETCH(QList<int>, keys);
        OverviewGrid grid;
        grid.resize(640, 480);
        grid.setItems(items(10), 5);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.columns(), 4);
        QSignalSpy jumps(&grid, &OverviewGrid::jumpTo);
        QSignalSpy dismissals(&grid, &OverviewGrid::dismissed);
        for (int key : keys) {
            if (key > 0xff) { // QTest sends Latin keys only
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier,
                                key <= 0xffff ? QString(QChar(key)) : QString());
                QApplication::sendEvent(&grid, &press);
            } else {
                QTest::keyClick(&grid, Qt::Key(key));
            }
        }
        QTEST(grid.chosen(), "chosen");
        QFETCH(int, jumped);
        QCOMPARE(jumps.size(), jumped < 0 ? 0 : 1);
        if (jumped >= 0)
            QCOMPARE(jumps.first().first().toInt(), jumped);
        QTEST(dismissals.size() == 1, "dismissed");
        QCOMPARE(grid.current(), 5);

        // A click on a picture jumps there.
        QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.cellRect(2).center());
        QCOMPARE(jumps.last().first().toInt(), 2);
    }
};

QTEST_MAIN(TestOverviewGrid)
#include "test_overviewgrid.moc"
