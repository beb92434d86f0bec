#include "ActiveViewFocus.h"
#include "DialogUnits.h"
#include "Instances.h"
#include "LoadDlg.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <climits>

class TestLoadDlg : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { ActiveViewFocus::setHandler({}); }

    void window() {
        LoadDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Загрузка..."));
        QVERIFY(!dlg.isModal());
        const DialogUnits du(dlg.font());
        QCOMPARE(dlg.size(), du.size(LoadDlg::kWidthDu, LoadDlg::kHeightDu));
        QVERIFY(QRect(QPoint(0, 0), dlg.size()).contains(dlg.progressBar()->geometry()));
        QVERIFY(QRect(QPoint(0, 0), dlg.size()).contains(dlg.cancelButton()->geometry()));
        QVERIFY(!dlg.progressBar()->geometry().intersects(dlg.cancelButton()->geometry()));
        QSignalSpy cancel(&dlg, &LoadDlg::cancelRequested);
        QTest::mouseClick(dlg.cancelButton(), Qt::LeftButton);
        QCOMPARE(cancel.size(), 1);
        QCOMPARE(Instances::single<LoadDlg>(), &dlg);
        {
            LoadDlg second; // the newest window is the program-wide one while it lives
            QCOMPARE(Instances::single<LoadDlg>(), &second);
        }
        QCOMPARE(Instances::single<LoadDlg>(), nullptr);
    }

    // Above the owner's top-level window, yet not its child: the owner going first leaves
    // the window whole.
    void staysAboveItsOwner() {
        auto frame = std::make_unique<QWidget>();
        auto* pane = new QWidget(frame.get());
        frame->show();
        LoadDlg dlg(pane);
        dlg.show();
        QCOMPARE(dlg.windowHandle()->transientParent(), frame->windowHandle());
        QVERIFY(!dlg.parent());
        frame.reset();
        QCOMPARE(Instances::single<LoadDlg>(), &dlg);
        QVERIFY(!dlg.windowHandle()->transientParent());
    }

    // The loader sets the range to records + 1 and steps once per record.
    void progress_data() {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("rangeEnd");
        QTest::addColumn<int>("position");

        QTest::newRow("no records") << 1 << 1 << 0 << 1 << 0;
        QTest::newRow("three records stop short of the end") << 4 << 1 << 3 << 4 << 3;
        QTest::newRow("overrun stops at the end") << 3 << 1 << 7 << 3 << 3;
        QTest::newRow("large step stops at the end") << 10 << INT_MAX << 2 << 10 << 10;
        QTest::newRow("empty range is not a busy bar") << 0 << 1 << 0 << 1 << 0;
        QTest::newRow("negative range is not a busy bar") << -5 << 1 << 1 << 1 << 1;
    }

    void progress() {
        QFETCH(int, range);
        QFETCH(int, step);
        QFETCH(int, steps);
        QFETCH(int, rangeEnd);
        QFETCH(int, position);

        LoadDlg dlg;
        dlg.show();
        dlg.setRange(range);
        dlg.setStep(step);
        for (int i = 0; i < steps; ++i)
            dlg.stepIt();
        QCOMPARE(dlg.rangeEnd(), rangeEnd);
        QCOMPARE(dlg.position(), position);
        QCOMPARE(dlg.progressBar()->minimum(), 0);
        QCOMPARE(dlg.progressBar()->value(), position);
        dlg.setRange(range); // a new range starts from the beginning
        QCOMPARE(dlg.position(), 0);
    }

    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("focusCalls");
        QTest::newRow("Esc is swallowed") << int(Qt::Key_Escape) << 0;
        QTest::newRow("Enter returns the focus") << int(Qt::Key_Return) << 1;
        QTest::newRow("keypad Enter returns the focus") << int(Qt::Key_Enter) << 1;
    }

    void keys() {
        QFETCH(int, key);
        QFETCH(int, focusCalls);
        int calls = 0;
        ActiveViewFocus::setHandler([&] { ++calls; });
        LoadDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClick(&dlg, Qt::Key(key));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
        QCOMPARE(calls, focusCalls);
    }

    void dialogUnits_data() {
        QTest::addColumn<QRect>("units");
        QTest::addColumn<QRect>("pixels");
        // Base units 6 × 13 (the classic 8-point dialog font).
        QTest::newRow("loading window") << QRect(0, 0, 306, 20) << QRect(0, 0, 459, 33);
        QTest::newRow("its progress bar") << QRect(1, 0, 304, 20) << QRect(2, 0, 456, 33);
        // Edges convert, not sizes: one unit wide at x = 1 spans pixels 2 … 3.
        QTest::newRow("edges round, not sizes") << QRect(1, 1, 1, 1) << QRect(2, 2, 1, 1);
        QTest::newRow("negative position rounds away from zero")
            << QRect(-1, -1, 2, 2) << QRect(-2, -2, 4, 4);
        QTest::newRow("palette button") << QRect(120, 2, 32, 20) << QRect(180, 3, 48, 33);
    }

    void dialogUnits() {
        QFETCH(QRect, units);
        QFETCH(QRect, pixels);
        const DialogUnits du(6, 13);
        QCOMPARE(du.rect(units.x(), units.y(), units.width(), units.height()), pixels);
    }
};

QTEST_MAIN(TestLoadDlg)
#include "test_loaddlg.moc"
