#include "CMainFrame.h"

#include "ActiveViewFocus.h"
#include "DisplayState.h"
#include "HtmlView.h"
#include "Instances.h"
#include "PaneLayout.h"
#include "PlaceholderPane.h"
#include "PlaceholderTopicTarget.h"
#include "PlaybackScreen.h"
#include "PlaybackWindow.h"
#include "PreView.h"
#include "PresenterView.h"
#include "PreviewTarget.h"
#include "ResourceIds.h"
#include "ScreenSaverInhibitor.h"
#include "SourceFolder.h"
#include "WindowServices.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QWindow>

namespace {

bool isInside(const QWidget* pane, const QWidget* w) {
    return pane && w && (pane == w || pane->isAncestorOf(w));
}

// The program's profile, as the application keeps it.
QSettings profile() {
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"),
                     QStringLiteral("TrevalonMedia"));
}

} // namespace

CMainFrame::CMainFrame(const QString& contentFolder, QWidget* parent)
    : QMainWindow(parent), m_contentFolder(contentFolder),
      m_screenSaver(std::make_unique<ScreenSaverInhibitor>()) {
    Instances::registerFrame(this);
    DisplayState& display = DisplayState::current();
    display.interactionMode = DisplayState::kModeNormal;
    display.fullScreen = false;
    display.videoShown = false;
    display.textHidden = false;

    setWindowTitle(kViewTitle);
    buildPanes();
    buildMenus();
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { onFocusChanged(now); });
    // Enter and Esc on a floating panel hand the keyboard back to the active view.
    ActiveViewFocus::setHandler([this] {
        activateWindow();
        if (QWidget* view = activeView())
            view->setFocus(Qt::OtherFocusReason);
    });
    // A projector plugged in or unplugged during the show moves it; the windows have their
    // new screens once the system's own handling is done.
    auto screensChanged = [this] {
        if (m_screensQueued)
            return;
        m_screensQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_screensQueued = false;
            reconsiderScreens();
        });
    };
    connect(qApp, &QGuiApplication::screenAdded, this, screensChanged);
    connect(qApp, &QGuiApplication::screenRemoved, this, screensChanged);
}

CMainFrame::~CMainFrame() {
    // The panes lose their focus while the base class destroys them; this frame is gone by then.
    disconnect(m_focusWatch);
    ActiveViewFocus::setHandler({});
    // The preview goes back into its pane, so it ends with the other views.
    if (m_playbackWindow) {
        if (QWidget* preview = m_playbackWindow->takeContent())
            delete m_inner->replaceWidget(1, preview);
        delete m_playbackWindow;
    }
    delete m_presenter;
    delete m_palette;
    // The topic pane may still hold the placeholder target; it goes with the panes.
    if (m_html)
        m_html->setTopicTarget(nullptr);
    Instances::unregisterFrame(this);
}

void CMainFrame::buildPanes() {
    m_outer = new QSplitter(Qt::Horizontal, this);
    m_outer->setObjectName(QStringLiteral("outerSplitter"));
    m_outer->setChildrenCollapsible(true);
    m_html = new HtmlView(m_contentFolder, m_outer);
    m_outer->addWidget(m_html);

    m_inner = new QSplitter(Qt::Vertical, m_outer);
    m_inner->setObjectName(QStringLiteral("innerSplitter"));
    m_inner->setChildrenCollapsible(true);
    m_outer->addWidget(m_inner);

    m_platePlaceholder =
        new PlaceholderPane(QStringLiteral("KovrelView"), QStringLiteral("Иллюстрации"));
    m_previewPlaceholder =
        new PlaceholderPane(QStringLiteral("PreView"), QStringLiteral("Предварительный просмотр"));
    m_inner->addWidget(m_platePlaceholder);
    m_inner->addWidget(m_previewPlaceholder);
    m_inner->addWidget(new PlaceholderPane(QStringLiteral("LessView"), QStringLiteral("Урок")));
    for (int i = 0; i < m_inner->count(); ++i)
        m_inner->widget(i)->installEventFilter(this);

    // A resized frame keeps the pane sizes in pixels: the last pane of each splitter takes
    // the whole change.
    m_outer->setStretchFactor(0, 0);
    m_outer->setStretchFactor(1, 1);
    m_inner->setStretchFactor(0, 0);
    m_inner->setStretchFactor(1, 0);
    m_inner->setStretchFactor(2, 1);

    m_placeholderTarget =
        std::make_unique<PlaceholderTopicTarget>(m_platePlaceholder, m_previewPlaceholder);
    m_html->setTopicTarget(m_placeholderTarget.get());
    connect(m_html, &HtmlView::middleButtonReleased, this, &CMainFrame::endDrags);

    setCentralWidget(m_outer);
    m_outer->installEventFilter(this);
    // A dragged splitter moves the preview and the lesson row: the panels follow.
    connect(m_outer, &QSplitter::splitterMoved, this, &CMainFrame::placePanels);
    connect(m_inner, &QSplitter::splitterMoved, this, &CMainFrame::placePanels);
}

