// The real program as a child process: `TrevalonMedia --screenshot FILE [--topic NAME]` on the
// generated demo content, on the X display and without one. The picture it writes must show
// the strip pane empty on the start page and filled with plates after a topic link. At every
// scale of the screen the panes must show what they show at scale 1.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

const QString kProgram = QStringLiteral(TM_PROGRAM);
constexpr QRgb kStripBackground = 0xFF424B79;
constexpr int kRunMs = 120000;

// Share of the strip pane's background colour in a band of the upper right of the window, where
// the strip stands (right column from W/2.9, top row H/4.7 high): the caption at the strip's
// left end and the scroll bar at its bottom are left out.
double stripBackgroundShare(const QImage& shot) {
    const QRect band(shot.width() / 2, shot.height() * 5 / 100, shot.width() * 45 / 100,
                     shot.height() / 10);
    int background = 0, samples = 0;
    for (int y = band.top(); y <= band.bottom(); y += 3) {
        for (int x = band.left(); x <= band.right(); x += 3) {
            background += shot.pixel(x, y) == kStripBackground;
            ++samples;
        }
    }
    return samples ? double(background) / samples : 0.0;
}

// The window's panes as the program names them in the picture's text fields, in logical pixels.
QMap<QString, QRect> panesOf(const QImage& shot) {
    QMap<QString, QRect> panes;
    for (const QString& key : shot.textKeys()) {
        const QStringList v = shot.text(key).split(',');
        if (key.startsWith("pane.") && v.size() == 4)
            panes.insert(key.mid(5), QRect(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt()));
    }
    return panes;
}

// Mean difference of grey levels (0..255) over an area of two pictures of the same size.
double meanGreyDifference(const QImage& a, const QImage& b, const QRect& area) {
    qint64 sum = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x, ++n)
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return n ? double(sum) / n : 255.0;
}

} // namespace

class TestE2eScreenshot : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QFileInfo(kProgram).isExecutable(), qPrintable(kProgram));
        QVERIFY2(QFileInfo::exists(QFileInfo(kProgram).path() + "/source/html/main_naz.htm"),
                 "the demo content has not been generated beside the program");
    }

    // A topic and a lesson on one 1920 x 1080 screen shown at a scale (1920·scale x
    // 1080·scale device pixels, as a 4K panel at 200 %), offscreen; the picture scaled back
    // to 1920 x 1080 must differ from the one at scale 1 by at most 15 grey levels on average
    // in every pane, each pane standing where it stands at scale 1.
    void scales_data() {
        QTest::addColumn<double>("scale");
        for (const double scale : {1.25, 1.5, 2.0})
            QTest::addRow("%g", scale) << scale;
    }

    void scales() {
        QFETCH(double, scale);
        if (m_atScaleOne.isNull())
            m_atScaleOne = shotAtScale(1.0);
        QVERIFY(!m_atScaleOne.isNull());
        const QImage shot = shotAtScale(scale);
        QVERIFY(!shot.isNull());
        const QMap<QString, QRect> panes = panesOf(m_atScaleOne);
        QCOMPARE(panes.keys(), QStringList({"lesson", "preview", "strip", "text"}));
        QStringList figures;
        for (auto pane = panes.cbegin(); pane != panes.cend(); ++pane) {
            const QRect there = panesOf(shot).value(pane.key());
            // The window's frame takes whole device pixels: a pixel or two more or less.
            QVERIFY2((there.topLeft() - pane->topLeft()).manhattanLength() <= 4 &&
                         std::abs(there.width() - pane->width()) <= 3 &&
                         std::abs(there.height() - pane->height()) <= 3,
                     qPrintable(pane.key()));
            // The pane's device pixels, scaled back to its size at scale 1.
            const QRect device =
                QRectF(QPointF(there.topLeft()) * scale, QSizeF(there.size()) * scale).toRect();
            const QImage back = shot.copy(device).scaled(pane->size(), Qt::IgnoreAspectRatio,
                                                         Qt::SmoothTransformation);
            // The splitters' edges fall between device pixels: a margin is left out.
            const double difference =
                meanGreyDifference(m_atScaleOne.copy(*pane), back,
                                   QRect(QPoint(0, 0), pane->size()).adjusted(2, 2, -2, -2));
            figures << QStringLiteral("%1 %2").arg(pane.key()).arg(difference, 0, 'f', 1);
            QVERIFY2(difference <= 15.0, qPrintable(figures.join(", ")));
        }
        qInfo("scale %g, mean grey difference per pane: %s", scale, qPrintable(figures.join(", ")));
    }

    void screenshot_data() {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<bool>("onDisplay"); // false: no DISPLAY, the program goes offscreen
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("stripFilled");
        QTest::newRow("start page") << QString() << true << 0 << false;
        QTest::newRow("40-plate topic") << "def1" << true << 0 << true;
        QTest::newRow("topic without a display") << "znaki1" << false << 0 << true;
        QTest::newRow("no such topic") << "nosuchtopic" << true << 1 << false;
    }

    void screenshot() {
        QFETCH(QString, topic);
        QFETCH(bool, onDisplay);
        QFETCH(int, exitCode);
        QFETCH(bool, stripFilled);
        if (onDisplay && qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("no X display; run under xvfb-run");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath("shot.png");
        QStringList args{"--screenshot", file};
        if (!topic.isEmpty())
            args << "--topic" << topic;

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        if (!onDisplay) {
            env.remove("DISPLAY");
            env.remove("WAYLAND_DISPLAY");
        }
        env.insert("XDG_CONFIG_HOME", dir.filePath("config")); // the profile stays here
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::SeparateChannels);
        program.start(kProgram, args);
        QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
        if (!program.waitForFinished(kRunMs)) {
            program.kill();
            program.waitForFinished();
            QFAIL("the program did not finish");
        }
        const QByteArray errors = program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == exitCode, errors.constData());

        if (exitCode != 0) {
            QVERIFY(!QFileInfo::exists(file));
            QVERIFY2(errors.contains(topic.toUtf8()), errors.constData());
            return;
        }
        QImage shot(file);
        QVERIFY2(!shot.isNull(), errors.constData());
        QVERIFY(shot.width() >= 600 && shot.height() >= 500); // offscreen: an 800 x 800 screen
        shot = shot.convertToFormat(QImage::Format_RGB32);
        const double share = stripBackgroundShare(shot);
        if (stripFilled)
            QVERIFY2(share < 0.2, qPrintable(QString::number(share)));
        else
            QVERIFY2(share > 0.95, qPrintable(QString::number(share)));
    }

