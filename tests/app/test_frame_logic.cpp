#include "CommandLine.h"
#include "ControlKeyRule.h"
#include "HelpWindow.h"
#include "PaneLayout.h"
#include "PlatformChoice.h"
#include "PlaybackScreen.h"
#include "RecentFiles.h"
#include "SourceFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using Effect = ControlKeyRule::Effect;
Q_DECLARE_METATYPE(Effect)

class TestFrameLogic : public QObject {
    Q_OBJECT
private slots:
    void proportions_data() {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("text");
        QTest::addColumn<int>("plate");
        QTest::addColumn<int>("preview");
        QTest::newRow("1280x1024") << QSize(1280, 1024) << 441 << 217 << 568;
        QTest::newRow("1920x1080 exact preview") << QSize(1920, 1080) << 662 << 229 << 600;
        QTest::newRow("800x600") << QSize(800, 600) << 275 << 127 << 333;
        QTest::newRow("exact multiples stay whole") << QSize(29, 47) << 10 << 10 << 26;
        QTest::newRow("1x1 truncates to nothing") << QSize(1, 1) << 0 << 0 << 0;
        QTest::newRow("empty client") << QSize(0, 0) << 0 << 0 << 0;
        QTest::newRow("invalid client") << QSize(-5, -5) << 0 << 0 << 0;
    }
    void proportions() {
        QFETCH(QSize, client);
        QFETCH(int, text);
        QFETCH(int, plate);
        QFETCH(int, preview);
        QCOMPARE(paneProportionsFor(client), (PaneProportions{text, plate, preview}));
    }

    void splitterSizes_data() {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("handle");
        QTest::addColumn<QList<int>>("outer");
        QTest::addColumn<QList<int>>("inner");
        QTest::newRow("no handles")
            << QSize(1280, 1024) << 0 << QList<int>{441, 839} << QList<int>{217, 568, 239};
        QTest::newRow("handles take from the last pane")
            << QSize(1280, 1024) << 4 << QList<int>{441, 835} << QList<int>{217, 568, 231};
        QTest::newRow("last pane never negative")
            << QSize(2, 2) << 6 << QList<int>{0, 0} << QList<int>{0, 1, 0};
    }
    void splitterSizes() {
        QFETCH(QSize, client);
        QFETCH(int, handle);
        QFETCH(QList<int>, outer);
        QFETCH(QList<int>, inner);
        const PaneProportions p = paneProportionsFor(client);
        QCOMPARE(outerSplitterSizes(p, client, handle), outer);
        QCOMPARE(innerSplitterSizes(p, client, handle), inner);
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("lesson");
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("error");

        QTest::newRow("nothing") << QStringList{} << ""
                                 << ""
                                 << ""
                                 << "";
        QTest::newRow("one lesson opens it") << QStringList{"/l/a.les"} << "/l/a.les"
                                             << ""
                                             << ""
                                             << "";
        QTest::newRow("unquoted path with a space is joined")
            << QStringList{"/My", "Lessons/a.les"} << "/My Lessons/a.les"
            << ""
            << ""
            << "";
        QTest::newRow("three parts, single spaces") << QStringList{"a", "b", "c.les"} << "a b c.les"
                                                    << ""
                                                    << ""
                                                    << "";
        QTest::newRow("empty part keeps its spaces") << QStringList{"a", "", "b"} << "a  b"
                                                     << ""
                                                     << ""
                                                     << "";
        QTest::newRow("screenshot option with lesson")
            << QStringList{"--screenshot", "s.png", "x.les"} << "x.les"
            << "s.png"
            << ""
            << "";
        QTest::newRow("options with =") << QStringList{"--screenshot=s.png", "--topic=gruz1"} << ""
                                        << "s.png"
                                        << "gruz1"
                                        << "";
        QTest::newRow("options after the lesson")
            << QStringList{"a", "--topic", "znaki", "b", "--screenshot", "s.png"} << "a b"
            << "s.png"
            << "znaki"
            << "";
        QTest::newRow("double dash ends options")
            << QStringList{"--", "--screenshot", "x"} << "--screenshot x"
            << ""
            << ""
            << "";
        QTest::newRow("single dash is positional") << QStringList{"-"} << "-"
                                                   << ""
                                                   << ""
                                                   << "";
        QTest::newRow("missing value") << QStringList{"--screenshot"} << ""
                                       << ""
                                       << ""
                                       << "option --screenshot needs a value";
        QTest::newRow("empty value") << QStringList{"--screenshot="} << ""
                                     << ""
                                     << ""
                                     << "option --screenshot needs a non-empty value";
        QTest::newRow("unknown option") << QStringList{"--fullscreen"} << ""
                                        << ""
                                        << ""
                                        << "unknown option --fullscreen";
        QTest::newRow("topic alone") << QStringList{"--topic", "gruz1"} << ""
                                     << ""
                                     << "gruz1"
                                     << "--topic is only used together with --screenshot";
        QTest::newRow("help takes no value") << QStringList{"--help=yes"} << ""
                                             << ""
                                             << ""
                                             << "option --help takes no value";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(QString, lesson);
        QFETCH(QString, screenshot);
        QFETCH(QString, topic);
        QFETCH(QString, error);
        const StartOptions o = parseStartOptions(args);
        QCOMPARE(o.error, error);
        if (!error.isEmpty())
            return;
        QCOMPARE(lessonPathFromArguments(o.positional), lesson);
        QCOMPARE(o.screenshotFile, screenshot);
        QCOMPARE(o.topic, topic);
    }