QMenu* CMainFrame::addPopup(const QString& title) {
    return menuBar()->addMenu(title);
}

void CMainFrame::addCommand(QMenu* menu, const QString& text, int id, const QKeySequence& keys) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    if (!keys.isEmpty()) {
        // Also while the menu bar is hidden (full-screen mode): the frame holds the action.
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
}

void CMainFrame::buildMenus() {
    m_plateMenu = addPopup(QStringLiteral("Набор плакатов"));
    addCommand(m_plateMenu, QStringLiteral("Показать все из темы"), ResId::kCmdShowTopic);
    m_plateMenu->addSeparator();
    addCommand(m_plateMenu, QStringLiteral("Добавить к уроку все"), ResId::kCmdAddAllToLesson);

    m_lessonMenu = addPopup(QStringLiteral("Урок"));
    addCommand(m_lessonMenu, QStringLiteral("Начать урок"), ResId::kCmdStartLesson,
               QKeySequence(Qt::Key_F5));
    addCommand(m_lessonMenu, QStringLiteral("Продолжить урок"), ResId::kCmdContinueLesson,
               QKeySequence(Qt::SHIFT | Qt::Key_F5));
    m_screenMenu = m_lessonMenu->addMenu(QStringLiteral("Экран показа"));
    connect(m_screenMenu, &QMenu::aboutToShow, this, &CMainFrame::fillScreenMenu);
    fillScreenMenu();
    m_lessonMenu->addSeparator();
    addCommand(m_lessonMenu, QStringLiteral("Новый"), ResId::kCmdNewLesson);
    addCommand(m_lessonMenu, QStringLiteral("Открыть"), ResId::kCmdOpenLesson);
    addCommand(m_lessonMenu, QStringLiteral("Сохранить"), ResId::kCmdSaveLesson);
    m_lessonMenu->addSeparator();
    addCommand(m_lessonMenu, QStringLiteral("Редактировать"), ResId::kCmdEditLesson);

    m_helpMenu = addPopup(QStringLiteral("Описание"));
    addCommand(m_helpMenu, QStringLiteral("Помошь"), ResId::kCmdHelp, QKeySequence(Qt::Key_F1));
    m_helpMenu->addSeparator();
    addCommand(m_helpMenu, QStringLiteral("О программе"), ResId::kCmdAbout);
    updateCommandStates();
}

QWidget* CMainFrame::pane(Pane which) const {
    switch (which) {
    case Pane::Text:
        return m_html;
    case Pane::Plate:
        return m_inner->widget(0);
    case Pane::Preview:
        return m_inner->widget(1);
    case Pane::Lesson:
        return m_inner->widget(2);
    }
    return nullptr;
}

void CMainFrame::setPaneWidget(Pane which, QWidget* view) {
    if (which == Pane::Text || !view)
        return;
    const int index = which == Pane::Plate ? 0 : which == Pane::Preview ? 1 : 2;
    const QList<int> sizes = m_inner->sizes();
    view->installEventFilter(this); // the panels follow its moves and resizes
    QWidget* old = m_inner->replaceWidget(index, view);
    if (old && old != view)
        delete old; // the placeholder target watches its panes through QPointer
    m_inner->setSizes(sizes);
}

QWidget* CMainFrame::activeView() const {
    return m_activeView ? m_activeView.data() : pane(Pane::Plate);
}

void CMainFrame::setActiveView(QWidget* view) {
    m_activeView = view;
}

