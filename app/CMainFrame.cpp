#include "CMainFrame.h"

#include "ActiveViewFocus.h"
#include "DisplayState.h"
#include "FrameCommandRouter.h"
#include "HtmlView.h"
#include "Instances.h"
#include "PaneLayout.h"
#include "PlaceholderPane.h"
#include "PlaceholderTopicTarget.h"
#include "ProjectorShow.h"
#include "ScreenSaverInhibitor.h"
#include "ScreenSizeLimit.h"
#include "SourceFolder.h"
#include "TextPaneStandIn.h"
#include "WindowFullScreen.h"
#include "WindowServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QWindow>

namespace {

bool isInside(const QWidget* pane, const QWidget* w) {
    return pane && w && (pane == w || pane->isAncestorOf(w));
}

} // namespace

CMainFrame::CMainFrame(const QString& contentFolder, QWidget* parent)
    : QMainWindow(parent), m_contentFolder(contentFolder),
      m_screenSaver(std::make_unique<ScreenSaverInhibitor>()) {
    m_sizeLimit = new ScreenSizeLimit(*this);
    Instances::registerFrame(this);
    DisplayState& display = DisplayState::current();
    display.interactionMode = DisplayState::kModeNormal;
    display.fullScreen = false;
    display.videoShown = false;
    display.textHidden = false;

    setWindowTitle(kViewTitle);
    buildPanes();
    m_fullScreen = new WindowFullScreen(*this);
    connect(m_fullScreen, &WindowFullScreen::normalLayoutWanted, this,
            &CMainFrame::applyNormalLayout);
    m_show = std::make_unique<ProjectorShow>(*this, *m_inner, 1);
    connect(m_show.get(), &ProjectorShow::keyArrived, this, &CMainFrame::onWindowKey);
    connect(m_show.get(), &ProjectorShow::endRequested, this, &CMainFrame::toggleFullScreen);
    connect(m_show.get(), &ProjectorShow::placeChanged, this, &CMainFrame::reconsiderScreens);
    m_router = new FrameCommandRouter(*this, m_show->menu(), helpFileFor(m_contentFolder));
    connect(m_router, &FrameCommandRouter::paletteToggleRequested, this,
            &CMainFrame::toggleLessonPalette);
    connect(m_router, &FrameCommandRouter::showToggleRequested, this,
            &CMainFrame::toggleFullScreen);
    connect(m_router, &FrameCommandRouter::aboutRequested, this, &CMainFrame::aboutRequested);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { onFocusChanged(now); });
    // Enter and Esc on a floating panel hand the keyboard back to the active view.
    ActiveViewFocus::setHandler([this] {
        activateWindow();
        if (QWidget* view = activeView())
            view->setFocus(Qt::OtherFocusReason);
    });
}

CMainFrame::~CMainFrame() {
    // The panes lose their focus while the base class destroys them; this frame is gone by then.
    disconnect(m_focusWatch);
    ActiveViewFocus::setHandler({});
    m_show.reset();
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
    // Blank, the colour of the start page, until the topic text view is made.
    m_outer->addWidget(TextPaneStandIn::create(m_outer));

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

    setCentralWidget(m_outer);
    // A dragged splitter moves the preview and the lesson row: the panels follow.
    connect(m_outer, &QSplitter::splitterMoved, this, &CMainFrame::placePanels);
    connect(m_inner, &QSplitter::splitterMoved, this, &CMainFrame::placePanels);
}

HtmlView* CMainFrame::htmlView() {
    if (m_html)
        return m_html;
    m_html = new HtmlView(m_contentFolder);
    m_html->setTopicTarget(m_topicTarget ? m_topicTarget : m_placeholderTarget.get());
    connect(m_html, &HtmlView::middleButtonReleased, this, &CMainFrame::endDrags);
    // Takes the stand-in's place, size and visibility (hidden in full-screen mode).
    const QList<int> sizes = m_outer->sizes();
    delete m_outer->replaceWidget(0, m_html);
    m_outer->setSizes(sizes);
    m_html->initialUpdate();
    emit htmlViewMade(m_html);
    return m_html;
}

void CMainFrame::makeHtmlViewSoon() {
    if (m_html || m_htmlViewQueued)
        return;
    m_htmlViewQueued = true;
    // After this turn of the event loop: the window's first paint reaches the screen first.
    QTimer::singleShot(0, this, [this] { htmlView(); });
}

