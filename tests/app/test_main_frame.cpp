#include "AboutBox.h"
#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "DisplayState.h"
#include "HelpWindow.h"
#include "HtmlView.h"
#include "PaneLayout.h"
#include "PaneViews.h"
#include "RecordingPaneActions.h"
#include "ResourceIds.h"
#include "ScriptedWindowServices.h"
#include "WebEngineTestMain.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QWindow>

namespace {

// A menu as "text" per item and "-" per separator.
QStringList itemsOf(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QAction* actionFor(const CMainFrame& frame, int id) {
    for (QAction* top : frame.menuBar()->actions()) {
        for (QAction* a : top->menu()->actions()) {
            if (a->data().toInt() == id)
                return a;
        }
    }
    return nullptr;
}

// A frame shown at a known size, its start-up layout over.
struct ShownFrame {
    QTemporaryDir content;
    CMainFrame frame{content.path() + "/"};
    RecordingPaneActions actions;

    explicit ShownFrame(QSize size = QSize(760, 560)) {
        frame.setCommands(actions.all());
        frame.resize(size);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.applyPaneProportions();
        // The first click ends the start-up layout: from then on resizing keeps pixel sizes.
        QTest::mouseClick(frame.windowHandle(), Qt::LeftButton, {},
                          QPoint(size.width() - 40, size.height() / 2));
        actions.calls.clear();
    }
};

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void menuStructure() {
        QTemporaryDir content;
        CMainFrame frame(content.path() + "/");
        QStringList titles;
        for (const QAction* a : frame.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"Набор плакатов", "Урок", "Описание"}));
        QCOMPARE(itemsOf(frame.plateMenu()),
                 (QStringList{"Показать все из темы", "-", "Добавить к уроку все"}));
        QCOMPARE(
            itemsOf(frame.lessonMenu()),
            (QStringList{"Начать урок", "Продолжить урок", "Экран показа", "-", "Новый", "Открыть",
                         "Сохранить", "-", "Печать…", "Сохранить как PDF…", "-", "Редактировать"}));
        QCOMPARE(itemsOf(frame.helpMenu()), (QStringList{"Помошь", "-", "О программе"}));
        QCOMPARE(frame.windowTitle(), QString("Тревалон-Медиа"));
        QCOMPARE(DisplayState::current().interactionMode, DisplayState::kModeNormal);