void CMainFrame::onFocusChanged(QWidget* now) {
    for (Pane p : {Pane::Text, Pane::Plate, Pane::Preview, Pane::Lesson}) {
        if (isInside(pane(p), now)) {
            m_activeView = pane(p);
            return;
        }
    }
}

void CMainFrame::setLessonCommands(LessonCommands* commands) {
    m_commands.lesson = commands;
    updateCommandStates();
}

void CMainFrame::setShowCommands(ShowCommands* commands) {
    m_commands.show = commands;
    updateCommandStates();
}

void CMainFrame::setPanelCommands(PanelCommands* commands) {
    m_commands.panels = commands;
}

void CMainFrame::setPlateCommands(PlateCommands* commands) {
    m_commands.plate = commands;
    updateCommandStates();
}

void CMainFrame::setCommands(const FrameCommands& commands) {
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

void CMainFrame::updateCommandStates() {
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

void CMainFrame::switchFullScreen() {
    if (m_playbackWindow) {
        leaveOtherScreen();
    } else if (frameFullScreen()) {
        leaveFullScreen();
    } else {
        m_showClock.start();
        QScreen* target = playbackScreen();
        if (target && target != screen())
            enterOtherScreen(target);
        else
            enterFullScreen();
    }
    m_screenSaver->setInhibited(isFullScreenMode());
}

QScreen* CMainFrame::playbackScreen() const {
    QSettings settings = profile();
    return playback::chooseScreen(screen(), playback::loadChoice(settings));
}

bool CMainFrame::isOnOtherScreen() const {
    return !m_playbackWindow.isNull();
}

QWidget* CMainFrame::playbackWindow() const {
    return m_playbackWindow;
}

PresenterView* CMainFrame::presenterView() const {
    return m_presenter;
}

bool CMainFrame::isShowWindow(QObject* watched) const {
    return watched && ((m_playbackWindow && watched == m_playbackWindow->windowHandle()) ||
                       (m_presenter && watched == m_presenter->windowHandle()));
}

void CMainFrame::enterOtherScreen(QScreen* target) {
    setFullScreenMode(true);
    // The preview leaves its pane for the projector's window; a stand-in keeps its place (and
    // the pane sizes), so the panes and the panels stay as they are.
    QWidget* preview = pane(Pane::Preview);
    m_innerSizes = m_inner->sizes();
    m_previewStandIn = new PlaceholderPane(QStringLiteral("PlaybackStandIn"),
                                           QStringLiteral("Предварительный просмотр"));
    m_previewStandIn->setNote(QStringLiteral("Показ идёт на другом экране. Esc — вернуться."));
    m_previewStandIn->installEventFilter(this);
    m_inner->replaceWidget(1, m_previewStandIn);
    m_inner->setSizes(m_innerSizes);

    m_playbackWindow = new PlaybackWindow(preview);
    m_playbackWindow->setWindowTitle(windowTitle());
    connect(m_playbackWindow, &PlaybackWindow::closeRequested, this, [this] {
        if (m_playbackWindow)
            QTimer::singleShot(0, this, [this] {
                if (m_playbackWindow)
                    runShowToggle();
            });
    });
    showFullScreenOn(m_playbackWindow, target);
    m_playbackWindow->windowHandle()->installEventFilter(this);

    if (auto* view = qobject_cast<PreView*>(preview)) {
        m_presenter = new PresenterView(*view, m_showClock);
        connect(m_presenter, &PresenterView::closeRequested, m_playbackWindow,
                &PlaybackWindow::closeRequested);
        showFullScreenOn(m_presenter, screen());
        m_presenter->windowHandle()->installEventFilter(this);
        // The teacher's keyboard drives the show from here.
        m_presenter->activateWindow();
        m_presenter->setFocus(Qt::OtherFocusReason);
    }
    setActiveView(preview);
    if (m_commands.panels)
        m_commands.panels->setFullScreenLayout(true);
    if (PreviewTarget* p = Instances::preview())
        p->setFullScreen(true);
    delete m_palette;
}

void CMainFrame::leaveOtherScreen() {
    setFullScreenMode(false);
    QWidget* preview = m_playbackWindow ? m_playbackWindow->takeContent() : nullptr;
    if (preview) {
        QWidget* standIn = m_inner->replaceWidget(1, preview);
        m_inner->setSizes(m_innerSizes);
        preview->show();
        if (standIn)
            standIn->deleteLater();
    }
    // A key or close in these windows may be what ended the show.
    for (QWidget* window : {static_cast<QWidget*>(m_playbackWindow.data()),
                            static_cast<QWidget*>(m_presenter.data())}) {
        if (window) {
            window->hide();
            window->deleteLater();
        }
    }
    m_playbackWindow = nullptr;
    m_presenter = nullptr;
    if (m_commands.panels)
        m_commands.panels->setFullScreenLayout(false);
    if (PreviewTarget* p = Instances::preview())
        p->setFullScreen(false);
    activateWindow();
    if (preview) {
        setActiveView(preview);
        preview->setFocus(Qt::OtherFocusReason);
    }
    placePanels();
}

void CMainFrame::reconsiderScreens() {
    if (!isFullScreenMode())
        return;
    QScreen* target = playbackScreen();
    const bool other = target && target != screen();
    if (m_playbackWindow && other) {
        if (m_playbackWindow->screen() != target)
            showFullScreenOn(m_playbackWindow, target);
        if (m_presenter && m_presenter->screen() != screen())
            showFullScreenOn(m_presenter, screen());
    } else if (m_playbackWindow) {
        // The projector is gone: the show goes on full screen here.
        leaveOtherScreen();
        enterFullScreen();
    } else if (other) {
        leaveFullScreen();
        enterOtherScreen(target);
    }
    m_screenSaver->setInhibited(isFullScreenMode());
}

void CMainFrame::runShowToggle() {
    // The preview's toggle: the layout, a new fit and fresh media windows.
    if (m_commands.show)
        m_commands.show->switchFullScreen();
    else
        switchFullScreen();
}

void CMainFrame::fillScreenMenu() {
    m_screenMenu->clear();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const QList<playback::ScreenEntry> entries = playback::entries(screens);
    QSettings settings = profile();
    const playback::ScreenChoice choice = playback::loadChoice(settings);
    auto* group = new QActionGroup(m_screenMenu);
    auto add = [&](const QString& text, int index, bool checked) {
        QAction* action = m_screenMenu->addAction(text);
        action->setCheckable(true);
        action->setChecked(checked);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] { chooseScreen(index); });
    };
    add(QStringLiteral("Автоматически"), -1, !choice.isSet());
    m_screenMenu->addSeparator();
    for (int i = 0; i < entries.size(); ++i) {
        QString text = playback::screenLabel(entries, i);
        if (screens[i] == screen())
            text += QStringLiteral(" (окно программы)");
        add(text, i, choice.isSet() && playback::choiceFor(entries, i) == choice);
    }
}