private:
    // The program offscreen, showing topic def1 with its second plate in the preview and a
    // lesson of four demo pictures, on a 1920 x 1080 screen at `scale`; a null picture when
    // it wrote none.
    QImage shotAtScale(double scale) {
        const QDir demo(QFileInfo(kProgram).path() + "/source/html/img");
        const QString manifest = m_dir.filePath("lesson.txt");
        const QString lesson = m_dir.filePath("lesson.les");
        if (!QFileInfo::exists(lesson)) {
            QFile list(manifest);
            if (!list.open(QIODevice::WriteOnly))
                return {};
            const QStringList pictures = demo.entryList({"*.png"}, QDir::Files, QDir::Name);
            for (const QString& picture : pictures.mid(0, 4))
                list.write(demo.filePath(picture).toUtf8() + '\n');
            list.close();
            if (QProcess::execute(QStringLiteral(TM_FRAG_TOOL), {"pack", manifest, lesson}) != 0)
                return {};
        }
        const QString config = m_dir.filePath(QStringLiteral("screen-%1.json").arg(scale));
        QFile json(config);
        if (!json.open(QIODevice::WriteOnly))
            return {};
        json.write(QStringLiteral("{\"screens\": [{\"name\": \"panel\", \"width\": %1, "
                                  "\"height\": %2}]}")
                       .arg(qRound(1920 * scale))
                       .arg(qRound(1080 * scale))
                       .toUtf8());
        json.close();

        const QString file = m_dir.filePath(QStringLiteral("shot-%1.png").arg(scale));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_SCALE_FACTOR", QString::number(scale));
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(kProgram, {"-platform", "offscreen:configfile=" + config, "--screenshot",
                                 file, "--topic", "def1/***2)", lesson});
        if (!program.waitForStarted() || !program.waitForFinished(kRunMs) ||
            program.exitCode() != 0) {
            program.kill();
            program.waitForFinished();
            qWarning("%s", program.readAllStandardError().constData());
            return {};
        }
        // Kept for a look when TM_SHOTS names a folder.
        if (const QString keep = qEnvironmentVariable("TM_SHOTS"); !keep.isEmpty())
            QFile::copy(file, QDir(keep).filePath(QFileInfo(file).fileName()));
        return QImage(file);
    }

    QTemporaryDir m_dir;
    QImage m_atScaleOne;
};

QTEST_GUILESS_MAIN(TestE2eScreenshot)
#include "test_e2e_screenshot.moc"
