#include "ProjectorShow.h"

#include "ActiveViewFocus.h"
#include "PlaceholderPane.h"
#include "PlaybackScreen.h"
#include "PlaybackWindow.h"
#include "PreView.h"
#include "PresenterView.h"

#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QWindow>

namespace {

// The program's profile, as the application keeps it.
QSettings profile() {
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"),
                     QStringLiteral("TrevalonMedia"));
}

} // namespace

ProjectorShow::ProjectorShow(QWidget& window, QSplitter& panes, int previewIndex)
    : m_main(window), m_panes(panes), m_previewIndex(previewIndex) {
    m_menu = new QMenu(QStringLiteral("Экран показа"), &window);
    connect(m_menu, &QMenu::aboutToShow, this, &ProjectorShow::fillMenu);
    fillMenu();
    // A projector plugged in or unplugged during the show moves it; the windows have their
    // new screens once the system's own handling is done.
    auto screensChanged = [this] {
        if (m_screensQueued)
            return;
        m_screensQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_screensQueued = false;
            emit placeChanged();
        });
    };
    connect(qApp, &QGuiApplication::screenAdded, this, screensChanged);
    connect(qApp, &QGuiApplication::screenRemoved, this, screensChanged);
}

ProjectorShow::~ProjectorShow() {
    if (m_window) {
        if (QWidget* preview = m_window->takeContent())
            delete m_panes.replaceWidget(m_previewIndex, preview);
        delete m_window;
    }
    delete m_presenter;
}

QScreen* ProjectorShow::target() const {
    QSettings settings = profile();
    return playback::chooseScreen(m_main.screen(), playback::loadChoice(settings));
}

QWidget* ProjectorShow::playbackWindow() const {
    return m_window;
}

PresenterView* ProjectorShow::presenterView() const {
    return m_presenter;
}

void ProjectorShow::start(QScreen* target) {
    // The preview leaves its pane for the projector's window; a stand-in keeps its place (and
    // the pane sizes), so the panes and the panels stay as they are.
    QWidget* preview = m_panes.widget(m_previewIndex);
    m_paneSizes = m_panes.sizes();
    auto* standIn = new PlaceholderPane(QStringLiteral("PlaybackStandIn"),
                                        QStringLiteral("Предварительный просмотр"));
    standIn->setNote(QStringLiteral("Показ идёт на другом экране. Esc — вернуться."));
    // The main window places its panels after every move or resize of a pane.
    standIn->installEventFilter(&m_main);
    m_panes.replaceWidget(m_previewIndex, standIn);
    m_panes.setSizes(m_paneSizes);

    m_window = new PlaybackWindow(preview);
    m_window->setWindowTitle(m_main.windowTitle());
    connect(m_window, &PlaybackWindow::closeRequested, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (m_window)
                emit endRequested();
        });
    });
    showFullScreenOn(m_window, target);
    m_window->windowHandle()->installEventFilter(this);

    if (auto* view = qobject_cast<PreView*>(preview)) {
        m_presenter = new PresenterView(*view, m_clock);
        connect(m_presenter, &PresenterView::closeRequested, m_window,
                &PlaybackWindow::closeRequested);
        showFullScreenOn(m_presenter, m_main.screen());
        m_presenter->windowHandle()->installEventFilter(this);
        // The teacher's keyboard drives the show from here.
        m_presenter->activateWindow();
        m_presenter->setFocus(Qt::OtherFocusReason);
    }
}

QWidget* ProjectorShow::stop() {
    QWidget* preview = m_window ? m_window->takeContent() : nullptr;
    if (preview) {
        QWidget* standIn = m_panes.replaceWidget(m_previewIndex, preview);
        m_panes.setSizes(m_paneSizes);
        preview->show();
        if (standIn)
            standIn->deleteLater();
    }
    // A key or close in these windows may be what ended the show.
    for (QWidget* window :
         {static_cast<QWidget*>(m_window.data()), static_cast<QWidget*>(m_presenter.data())}) {
        if (window) {
            window->hide();
            window->deleteLater();
        }
    }
    m_window = nullptr;
    m_presenter = nullptr;
    return preview;
}

void ProjectorShow::follow(QScreen* target) {
    if (m_window && m_window->screen() != target)
        showFullScreenOn(m_window, target);
    if (m_presenter && m_presenter->screen() != m_main.screen())
        showFullScreenOn(m_presenter, m_main.screen());
}

bool ProjectorShow::eventFilter(QObject* watched, QEvent* event) {
    const bool showWindow = (m_window && watched == m_window->windowHandle()) ||
                            (m_presenter && watched == m_presenter->windowHandle());
    // A floating window there (the overview on the presenter view) takes its own keys.
    if (showWindow && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        !ActiveViewFocus::isInsideFloating(QApplication::focusWidget())) {
        emit keyArrived(event);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ProjectorShow::fillMenu() {
    m_menu->clear();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const QList<playback::ScreenEntry> entries = playback::entries(screens);
    QSettings settings = profile();
    const playback::ScreenChoice choice = playback::loadChoice(settings);
    auto* group = new QActionGroup(m_menu);
    auto add = [&](const QString& text, int index, bool checked) {
        QAction* action = m_menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(checked);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] { chooseScreen(index); });
    };
    add(QStringLiteral("Автоматически"), -1, !choice.isSet());
    m_menu->addSeparator();
    for (int i = 0; i < entries.size(); ++i) {
        QString text = playback::screenLabel(entries, i);
        if (screens[i] == m_main.screen())
            text += QStringLiteral(" (окно программы)");
        add(text, i, choice.isSet() && playback::choiceFor(entries, i) == choice);
    }
}

void ProjectorShow::chooseScreen(int index) {
    QSettings settings = profile();
    playback::saveChoice(settings,
                         playback::choiceFor(playback::entries(QGuiApplication::screens()), index));
    emit placeChanged();
}