void CMainFrame::chooseScreen(int index) {
    QSettings settings = profile();
    playback::saveChoice(settings,
                         playback::choiceFor(playback::entries(QGuiApplication::screens()), index));
    reconsiderScreens();
}

void CMainFrame::enterFullScreen() {
    setFullScreenMode(true);
    m_layoutSettling = false;
    m_savedGeometry = saveGeometry(); // never empty while full screen is on
    m_savedRect = geometry();
    m_savedState = windowState() & ~Qt::WindowFullScreen;
    // Only the preview stays: the text pane, the strip and the lesson row step aside (their
    // sizes and scroll positions are kept for the return).
    for (Pane p : {Pane::Text, Pane::Plate, Pane::Lesson})
        pane(p)->hide();
    menuBar()->hide();
    QWidget* preview = pane(Pane::Preview);
    setActiveView(preview);
    preview->setFocus(Qt::OtherFocusReason);
    showFullScreen();
    // Without a window manager nobody sizes the window to the screen.
    QTimer::singleShot(300, this, [this] {
        if (frameFullScreen() && screen() && geometry() != screen()->geometry())
            setGeometry(screen()->geometry());
    });
    if (m_commands.panels)
        m_commands.panels->setFullScreenLayout(true);
    if (PreviewTarget* p = Instances::preview())
        p->setFullScreen(true);
    delete m_palette;
}