        // Commands whose views are not there are disabled until their group is set.
        auto enabled = [&frame] {
            QStringList out;
            for (QMenu* menu : {frame.plateMenu(), frame.lessonMenu(), frame.helpMenu()})
                for (const QAction* a : menu->actions())
                    if (!a->isSeparator() && a->isEnabled())
                        out << a->text();
            return out;
        };
        QCOMPARE(enabled(), (QStringList{"Помошь", "О программе"}));
        RecordingPaneActions lessonOnly;
        frame.setCommands({.lesson = &lessonOnly});
        QCOMPARE(enabled(),
                 (QStringList{"Новый", "Открыть", "Сохранить", "Печать…", "Сохранить как PDF…",
                              "Редактировать", "Помошь", "О программе"}));
    }

    void commands_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("show topic") << ResId::kCmdShowTopic << QStringList{"startTopicShow"};
        QTest::newRow("add all") << ResId::kCmdAddAllToLesson << QStringList{"addAllToLesson"};
        QTest::newRow("start lesson") << ResId::kCmdStartLesson << QStringList{"startLesson"};
        QTest::newRow("continue lesson")
            << ResId::kCmdContinueLesson << QStringList{"continueLesson"};
        QTest::newRow("new lesson") << ResId::kCmdNewLesson << QStringList{"newLesson"};
        QTest::newRow("open lesson re-lays the row out")
            << ResId::kCmdOpenLesson << QStringList{"openLesson", "relayoutLesson"};
        QTest::newRow("save lesson") << ResId::kCmdSaveLesson << QStringList{"saveLessonFile"};
        QTest::newRow("print") << ResId::kCmdPrintLesson << QStringList{"printLesson"};
        QTest::newRow("pdf") << ResId::kCmdLessonPdf << QStringList{"saveLessonPdf"};
        QTest::newRow("edit opens the palette")
            << ResId::kCmdEditLesson << QStringList{"createLessonPalette", "placePanels"};
        QTest::newRow("help goes to the help viewer") << ResId::kCmdHelp << QStringList{};
        QTest::newRow("about goes to the application") << ResId::kCmdAbout << QStringList{};
    }
    void commands() {
        QFETCH(int, id);
        QFETCH(QStringList, calls);
        ScriptedWindowServices services;
        QTemporaryDir content;
        CMainFrame frame(content.path() + "/source/");
        RecordingPaneActions actions;
        frame.setCommands(actions.all());
        QSignalSpy about(&frame, &CMainFrame::aboutRequested);

        QAction* action = actionFor(frame, id);
        QVERIFY(action);
        action->trigger();

        // The panels are placed once the layout has settled.
        QTRY_COMPARE(actions.calls, calls);
        QCOMPARE(about.count(), id == ResId::kCmdAbout ? 1 : 0);
        QCOMPARE(services.helpShown, id == ResId::kCmdHelp
                                         ? QStringList{content.path() + "/help/index.html"}
                                         : QStringList{});
    }

    void paletteTogglesOpenAndClosed() {
        ShownFrame f;
        f.frame.runCommand(ResId::kCmdEditLesson);
        QPointer<QWidget> first = f.frame.lessonPalette();
        QVERIFY(first && first->isVisible());
        f.frame.runCommand(ResId::kCmdEditLesson);
        QVERIFY(!first);
        QVERIFY(!f.frame.lessonPalette());

        // A palette its user closed counts as closed: the next command opens a new one.
        f.frame.runCommand(ResId::kCmdEditLesson);
        f.frame.lessonPalette()->close();
        f.frame.runCommand(ResId::kCmdEditLesson);
        QVERIFY(f.frame.lessonPalette() && f.frame.lessonPalette()->isVisible());
    }

    void panesFollowTheProportions() {
        ShownFrame f;
        const QSize client = f.frame.clientSize();
        QCOMPARE(client, f.frame.centralWidget()->size());
        const PaneProportions p = paneProportionsFor(client);
        QCOMPARE(f.frame.outerSplitter()->sizes().value(0), p.textWidth);
        QCOMPARE(f.frame.innerSplitter()->sizes().value(0), p.plateHeight);
        QCOMPARE(f.frame.innerSplitter()->sizes().value(1), p.previewHeight);
    }

    void resizeKeepsPixelSizes() {
        ShownFrame f(QSize(600, 500));
        const QList<int> outer = f.frame.outerSplitter()->sizes();
        const QList<int> inner = f.frame.innerSplitter()->sizes();
        f.frame.resize(780, 700);
        QTRY_COMPARE(f.frame.clientSize().width(), f.frame.centralWidget()->width());
        QCOMPARE(f.frame.outerSplitter()->sizes().value(0), outer.value(0));
        QCOMPARE(f.frame.innerSplitter()->sizes().value(0), inner.value(0));
        QCOMPARE(f.frame.innerSplitter()->sizes().value(1), inner.value(1));
        QVERIFY(f.frame.innerSplitter()->sizes().value(2) > inner.value(2));
    }

    // Keys travel through the frame's window as the platform delivers them.
    void keys_data() {
        QTest::addColumn<QString>("sequence"); // p:KEY press, r:KEY release
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("onPalette"); // the editing palette is the active window
        QTest::newRow("Esc") << "p:Esc r:Esc" << QStringList{} << false; // the frame's own
        QTest::newRow("Ctrl+S") << "p:Ctrl p:S r:S r:Ctrl" << QStringList{"saveLessonFile"}
                                << false;
        QTest::newRow("Ctrl+O without re-layout")
            << "p:Ctrl p:O r:O r:Ctrl" << QStringList{"openLesson"} << false;
        QTest::newRow("Ctrl+N") << "p:Ctrl p:N r:N r:Ctrl" << QStringList{"newLesson"} << false;
        QTest::newRow("S, then Ctrl too late") << "p:S r:S p:Ctrl r:Ctrl" << QStringList{} << false;
        QTest::newRow("a release in between")
            << "p:Ctrl p:Shift r:Shift p:S r:S r:Ctrl" << QStringList{} << false;
        QTest::newRow("Ctrl held, S twice")
            << "p:Ctrl p:S r:S p:S r:S r:Ctrl" << QStringList{"saveLessonFile"} << false;
        QTest::newRow("Ctrl+S on the palette")
            << "p:Ctrl p:S r:S r:Ctrl" << QStringList{"saveLessonFile"} << true;
        QTest::newRow("Ctrl+O on the palette")
            << "p:Ctrl p:O r:O r:Ctrl" << QStringList{"openLesson"} << true;
        QTest::newRow("Ctrl+N on the palette")
            << "p:Ctrl p:N r:N r:Ctrl" << QStringList{"newLesson"} << true;
    }
    void keys() {
        QFETCH(QString, sequence);
        QFETCH(QStringList, calls);
        QFETCH(bool, onPalette);
        ShownFrame f;
        f.frame.pane(CMainFrame::Pane::Plate)->setFocus();
        QWindow* target = f.frame.windowHandle();
        if (onPalette) {
            f.frame.runCommand(ResId::kCmdEditLesson);
            target = f.frame.lessonPalette()->windowHandle();
            QTRY_VERIFY(f.actions.calls.contains("placePanels"));
            f.actions.calls.clear();
        }
        const QHash<QString, Qt::Key> keys{{"Esc", Qt::Key_Escape},  {"Ctrl", Qt::Key_Control},
                                           {"Shift", Qt::Key_Shift}, {"S", Qt::Key_S},
                                           {"O", Qt::Key_O},         {"N", Qt::Key_N}};
        // One event per step: QTest would add presses of its own for modifiers it is given.
        for (const QString& step : sequence.split(' ')) {
            const Qt::Key key = keys.value(step.mid(2));
            if (step.startsWith("p:"))
                QTest::keyPress(target, key);
            else
                QTest::keyRelease(target, key);
        }
        f.actions.calls.removeAll("placePanels"); // the layout's, when full screen came
        QCOMPARE(f.actions.calls, calls);
        QCOMPARE(f.frame.isFullScreenMode(), sequence == "p:Esc r:Esc");
    }

    void contextMenus_data() {
        QTest::addColumn<int>("pane");
        QTest::addColumn<QString>("menu"); // title of the popup that opens, or empty
        QTest::newRow("plate strip") << int(CMainFrame::Pane::Plate) << "Набор плакатов";
        QTest::newRow("lesson row") << int(CMainFrame::Pane::Lesson) << "Урок";
        QTest::newRow("preview has none") << int(CMainFrame::Pane::Preview) << "";
    }
    void contextMenus() {
        QFETCH(int, pane);
        QFETCH(QString, menu);
        ShownFrame f;
        QWidget* view = f.frame.pane(CMainFrame::Pane(pane));
        f.frame.showContextMenu(view, QPoint(5, 7));
        QMenu* open = nullptr;
        for (QMenu* m : {f.frame.plateMenu(), f.frame.lessonMenu(), f.frame.helpMenu()}) {
            if (m->isVisible())
                open = m;
        }
        QCOMPARE(open ? open->title() : QString(), menu);
        if (open) {
            QCOMPARE(open->pos(), view->mapToGlobal(QPoint(5, 7)));
            open->close();
        }
    }

    void middleButtonInTopicPaneEndsDrags_data() {
        QTest::addColumn<int>("buttonsHeld");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("ends");
        QTest::newRow("plain release") << int(Qt::NoButton) << int(Qt::NoModifier) << true;
        QTest::newRow("left still held") << int(Qt::LeftButton) << int(Qt::NoModifier) << false;
        QTest::newRow("Ctrl held") << int(Qt::NoButton) << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt does not count") << int(Qt::NoButton) << int(Qt::AltModifier) << true;
    }
    void middleButtonInTopicPaneEndsDrags() {
        QFETCH(int, buttonsHeld);
        QFETCH(int, modifiers);
        QFETCH(bool, ends);
        QTemporaryDir content;
        CMainFrame frame(content.path() + "/");
        RecordingPaneActions actions;
        frame.setCommands(actions.all());
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3),
                            Qt::MiddleButton, Qt::MouseButtons(buttonsHeld),
                            Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(frame.htmlView(), &release);
        QCOMPARE(actions.calls.contains("endDrags"), ends);
    }

    void closingAsksTheLesson() {
        ShownFrame f;
        QSignalSpy closed(&f.frame, &CMainFrame::closed);
        f.actions.allowClose = false;
        QVERIFY(!f.frame.close());
        QVERIFY(f.frame.isVisible());
        QCOMPARE(closed.count(), 0);
        f.actions.allowClose = true;
        QVERIFY(f.frame.close());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(f.actions.calls, (QStringList{"mayCloseLesson", "mayCloseLesson"}));
    }

    void startUp_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("no arguments")
            << QStringList{} << QStringList{"createPanels", "placePanels"};
        QTest::newRow("one lesson is loaded")
            << QStringList{"/tmp/a.les"}
            << QStringList{"loadLessonFile:/tmp/a.les", "createPanels", "placePanels"};
        QTest::newRow("split path is joined")
            << QStringList{"/tmp/My", "Lessons/a.les"}
            << QStringList{"loadLessonFile:/tmp/My Lessons/a.les", "createPanels", "placePanels"};
    }
    void startUp() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, calls);
        QTemporaryDir content;
        RecordingPaneActions actions;
        CKovrelApp app(content.path() + "/source/");
        app.setCommands(actions.all());
        QVERIFY(app.initInstance(args));
        CMainFrame* frame = app.mainFrame();
        QVERIFY(frame->isVisible());
        QVERIFY(frame->isMaximized());
        // The browser view takes the stand-in's place once the window has been painted, with
        // the topic target given before it existed.
        QVERIFY(!frame->hasHtmlView());
        QTRY_VERIFY(frame->hasHtmlView());
        QCOMPARE(frame->pane(CMainFrame::Pane::Text), frame->htmlView());
        QCOMPARE(frame->htmlView()->topicTarget(), static_cast<TopicTarget*>(app.views()));
        QCOMPARE(frame->windowTitle(), QString("Тревалон-Медиа"));
        // Placing panels also runs whenever the window moves; it must come last as well.
        QTRY_COMPARE(actions.calls.last(), QString("placePanels"));
        QStringList seen = actions.calls;
        seen.removeAll("placePanels");
        QStringList expected = calls;
        expected.removeAll("placePanels");
        QCOMPARE(seen, expected);
        QCOMPARE(frame->startLessonPath(), app.lessonPath());
        const PaneProportions p = paneProportionsFor(frame->clientSize());
        QTRY_COMPARE(frame->outerSplitter()->sizes().value(0), p.textWidth);
        app.exitInstance();
    }

    void startUpRemembersAReadableLesson() {
        QTemporaryDir content;
        const QString lesson = content.filePath("урок 1.les");
        QFile file(lesson);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        {
            CKovrelApp app(content.path() + "/source/");
            QVERIFY(app.initInstance(lesson.split(' ')));
            QCOMPARE(app.recentFiles().files().value(0), lesson);
            app.exitInstance();
        }
        CKovrelApp again(content.path() + "/source/");
        QVERIFY(again.initInstance({}));
        QCOMPARE(again.recentFiles().files().value(0), lesson);
    }

    void aboutBox() {
        AboutBox box;
        QCOMPARE(box.windowTitle(), QString("About Kovrel"));
        const auto labels = box.findChildren<QLabel*>();
        QStringList texts;
        for (const QLabel* l : labels)
            texts << l->text();
        QVERIFY(texts.contains("Kovrel Version 1.0.1.7"));
        const auto* buttons = box.findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        QCOMPARE(buttons->buttons().size(), 1);
        QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok);
    }

    // The help shows its pages (not a black surface), follows its own links, refuses others
    // and names the page once in its title.
    void helpWindow() {
        const QString folder = QStringLiteral(TM_HELP_DIR);
        QVERIFY(HelpWindow::showPage(folder + "/index.html"));
        QPointer<HelpWindow> help = HelpWindow::current();
        QVERIFY(help);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QCOMPARE(help->windowTitle(), QString("Справка — Тревалон-Медиа"));
        const QImage shot = help->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int dark = 0;
        for (int y = 0; y < shot.height(); y += 4)
            for (int x = 0; x < shot.width(); x += 4)
                dark += qGray(shot.pixel(x, y)) < 64;
        QVERIFY2(dark * 16 < shot.width() * shot.height() / 4, qPrintable(QString::number(dark)));

        QTextBrowser* view = help->view();
        QVERIFY(view->toPlainText().contains("наглядное пособие"));
        view->setSource(QUrl("lesson.html"));
        QCOMPARE(help->windowTitle(), QString("Урок — Справка — Тревалон-Медиа"));
        for (const QUrl& outside :
             {QUrl::fromLocalFile(folder + "/../README.md"), QUrl("https://example.org/")}) {
            view->setSource(outside);
            QCOMPARE(view->source().fileName(), QString("lesson.html"));
        }
        help->close();
        QTRY_VERIFY(!help);
    }
};

TM_WEBENGINE_TEST_MAIN(TestMainFrame)
#include "test_main_frame.moc"