QWidget* CMainFrame::pane(Pane which) const {
    switch (which) {
    case Pane::Text:
        return m_outer->widget(0);
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

void CMainFrame::toggleFullScreen() {
    if (m_show->isOn()) {
        leaveOtherScreen();
    } else if (m_fullScreen->isOn()) {
        leaveFullScreen();
    } else {
        m_show->startClock();
        QScreen* target = m_show->target();
        if (target && target != screen())
            enterOtherScreen(target);
        else
            enterFullScreen();
    }
    m_screenSaver->setInhibited(isFullScreenMode());
    emit fullScreenChanged(isFullScreenMode());
}

void CMainFrame::enterOtherScreen(QScreen* target) {
    setFullScreenMode(true);
    QWidget* preview = pane(Pane::Preview);
    m_show->start(target);
    setActiveView(preview);
    setShowLayout(true);
}

void CMainFrame::leaveOtherScreen() {
    setFullScreenMode(false);
    QWidget* preview = m_show->stop();
    setShowLayout(false);
    activateWindow();
    if (preview) {
        setActiveView(preview);
        preview->setFocus(Qt::OtherFocusReason);
    }
    placePanels();
}

void CMainFrame::setShowLayout(bool on) {
    if (commands().panels)
        commands().panels->setFullScreenLayout(on);
    if (on)
        delete m_palette;
}

void CMainFrame::reconsiderScreens() {
    if (!isFullScreenMode())
        return;
    QScreen* target = m_show->target();
    const bool other = target && target != screen();
    if (m_show->isOn() && other) {
        m_show->follow(target);
    } else if (m_show->isOn()) {
        // The projector is gone: the show goes on full screen here.
        leaveOtherScreen();
        enterFullScreen();
    } else if (other) {
        leaveFullScreen();
        enterOtherScreen(target);
    }
    m_screenSaver->setInhibited(isFullScreenMode());
}

void CMainFrame::enterFullScreen() {
    setFullScreenMode(true);
    m_fullScreen->enter({pane(Pane::Text), pane(Pane::Plate), pane(Pane::Lesson)});
    QWidget* preview = pane(Pane::Preview);
    setActiveView(preview);
    preview->setFocus(Qt::OtherFocusReason);
    setShowLayout(true);
}

void CMainFrame::leaveFullScreen() {
    setFullScreenMode(false);
    m_fullScreen->leave({pane(Pane::Text), pane(Pane::Plate), pane(Pane::Lesson)});
    setShowLayout(false);
    applyNormalLayout();
}

void CMainFrame::applyNormalLayout() {
    applyPaneProportions();
    if (isTextHidden())
        m_outer->setSizes({0, m_clientSize.width()});
    if (commands().panels) {
        commands().panels->setTextHidden(isTextHidden());
        commands().panels->restoreScrollPositions();
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
    if (commands().panels)
        commands().panels->setTextHidden(isTextHidden());
    // The preview re-fits itself when its pane changes size.
}

void CMainFrame::setDocumentTitle(const QString& title) {
    setWindowTitle(title);
}

void CMainFrame::setTopicTarget(TopicTarget* target) {
    m_topicTarget = target;
    if (m_html)
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
    if (m_placementQueued)
        return;
    m_placementQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_placementQueued = false;
        placePanelsNow();
    });
}

void CMainFrame::placePanelsNow() {
    if (commands().panels)
        commands().panels->placePanels();
    if (m_palette && m_palette->isVisible()) {
        placePalette();
        m_palette->raise();
    }
}

void CMainFrame::placePalette() {
    // The editing palette's bottom-left corner sits on the preview's bottom-left corner.
    const QWidget* preview = pane(Pane::Preview);
    const QPoint topLeft = preview->mapToGlobal(QPoint(0, 0));
    int height = m_palette->frameGeometry().height();
    // Not shown yet, its frame is not known: the main window's title bar stands in for its own.
    if (!m_palette->isVisible())
        height += geometry().top() - frameGeometry().top();
    m_palette->move(topLeft.x(), topLeft.y() + preview->height() - height);
}

void CMainFrame::showContextMenu(QWidget* view, const QPoint& viewPoint) {
    QMenu* menu = nullptr;
    if (isInside(pane(Pane::Lesson), view))
        menu = lessonMenu();
    else if (isInside(pane(Pane::Plate), view))
        menu = plateMenu();
    if (menu)
        menu->popup(view->mapToGlobal(viewPoint));
}

void CMainFrame::endDrags() {
    if (commands().panels)
        commands().panels->endDrags();
}

void CMainFrame::toggleLessonPalette() {
    // A palette closed with its own close box counts as closed.
    if (m_palette && m_palette->isVisible()) {
        delete m_palette;
        return;
    }
    delete m_palette;
    m_palette = commands().lesson ? commands().lesson->createLessonPalette() : nullptr;
    if (!m_palette)
        return;
    // Placed before it shows as well: some window managers (XWayland's beside weston) keep a
    // window where it first appeared and ignore later moves.
    placePalette();
    m_palette->show();
    // Right after a click on one of its buttons the palette is the active window: the
    // frame's keys (Ctrl+S, Ctrl+O, Ctrl+N, Esc) must work there too.
    if (QWindow* window = m_palette->windowHandle())
        window->installEventFilter(this);
    placePanels();
}

void CMainFrame::openLessonAtStart(const QString& path) {
    m_startLessonPath = path;
    if (commands().lesson)
        commands().lesson->loadLessonFile(path);
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
    m_sizeLimit->watch();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (commands().lesson && !commands().lesson->mayCloseLesson()) {
        event->ignore();
        return;
    }
    delete m_palette;
    event->accept();
    QMainWindow::closeEvent(event);
    emit closed();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        watched->isWidgetType() && m_inner->indexOf(static_cast<QWidget*>(watched)) >= 0)
        placePanels();
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
            if (windowHandle()->isExposed())
                makeHtmlViewSoon();
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::onWindowKey(QEvent* event) {
    return m_router->onKey(event, isFullScreenMode());
}