void CMainFrame::leaveFullScreen() {
    setFullScreenMode(false);
    m_savedGeometry.clear();
    menuBar()->show();
    for (Pane p : {Pane::Text, Pane::Plate, Pane::Lesson})
        pane(p)->show();
    // The window system's own state first (maximised stays maximised), then the exact
    // rectangle; without a window manager only the rectangle does anything.
    setWindowState(m_savedState);
    if (!(m_savedState & Qt::WindowMaximized))
        setGeometry(m_savedRect);
    QTimer::singleShot(300, this, [this] {
        if (!frameFullScreen() && geometry() != m_savedRect)
            setGeometry(m_savedRect);
    });
    if (m_commands.panels)
        m_commands.panels->setFullScreenLayout(false);
    if (PreviewTarget* p = Instances::preview())
        p->setFullScreen(false);
    applyNormalLayout();
    m_layoutSettling = true;
    QTimer::singleShot(1000, this, [this] { m_layoutSettling = false; });
}

void CMainFrame::applyNormalLayout() {
    applyPaneProportions();
    if (isTextHidden())
        m_outer->setSizes({0, m_clientSize.width()});
    if (m_commands.panels) {
        m_commands.panels->setTextHidden(isTextHidden());
        m_commands.panels->restoreScrollPositions();
    }
    placePanels();
}

void CMainFrame::toggleText() {
    storeClientSize();
    if (isTextHidden()) {
        const PaneProportions p = paneProportionsFor(m_clientSize);
        m_outer->setSizes(outerSplitterSizes(p, m_clientSize, m_outer->handleWidth()));
        setTextHidden(false);
    } else {
        m_outer->setSizes({0, m_clientSize.width()});
        setTextHidden(true);
    }
    if (m_commands.panels)
        m_commands.panels->setTextHidden(isTextHidden());
    // The preview re-fits itself when its pane changes size.
}

void CMainFrame::setDocumentTitle(const QString& title) {
    setWindowTitle(title);
}

void CMainFrame::setTopicTarget(TopicTarget* target) {
    m_html->setTopicTarget(target ? target : m_placeholderTarget.get());
}

void CMainFrame::storeClientSize() {
    if (centralWidget())
        m_clientSize = centralWidget()->size();
}

void CMainFrame::applyPaneProportions() {
    storeClientSize();
    const PaneProportions p = paneProportionsFor(m_clientSize);
    m_outer->setSizes(outerSplitterSizes(p, m_clientSize, m_outer->handleWidth()));
    m_inner->setSizes(innerSplitterSizes(p, m_clientSize, m_inner->handleWidth()));
}

void CMainFrame::placePanels() {
    if (m_commands.panels)
        m_commands.panels->placePanels();
    // The editing palette's bottom-left corner sits on the preview's bottom-left corner.
    if (m_palette && m_palette->isVisible()) {
        const QWidget* preview = pane(Pane::Preview);
        const QPoint topLeft = preview->mapToGlobal(QPoint(0, 0));
        m_palette->move(topLeft.x(),
                        topLeft.y() + preview->height() - m_palette->frameGeometry().height());
        m_palette->raise();
    }
}

void CMainFrame::runCommand(int id) {
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
    case ResId::kCmdEditLesson:
        toggleLessonPalette();
        break;
    case ResId::kCmdHelp:
        WindowServices::instance().showHelp(helpFilePath());
        break;
    case ResId::kCmdAbout:
        emit aboutRequested();
        break;
    default:
        break;
    }
}

void CMainFrame::showContextMenu(QWidget* view, const QPoint& viewPoint) {
    QMenu* menu = nullptr;
    if (isInside(pane(Pane::Lesson), view))
        menu = m_lessonMenu;
    else if (isInside(pane(Pane::Plate), view))
        menu = m_plateMenu;
    if (menu)
        menu->popup(view->mapToGlobal(viewPoint));
}

void CMainFrame::endDrags() {
    if (m_commands.panels)
        m_commands.panels->endDrags();
}

void CMainFrame::toggleLessonPalette() {
    // A palette closed with its own close box counts as closed.
    if (m_palette && m_palette->isVisible()) {
        delete m_palette;
        return;
    }
    delete m_palette;
    m_palette = m_commands.lesson ? m_commands.lesson->createLessonPalette() : nullptr;
    if (!m_palette)
        return;
    m_palette->show();
    // Right after a click on one of its buttons the palette is the active window: the
    // frame's keys (Ctrl+S, Ctrl+O, Ctrl+N, Esc) must work there too.
    if (QWindow* window = m_palette->windowHandle())
        window->installEventFilter(this);
    placePanels();
}