    void helpAndVersion() {
        QVERIFY(parseStartOptions({"--help"}).help);
        QVERIFY(parseStartOptions({"x", "--version"}).version);
    }

    // GNOME on Wayland goes through XWayland unless the user chose; without XWayland Qt chooses.
    void platform_data() {
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("x11");
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<bool>("argument");
        QTest::addColumn<QByteArray>("chosen");
        QTest::newRow("wayland with xwayland") << QByteArray("wayland-0") << QByteArray(":0")
                                               << QByteArray() << false << QByteArray("xcb");
        QTest::newRow("user's variable wins") << QByteArray("wayland-0") << QByteArray(":0")
                                              << QByteArray("wayland") << false << QByteArray();
        QTest::newRow("user's -platform wins")
            << QByteArray("wayland-0") << QByteArray(":0") << QByteArray() << true << QByteArray();
        QTest::newRow("no xwayland")
            << QByteArray("wayland-0") << QByteArray() << QByteArray() << false << QByteArray();
        QTest::newRow("plain x11")
            << QByteArray() << QByteArray(":0") << QByteArray() << false << QByteArray();
    }
    void platform() {
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, x11);
        QFETCH(QByteArray, qpa);
        QFETCH(bool, argument);
        QFETCH(QByteArray, chosen);
        QCOMPARE(chosenPlatform({wayland, x11, qpa, argument}), chosen);
    }

    // Key sequences as "down:KEY" / "up" steps; the effects of the key-downs in order.
    void keys_data() {
        QTest::addColumn<QList<int>>("steps"); // key code for a press, 0 for a release
        QTest::addColumn<QList<Effect>>("effects");
        const int ctrl = Qt::Key_Control;
        QTest::newRow("Ctrl then S saves")
            << QList<int>{ctrl, Qt::Key_S} << QList<Effect>{Effect::None, Effect::SaveLesson};
        QTest::newRow("Ctrl then O opens")
            << QList<int>{ctrl, Qt::Key_O} << QList<Effect>{Effect::None, Effect::OpenLesson};
        QTest::newRow("Ctrl then N starts anew")
            << QList<int>{ctrl, Qt::Key_N} << QList<Effect>{Effect::None, Effect::NewLesson};
        QTest::newRow("S without Ctrl") << QList<int>{Qt::Key_S} << QList<Effect>{Effect::None};
        QTest::newRow("a release in between disarms")
            << QList<int>{ctrl, 0, Qt::Key_S} << QList<Effect>{Effect::None, Effect::None};
        QTest::newRow("second S needs Ctrl again")
            << QList<int>{ctrl, Qt::Key_S, Qt::Key_S}
            << QList<Effect>{Effect::None, Effect::SaveLesson, Effect::None};
        QTest::newRow("another key keeps it armed")
            << QList<int>{ctrl, Qt::Key_Shift, Qt::Key_O}
            << QList<Effect>{Effect::None, Effect::None, Effect::OpenLesson};
        QTest::newRow("Russian layout letters")
            << QList<int>{ctrl, 0x042B, ctrl, 0x0429, ctrl, 0x0422}
            << QList<Effect>{Effect::None,       Effect::SaveLesson, Effect::None,
                             Effect::OpenLesson, Effect::None,       Effect::NewLesson};
        QTest::newRow("Esc always toggles")
            << QList<int>{Qt::Key_Escape, ctrl, Qt::Key_Escape}
            << QList<Effect>{Effect::ToggleFullScreen, Effect::None, Effect::ToggleFullScreen};
    }
    void keys() {
        QFETCH(QList<int>, steps);
        QFETCH(QList<Effect>, effects);
        ControlKeyRule rule;
        QList<Effect> seen;
        for (int key : steps) {
            if (key == 0)
                rule.keyUp();
            else
                seen << rule.keyDown(key);
        }
        QCOMPARE(seen, effects);
    }

    void recentFiles() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("profile.ini"), QSettings::IniFormat);
        RecentFiles recent;
        for (const char* p : {"/a.les", "/b.les", "/c.les", "/d.les", "/e.les", "/c.les", ""})
            recent.add(QString::fromLatin1(p));
        const QStringList expected{"/c.les", "/e.les", "/d.les", "/b.les"};
        QCOMPARE(recent.files(), expected);
        recent.save(settings);
        QCOMPARE(settings.value("Recent File List/File1").toString(), QString("/c.les"));

        RecentFiles loaded;
        loaded.load(settings);
        QCOMPARE(loaded.files(), expected);

        // A shorter list removes the entries it no longer has.
        RecentFiles one;
        one.add("/z.les");
        one.save(settings);
        QVERIFY(!settings.contains("Recent File List/File2"));
    }

    void recentFilesSkipsGapsAndRepeats() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("profile.ini"), QSettings::IniFormat);
        settings.setValue("Recent File List/File1", "/a.les");
        settings.setValue("Recent File List/File3", "/a.les");
        settings.setValue("Recent File List/File4", "/b.les");
        settings.setValue("Recent File List/File5", "/c.les"); // beyond the four entries
        RecentFiles recent;
        recent.load(settings);
        QCOMPARE(recent.files(), (QStringList{"/a.les", "/b.les"}));
    }

    void folders_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("help");
        QTest::newRow("plain") << "/opt/tm/TrevalonMedia"
                               << "/opt/tm/source/"
                               << "/opt/tm/help/index.html";
        QTest::newRow("windows name") << "/opt/tm/TrevalonMedia.exe"
                                      << "/opt/tm/source/"
                                      << "/opt/tm/help/index.html";
        QTest::newRow("program name inside the path") << "/srv/TrevalonMedia.exe.d/TrevalonMedia"
                                                      << "/srv/TrevalonMedia.exe.d/source/"
                                                      << "/srv/TrevalonMedia.exe.d/help/index.html";
        QTest::newRow("a source folder higher up") << "/home/t/source/tm/TrevalonMedia"
                                                   << "/home/t/source/tm/source/"
                                                   << "/home/t/source/tm/help/index.html";
        QTest::newRow("root folder") << "/TrevalonMedia"
                                     << "/source/"
                                     << "/help/index.html";
    }
    void folders() {
        QFETCH(QString, exe);
        QFETCH(QString, content);
        QFETCH(QString, help);
        QCOMPARE(contentFolderFor(exe), content);
        QCOMPARE(helpFileFor(content), help);
    }

    // Screens as "name WxH"; the choice as "name#ordinal" or "" for none.
    void playbackScreen_data() {
        QTest::addColumn<QStringList>("screens");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("index");
        const QStringList two{"eDP-1 1920x1080", "HDMI-1 1280x720"};
        const QStringList same{"screen 1920x1080", "screen 1280x720"};
        QTest::newRow("no screens") << QStringList{} << -1 << "" << -1;
        QTest::newRow("one screen") << QStringList{"eDP-1 1920x1080"} << 0 << "" << 0;
        QTest::newRow("one screen, the chosen one gone")
            << QStringList{"eDP-1 1920x1080"} << 0 << "HDMI-1#0" << 0;
        QTest::newRow("the one the window is not on") << two << 0 << "" << 1;
        QTest::newRow("window on the second") << two << 1 << "" << 0;
        QTest::newRow("window's screen unknown") << two << -1 << "" << 0;
        QTest::newRow("three, window in the middle")
            << QStringList{"A 800x600", "B 800x600", "C 800x600"} << 1 << "" << 0;
        QTest::newRow("chosen by name") << two << 0 << "eDP-1#0" << 0;
        QTest::newRow("chosen one gone: the rule") << two << 1 << "DP-2#0" << 0;
        QTest::newRow("same names told apart") << same << 0 << "screen#1" << 1;
        QTest::newRow("same names, the first chosen") << same << 1 << "screen#0" << 0;
        QTest::newRow("ordinal past the screens of the name") << same << 1 << "screen#2" << 0;
    }
    void playbackScreen() {
        QFETCH(QStringList, screens);
        QFETCH(int, frame);
        QFETCH(QString, choice);
        QFETCH(int, index);
        QList<playback::ScreenEntry> entries;
        for (const QString& s : screens) {
            const QStringList size = s.section(' ', 1).split('x');
            entries.append({s.section(' ', 0, 0), QSize(size[0].toInt(), size[1].toInt())});
        }
        playback::ScreenChoice chosen;
        if (!choice.isEmpty())
            chosen = {choice.section('#', 0, 0), choice.section('#', 1).toInt()};
        QCOMPARE(playback::screenIndex(entries, frame, chosen), index);
        // What the menu stores for a screen finds that screen again.
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(playback::screenIndex(entries, frame, playback::choiceFor(entries, i)), i);
    }

    void playbackScreenLabels() {
        const QList<playback::ScreenEntry> same{{"screen", {1920, 1080}}, {"screen", {1280, 720}}};
        QCOMPARE(playback::screenLabel(same, 1), QStringLiteral("screen (2) 1280×720"));
        QCOMPARE(playback::screenLabel({{"HDMI-1", {1280, 720}}}, 0),
                 QStringLiteral("HDMI-1 1280×720"));
        QTemporaryDir dir;
        QSettings settings(dir.filePath("p.ini"), QSettings::IniFormat);
        playback::saveChoice(settings, {"screen", 1});
        QCOMPARE(playback::loadChoice(settings), (playback::ScreenChoice{"screen", 1}));
        playback::saveChoice(settings, {});
        QVERIFY(!playback::loadChoice(settings).isSet());
    }

    void helpLinks_data() {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<bool>("followed");
        QTest::newRow("page") << QUrl("file:///opt/tm/help/lesson.html") << true;
        QTest::newRow("anchor") << QUrl("file:///opt/tm/help/pen.html#keys") << true;
        QTest::newRow("up and out") << QUrl("file:///opt/tm/help/../source/x.htm") << false;
        QTest::newRow("neighbour folder") << QUrl("file:///opt/tm/help2/index.html") << false;
        QTest::newRow("web") << QUrl("https://example.org/") << false;
    }
    void helpLinks() {
        QFETCH(QUrl, url);
        QFETCH(bool, followed);
        QCOMPARE(isHelpLink("/opt/tm/help/", url), followed);
    }

    // The shipped pages: every link leads to a page that is there, each page has a title,
    // and the contents page reaches every page.
    void shippedHelpPages() {
        const QDir dir(QStringLiteral(TM_HELP_DIR));
        const QStringList pages = dir.entryList({"*.html"}, QDir::Files);
        QVERIFY(pages.contains("index.html"));
        static const QRegularExpression href("href=\"([^\"#]*)[^\"]*\"");
        QStringList fromIndex;
        for (const QString& page : pages) {
            QFile f(dir.filePath(page));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(f.readAll());
            QVERIFY2(html.contains(QRegularExpression("<title>[^<]+</title>")), qPrintable(page));
            for (const QRegularExpressionMatch& m : href.globalMatch(html)) {
                const QString target = m.captured(1);
                QVERIFY2(!target.contains(':'), qPrintable(page + ": " + target));
                QVERIFY2(dir.exists(target), qPrintable(page + ": " + target));
                if (page == "index.html")
                    fromIndex << target;
            }
        }
        for (const QString& page : pages)
            QVERIFY2(page == "index.html" || fromIndex.contains(page), qPrintable(page));
    }
};

QTEST_GUILESS_MAIN(TestFrameLogic)
#include "test_frame_logic.moc"
