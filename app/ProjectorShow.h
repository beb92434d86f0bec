#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>

class PlaceholderPane;
class PlaybackWindow;
class PresenterView;
class QEvent;
class QMenu;
class QScreen;
class QSplitter;
class QWidget;

// Playback on another screen than the main window's (a projector): the preview is lent to a
// full-screen window there while a stand-in keeps its place in the panes, and the presenter
// view covers the main window. Also the "Экран показа" menu with the choice it keeps in the
// profile, the rule that picks the screen, and the screens coming and going.
class ProjectorShow : public QObject {
    Q_OBJECT
public:
    // window: the main window; panes: the splitter holding the preview at previewIndex.
    ProjectorShow(QWidget& window, QSplitter& panes, int previewIndex);
    // The preview goes back into its pane, so it ends with the other views.
    ~ProjectorShow() override;

    // "Экран показа", rebuilt from the screens there are each time it opens.
    QMenu* menu() const { return m_menu; }
    // -1: the rule decides. Kept in the profile; emits placeChanged().
    void chooseScreen(int index);
    // The screen full-screen showing goes to while the main window is where it is now.
    QScreen* target() const;
    bool isOn() const { return !m_window.isNull(); }
    QWidget* playbackWindow() const;
    PresenterView* presenterView() const;

    // A show begins (on this screen or another): the presenter's clock starts.
    void startClock() { m_clock.start(); }
    // Lends the preview to a full-screen window on target and opens the presenter view.
    void start(QScreen* target);
    // Gives the preview back to its pane and closes both windows; returns the preview.
    QWidget* stop();
    // The show is on and target is still another screen: the windows follow their screens.
    void follow(QScreen* target);

signals:
    // A key in one of the show's windows; they have no keys of their own.
    void keyArrived(QEvent* event);
    // The window system closed a show window: the show should end.
    void endRequested();
    // Screens came or went, or the choice changed: the show may belong elsewhere now.
    void placeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillMenu();

    QWidget& m_main;
    QSplitter& m_panes;
    const int m_previewIndex;
    QMenu* m_menu = nullptr;
    QPointer<PlaybackWindow> m_window;
    QPointer<PresenterView> m_presenter;
    QList<int> m_paneSizes;
    QElapsedTimer m_clock;
    bool m_screensQueued = false;
};
