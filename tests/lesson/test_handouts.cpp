#include "BmpRectStream.h"
#include "HandoutJob.h"
#include "HandoutLayout.h"
#include "Lesson.h"
#include "LessonDisplay.h"
#include "LoadDlg.h"
#include "ScriptedWindowServices.h"
#include "StoreFixtures.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

struct QuietDisplay final : LessonDisplay {
    void fitToHeight() override {}
    void updateScrollSizes() override {}
    void invalidate() override {}
    void resetAnchor() override {}
};

const QSizeF kA4Area(595.3 - 2 * 42.5, 841.9 - 2 * 42.5); // A4 inside 15 mm margins, points

QColor colourOf(int i) {
    return QColor::fromHsv((i * 67) % 360, 220, 200);
}

void addPlate(Lesson& lesson, int i, QSize size = {400, 300}) {
    auto p = std::make_unique<BmpRectStream>();
    p->loadFromStream(fixtures::pngBytes(size, colourOf(i)), "plate" + QByteArray::number(i),
                      {500, 500}, {500, 600});
    p->setCaption("caption " + QByteArray::number(i));
    lesson.addPicture(std::move(p));
}

// Page `page` (1-based) of pdf at dpi, or a null image when pdftoppm gives none.
QImage renderedPage(const QString& pdf, int page, int dpi) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath("page");
    QProcess run;
    run.start("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l",
                           QString::number(page), "-singlefile", pdf, prefix});
    run.waitForFinished();
    return QImage(prefix + ".png");
}

} // namespace

class TestHandouts : public QObject {
    Q_OBJECT
private slots:
    void layout_data() {
        QTest::addColumn<QSizeF>("area");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("one a page") << kA4Area << 1 << 3 << 3 << 1 << 1;
        QTest::newRow("two stack on portrait") << kA4Area << 2 << 3 << 2 << 1 << 2;
        QTest::newRow("four, exact pages") << kA4Area << 4 << 8 << 2 << 2 << 2;
        QTest::newRow("six, last page short") << kA4Area << 6 << 100 << 17 << 2 << 3;
        QTest::newRow("landscape lays six across") << kA4Area.transposed() << 6 << 7 << 2 << 3 << 2;
        QTest::newRow("three asked: four") << kA4Area << 3 << 5 << 2 << 2 << 2;
        QTest::newRow("nonsense asked: default") << kA4Area << -7 << 5 << 2 << 2 << 2;
        QTest::newRow("many asked: six") << kA4Area << 50 << 13 << 3 << 2 << 3;
        QTest::newRow("empty is one page") << kA4Area << 4 << 0 << 1 << 2 << 2;
    }
    void layout() {
        QFETCH(QSizeF, area);
        QFETCH(int, asked);
        QFETCH(int, count);
        const HandoutLayout layout(area, asked, count);
        QTEST(layout.pageCount(), "pages");
        QTEST(layout.columns(), "columns");
        QTEST(layout.rows(), "rows");
        // Every cell of a page: inside the area, below the header, apart from the others,
        // its picture above its caption; the next page starts at the first cell again.
        const QRectF page(QPointF(0, 0), area);
        const int perPage = layout.perPage();
        for (int i = 0; i < perPage; ++i) {
            const QRectF cell = layout.cellRect(i);
            QVERIFY(page.contains(cell));
            QVERIFY(cell.top() >= layout.headerRect().bottom());
            QVERIFY(layout.pictureBox(i).bottom() <= layout.captionRect(i).top() + 1e-9);
            QVERIFY(layout.pictureBox(i).height() > layout.captionRect(i).height());
            for (int j = 0; j < i; ++j)
                QVERIFY(!cell.intersects(layout.cellRect(j)));
            QCOMPARE(layout.cellRect(i + perPage), cell);
            QCOMPARE(layout.pageOf(i + perPage), 1);
        }
    }

