// The media windows without a player running: where they lie, which names they refuse and
// the note a teacher sees when a clip or movie cannot play.

#include "AviDlg.h"
#include "ButtFullDlg.h"
#include "MediaFile.h"
#include "MediaPlacement.h"
#include "StandInHost.h"
#include "SwfDlg.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

class TestMedia : public QObject {
    Q_OBJECT

    QTemporaryDir m_base;
    QString m_root; // the content folder, with a trailing '/'

private slots:
    void initTestCase() {
        m_root = m_base.filePath("source") + "/";
        QVERIFY(QDir().mkpath(m_root + "sub"));
        for (const char* name : {"source/clip.avi", "source/sub/movie.swf", "outside.avi"}) {
            QFile f(m_base.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (QByteArray(name).endsWith(".swf"))
                f.write("FWS\x0a\0\0\0\0", 8);
            else
                f.write("RIFF\0\0\0\0AVI LIST", 16);
        }
        QVERIFY(QFile::link(m_base.filePath("outside.avi"), m_root + "link.avi"));
    }

    void placement_data() {
        QTest::addColumn<QPointF>("upperLeft");
        QTest::addColumn<QPointF>("lowerRight");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("whole pixels")
            << QPointF(10, 20) << QPointF(110, 70) << QRect(11, 22, 100, 50);
        QTest::newRow("fractions cut")
            << QPointF(10.9, 20.9) << QPointF(110.5, 70.95) << QRect(11, 22, 99, 50);
        QTest::newRow("left of the pane, toward zero")
            << QPointF(-3.5, -1.5) << QPointF(96.4, 48.4) << QRect(-2, 0, 99, 49);
    }
    void placement() {
        QFETCH(QPointF, upperLeft);
        QFETCH(QPointF, lowerRight);
        QFETCH(QRect, expected);
        QCOMPARE(mediaWindowRect(upperLeft, lowerRight), expected);
    }

    void zoom_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("percent");
        QTest::newRow("512") << 512 << 50;
        QTest::newRow("1024") << 1024 << 100;
        QTest::newRow("half rounds up") << 1019 << 100; // 99.51
        QTest::newRow("below a half") << 5 << 0;
    }
    void zoom() {
        QFETCH(int, width);
        QFETCH(int, percent);
        QCOMPARE(AviDlg::zoomPercent(width), percent);
    }

    void names_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("noteHas"); // empty: playable
        QTest::newRow("in the folder") << "clip.avi"
                                       << "";
        QTest::newRow("windows separators") << "sub\\movie.swf"
                                            << "";
        QTest::newRow("missing") << "gone.avi"
                                 << "Не найден файл";
        QTest::newRow("empty") << ""
                               << "Не указан файл";
        QTest::newRow("parent reference") << "..\\outside.avi"
                                          << "вне папки";
        QTest::newRow("absolute outside") << m_base.filePath("outside.avi") << "вне папки";
        QTest::newRow("link out") << "link.avi"
                                  << "вне папки";
        QTest::newRow("a folder") << "sub"
                                  << "не файл";
    }
    void names() {
        QFETCH(QString, name);
        QFETCH(QString, noteHas);
        const MediaFile f = resolveMediaFile(m_root, name, MediaKind::Video);
        QCOMPARE(f.playable(), noteHas.isEmpty());
        QVERIFY2(f.note.contains(noteHas), qPrintable(f.note));
        QCOMPARE(f.path.isEmpty(), !noteHas.isEmpty());
    }

    // The picture stays (the window paints nothing of its own) and the note lies over it.
    void notes() {
        QWidget preview;
        preview.resize(600, 400);
        StandInHost host;
        auto* avi = new AviDlg(&preview, host, m_root);
        avi->setGeometry(mediaWindowRect({10, 10}, {410, 310}));
        avi->open("perekrestok.avi");
        QCOMPARE(avi->note(), QString("Не найден файл видеоролика «perekrestok.avi»."));

        QTemporaryDir noPlayer;
        SwfDlg::setPlayerFolder(noPlayer.path());
        auto* swf = new SwfDlg(&preview, host, m_root);
        swf->setGeometry(avi->geometry());
        swf->play("sub/movie.swf");
        QVERIFY2(swf->note().contains("Ruffle") && swf->note().contains("не установлен"),
                 qPrintable(swf->note()));
        QVERIFY(!swf->view()); // no browser started for nothing
        SwfDlg::setPlayerFolder({});

        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        for (QWidget* w : {static_cast<QWidget*>(avi), static_cast<QWidget*>(swf)}) {
            auto* label = w->findChild<QLabel*>("MediaNote");
            QVERIFY(label && label->isVisible());
            QVERIFY(!w->autoFillBackground());
        }
    }

    // The "Анимация" button reads in a lit classroom: its face against the pane and its text
    // against its face.
    void animationButtonContrast() {
        QWidget frame;
        frame.resize(300, 200);
        auto* panel = new ButtFullDlg(&frame);
        frame.show();
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const QImage shot = panel->button()->grab().toImage();
        QMap<QRgb, int> counts;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                ++counts[shot.pixel(x, y)];
        QRgb face = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > counts.value(face))
                face = it.key();
        double text = 1.0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            text = std::max(text, contrast(face, it.key()));
        QVERIFY2(text >= 4.5, qPrintable(QString::number(text)));
        QVERIFY2(contrast(face, qRgb(66, 75, 121)) >= 3.0, qPrintable(QString::number(face, 16)));
    }

private:
    static double luminance(QRgb c) {
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    }
    static double contrast(QRgb a, QRgb b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    }
};

QTEST_MAIN(TestMedia)
#include "test_media.moc"