void CMainFrame::openLessonAtStart(const QString& path) {
    m_startLessonPath = path;
    if (m_commands.lesson)
        m_commands.lesson->loadLessonFile(path);
}

QString CMainFrame::helpFilePath() const {
    return helpFileFor(m_contentFolder);
}

int CMainFrame::interactionMode() const {
    return DisplayState::current().interactionMode;
}
void CMainFrame::setInteractionMode(int mode) {
    DisplayState::current().interactionMode = mode;
}
bool CMainFrame::isFullScreenMode() const {
    return DisplayState::current().fullScreen;
}
void CMainFrame::setFullScreenMode(bool on) {
    DisplayState::current().fullScreen = on;
}
bool CMainFrame::isVideoShown() const {
    return DisplayState::current().videoShown;
}
void CMainFrame::setVideoShown(bool shown) {
    DisplayState::current().videoShown = shown;
}
bool CMainFrame::isTextHidden() const {
    return DisplayState::current().textHidden;
}
void CMainFrame::setTextHidden(bool hidden) {
    DisplayState::current().textHidden = hidden;
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    storeClientSize();
    if (m_startupLayout)
        applyPaneProportions();
    placePanels();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    placePanels();
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (QWindow* window = windowHandle(); window && !m_windowWatched) {
        // Keys reach the window before any pane, as the frame's rules require.
        window->installEventFilter(this);
        m_windowWatched = true;
    }
    if (QWindow* window = windowHandle(); window && !m_screenWatch) {
        // The limit follows the screen the window is on now: a projector plugged in later or
        // a changed resolution must not leave the window unable to fill its screen.
        m_screenWatch = connect(window, &QWindow::screenChanged, this, [this](QScreen* s) {
            updateSizeLimit();
            if (s)
                connect(s, &QScreen::geometryChanged, this, &CMainFrame::updateSizeLimit,
                        Qt::UniqueConnection);
        });
        if (QScreen* s = window->screen())
            connect(s, &QScreen::geometryChanged, this, &CMainFrame::updateSizeLimit,
                    Qt::UniqueConnection);
    }
    updateSizeLimit();
}

void CMainFrame::updateSizeLimit() {
    if (const QScreen* s = screen())
        setMaximumSize(frameSizeLimit(s->size()));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_commands.lesson && !m_commands.lesson->mayCloseLesson()) {
        event->ignore();
        return;
    }
    delete m_palette;
    event->accept();
    QMainWindow::closeEvent(event);
    emit closed();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_outer && event->type() == QEvent::Resize && m_layoutSettling) {
        // After the base class's handling the splitter has its new size.
        const bool result = QMainWindow::eventFilter(watched, event);
        QTimer::singleShot(0, this, [this] {
            if (m_layoutSettling && !frameFullScreen())
                applyNormalLayout();
        });
        return result;
    }
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && watched != m_outer &&
        watched->isWidgetType() && m_inner->indexOf(static_cast<QWidget*>(watched)) >= 0 &&
        !m_placementQueued) {
        // Once the layout has settled, after every move or resize of a pane.
        m_placementQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_placementQueued = false;
            placePanels();
        });
    }
    if (isShowWindow(watched) &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        // The show's windows have no keys of their own: the frame's rules apply.
        onWindowKey(event);
        return true;
    }
    if (m_palette && watched == m_palette->windowHandle() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        onWindowKey(event))
        return true;
    if (watched == windowHandle()) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            m_startupLayout = false;
            if (onWindowKey(event))
                return true;
            break;
        case QEvent::MouseButtonPress:
            m_startupLayout = false;
            break;
        case QEvent::Expose:
            if (m_startupLayout && windowHandle()->isExposed())
                QTimer::singleShot(0, this, [this] { m_startupLayout = false; });
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::onWindowKey(QEvent* event) {
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
    if (isFullScreenMode() && m_commands.show &&
        m_commands.show->playbackKey(key->key(), key->modifiers()))
        return true;
    switch (m_keys.keyDown(key->key())) {
    case ControlKeyRule::Effect::None:
        break;
    case ControlKeyRule::Effect::ToggleFullScreen:
        runShowToggle();
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
