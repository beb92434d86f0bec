#include "FrameCommandRouter.h"

#include "ActiveViewFocus.h"
#include "ResourceIds.h"
#include "WindowServices.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

FrameCommandRouter::FrameCommandRouter(QMainWindow& window, QMenu* screenMenu,
                                       const QString& helpFile)
    : QObject(&window), m_window(window), m_screenMenu(screenMenu), m_helpFile(helpFile) {
    QMenuBar* bar = window.menuBar();
    m_plateMenu = bar->addMenu(QStringLiteral("Набор плакатов"));
    addCommand(m_plateMenu, QStringLiteral("Показать все из темы"), ResId::kCmdShowTopic);
    m_plateMenu->addSeparator();
    addCommand(m_plateMenu, QStringLiteral("Добавить к уроку все"), ResId::kCmdAddAllToLesson);

    m_lessonMenu = bar->addMenu(QStringLiteral("Урок"));
    addCommand(m_lessonMenu, QStringLiteral("Начать урок"), ResId::kCmdStartLesson,
               QKeySequence(Qt::Key_F5));
    addCommand(m_lessonMenu, QStringLiteral("Продолжить урок"), ResId::kCmdContinueLesson,
               QKeySequence(Qt::SHIFT | Qt::Key_F5));
    m_lessonMenu->addMenu(m_screenMenu);
    m_lessonMenu->addSeparator();
    addCommand(m_lessonMenu, QStringLiteral("Новый"), ResId::kCmdNewLesson);
    addCommand(m_lessonMenu, QStringLiteral("Открыть"), ResId::kCmdOpenLesson);
    addCommand(m_lessonMenu, QStringLiteral("Сохранить"), ResId::kCmdSaveLesson);
    m_lessonMenu->addSeparator();
    addCommand(m_lessonMenu, QStringLiteral("Печать…"), ResId::kCmdPrintLesson,
               QKeySequence(Qt::CTRL | Qt::Key_P));
    addCommand(m_lessonMenu, QStringLiteral("Сохранить как PDF…"), ResId::kCmdLessonPdf);
    m_lessonMenu->addSeparator();
    addCommand(m_lessonMenu, QStringLiteral("Редактировать"), ResId::kCmdEditLesson);

    m_helpMenu = bar->addMenu(QStringLiteral("Описание"));
    addCommand(m_helpMenu, QStringLiteral("Помошь"), ResId::kCmdHelp, QKeySequence(Qt::Key_F1));
    m_helpMenu->addSeparator();
    addCommand(m_helpMenu, QStringLiteral("О программе"), ResId::kCmdAbout);
    updateCommandStates();
}

void FrameCommandRouter::addCommand(QMenu* menu, const QString& text, int id,
                                    const QKeySequence& keys) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    if (!keys.isEmpty()) {
        // Also while the menu bar is hidden (full-screen mode): the window holds the action.
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        m_window.addAction(action);
    }
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
}

void FrameCommandRouter::setCommands(const FrameCommands& commands) {
    if (commands.lesson)
        m_commands.lesson = commands.lesson;
    if (commands.show)
        m_commands.show = commands.show;
    if (commands.panels)
        m_commands.panels = commands.panels;
    if (commands.plate)
        m_commands.plate = commands.plate;
    updateCommandStates();
}

void FrameCommandRouter::updateCommandStates() {
    for (QMenu* menu : {m_plateMenu, m_lessonMenu}) {
        for (QAction* action : menu->actions()) {
            switch (action->data().toInt()) {
            case ResId::kCmdShowTopic:
            case ResId::kCmdStartLesson:
            case ResId::kCmdContinueLesson:
                action->setEnabled(m_commands.show != nullptr);
                break;
            case ResId::kCmdAddAllToLesson:
                action->setEnabled(m_commands.plate != nullptr);
                break;
            case ResId::kCmdNewLesson:
            case ResId::kCmdOpenLesson:
            case ResId::kCmdSaveLesson:
            case ResId::kCmdEditLesson:
            case ResId::kCmdPrintLesson:
            case ResId::kCmdLessonPdf:
                action->setEnabled(m_commands.lesson != nullptr);
                break;
            default:
                if (action == m_screenMenu->menuAction())
                    action->setEnabled(m_commands.show != nullptr);
                break;
            }
        }
    }
}

void FrameCommandRouter::runCommand(int id) {
    switch (id) {
    case ResId::kCmdShowTopic:
        if (m_commands.show)
            m_commands.show->startTopicShow();
        break;
    case ResId::kCmdAddAllToLesson:
        if (m_commands.plate)
            m_commands.plate->addAllToLesson();
        break;
    case ResId::kCmdStartLesson:
        if (m_commands.show)
            m_commands.show->startLesson();
        break;
    case ResId::kCmdContinueLesson:
        if (m_commands.show)
            m_commands.show->continueLesson();
        break;
    case ResId::kCmdNewLesson:
        if (m_commands.lesson)
            m_commands.lesson->newLesson();
        break;
    case ResId::kCmdOpenLesson:
        if (m_commands.lesson) {
            m_commands.lesson->openLesson();
            m_commands.lesson->relayoutLesson();
        }
        break;
    case ResId::kCmdSaveLesson:
        if (m_commands.lesson)
            m_commands.lesson->saveLessonFile();
        break;
    case ResId::kCmdPrintLesson:
        if (m_commands.lesson)
            m_commands.lesson->printLesson();
        break;
    case ResId::kCmdLessonPdf:
        if (m_commands.lesson)
            m_commands.lesson->saveLessonPdf();
        break;
    case ResId::kCmdEditLesson:
        emit paletteToggleRequested();
        break;
    case ResId::kCmdHelp:
        WindowServices::instance().showHelp(m_helpFile);
        break;
    case ResId::kCmdAbout:
        emit aboutRequested();
        break;
    default:
        break;
    }
}

bool FrameCommandRouter::onKey(QEvent* event, bool fullScreen) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        // A held key repeats as press/release pairs here; only a real release counts.
        if (!key->isAutoRepeat())
            m_keys.keyUp();
        return false;
    }
    // Enter and Esc on a floating panel or media window belong to it: they hand the focus
    // back to the active view and never toggle full screen.
    const bool enterOrEsc =
        key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enterOrEsc && ActiveViewFocus::isInsideFloating(QApplication::focusWidget()))
        return false;
    if (fullScreen && m_commands.show && m_commands.show->playbackKey(key->key(), key->modifiers()))
        return true;
    switch (m_keys.keyDown(key->key())) {
    case ControlKeyRule::Effect::None:
        break;
    case ControlKeyRule::Effect::ToggleFullScreen:
        emit showToggleRequested();
        break;
    case ControlKeyRule::Effect::SaveLesson:
        if (m_commands.lesson)
            m_commands.lesson->saveLessonFile();
        break;
    case ControlKeyRule::Effect::OpenLesson:
        // Unlike the menu command, the key does not re-lay the lesson row out.
        if (m_commands.lesson)
            m_commands.lesson->openLesson();
        break;
    case ControlKeyRule::Effect::NewLesson:
        if (m_commands.lesson)
            m_commands.lesson->newLesson();
        break;
    }
    return false;
}