    // A lesson to PDF as the menu command does it, and the PDF as a reader shows it.
    void lessonToPdf() {
        ScriptedWindowServices services;
        QuietDisplay display;
        Lesson lesson(display);
        HandoutJob job(nullptr);
        QVERIFY(!job.savePdf(lesson, 4));
        QCOMPARE(services.messageTexts(), QStringList{"Урок пуст"});
        QVERIFY(services.fileDialogs.isEmpty());

        for (int i = 0; i < 5; ++i)
            addPlate(lesson, i);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("handout.pdf");
        services.chosenFiles << pdf;
        QVERIFY(job.savePdf(lesson, 4));
        QCOMPARE(services.fileDialogs.last().fileName, QString("Без Имени.pdf"));
        job.wait();
        QCOMPARE(services.messageTexts(), QStringList{"Урок пуст"}); // nothing more told
        QVERIFY(QFile(pdf).size() > 1000);

        if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed: the PDF was not looked at");
        constexpr int dpi = 40;
        const QImage first = renderedPage(pdf, 1, dpi);
        QVERIFY(!first.isNull());
        QVERIFY(!renderedPage(pdf, 2, dpi).isNull());
        QVERIFY(renderedPage(pdf, 3, dpi).isNull());
        // Each cell's centre shows its plate's colour (the margins are 15 mm).
        const HandoutLayout layout(kA4Area, 4, 5);
        const double toPixels = dpi / 72.0;
        const QPointF margin(42.5, 42.5);
        for (int i = 0; i < 4; ++i) {
            const QPointF centre = (layout.pictureBox(i).center() + margin) * toPixels;
            const QColor seen = first.pixelColor(centre.toPoint());
            const int off = qAbs(seen.hue() - colourOf(i).hue());
            QVERIFY2(seen.saturation() > 100 && std::min(off, 360 - off) < 8,
                     qPrintable(QString("cell %1: %2").arg(i).arg(seen.name())));
        }
    }

    // How a run ends: what is told, and whether the file there before survives.
    void endings_data() {
        QTest::addColumn<bool>("badPicture");
        QTest::addColumn<bool>("stopEarly");
        QTest::addColumn<bool>("unwritable");
        QTest::addColumn<QString>("told");
        QTest::addColumn<bool>("oldKept");
        QTest::newRow("undecodable listed") << true << false << false
                                            << "Не удалось прочитать рисунки (1 из 3); вместо "
                                               "них в раздаточном материале только подписи: 2 "
                                               "«broken»"
                                            << false;
        QTest::newRow("cancelled keeps the old file") << false << true << false << "" << true;
        QTest::newRow("unwritable folder")
            << false << false << true << "Не удалось записать файл PDF." << true;
    }
    void endings() {
        QFETCH(bool, badPicture);
        QFETCH(bool, stopEarly);
        QFETCH(bool, unwritable);
        ScriptedWindowServices services;
        QTemporaryDir dir;
        const QString pdf = unwritable ? dir.filePath("missing/x.pdf") : dir.filePath("old.pdf");
        {
            QFile old(dir.filePath("old.pdf"));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        std::vector<HandoutPicture> pictures{
            {fixtures::pngBytes({40, 30}, Qt::red), "red"},
            {badPicture ? QByteArray("\x89PNG not really") : fixtures::pngBytes({4, 3}, Qt::blue),
             "broken"},
            {fixtures::pngBytes({40, 30}, Qt::green), "green"}};
        HandoutJob job(nullptr);
        QVERIFY(job.start(
            std::make_unique<HandoutRenderer>("урок", std::move(pictures), 2),
            [&](HandoutRenderer& r, const std::function<bool(int)>& goOn) {
                return r.writePdf(
                    pdf, [&](int done) { return goOn(done) && !(stopEarly && done == 2); });
            },
            "PDF", "Не удалось записать файл PDF."));
        job.wait();
        QFETCH(QString, told);
        QCOMPARE(services.messageTexts().join(""), told);
        QFile old(dir.filePath("old.pdf"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QTEST(old.readAll() == "old", "oldKept");
    }

    // A long run shows its progress; the window's "Отмена" ends it without a word.
    void cancelledFromItsWindow() {
        ScriptedWindowServices services;
        HandoutJob job(nullptr);
        QSignalSpy finished(&job, &HandoutJob::finished);
        QVERIFY(job.start(
            std::make_unique<HandoutRenderer>("урок", std::vector<HandoutPicture>(500), 4),
            [](HandoutRenderer& r, const std::function<bool(int)>& goOn) {
                for (int i = 0; i < r.pictureCount(); ++i) {
                    if (!goOn(i))
                        return HandoutRenderer::Result::Cancelled;
                    QThread::msleep(20);
                }
                return HandoutRenderer::Result::Done;
            },
            "Печать...", "failed"));
        QTRY_VERIFY(job.progressWindow());
        LoadDlg* window = job.progressWindow();
        QCOMPARE(window->windowTitle(), QString("Печать..."));
        QCOMPARE(window->rangeEnd(), 500);
        QTRY_VERIFY(window->position() > 0);
        QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<HandoutRenderer::Result>(),
                 HandoutRenderer::Result::Cancelled);
        QVERIFY(!job.progressWindow());
        QVERIFY(services.messages.isEmpty());
    }
};

QTEST_MAIN(TestHandouts)
#include "test_handouts.moc"
