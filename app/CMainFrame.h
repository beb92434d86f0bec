#pragma once

#include "DisplayState.h"
#include "FrameCommandRouter.h"
#include "FrameControl.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class HtmlView;
class PlaceholderPane;
class PlaceholderTopicTarget;
class ProjectorShow;
class QMenu;
class QScreen;
class QSplitter;
class ScreenSaverInhibitor;
class ScreenSizeLimit;
class TopicTarget;
class WindowFullScreen;

// The main window: four panes in two splitters (topic text | plate strip / preview / lesson
// row), context menus, the palette's life, full-screen mode on this screen or the projector,
// and the frame state the views and panels read. Menu 128 and the frame's keys are routed by
// FrameCommandRouter. Exists once; registered as Instances::frame() while it lives.
class CMainFrame : public QMainWindow, public FrameControl {
    Q_OBJECT
public:
    enum class Pane { Text, Plate, Preview, Lesson };

    // contentFolder: see sourceFolder(); given explicitly so tests can use their own.
    explicit CMainFrame(const QString& contentFolder, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- Panes
    // The topic text pane. The browser engine is slow to start, so the window first shows a
    // blank stand-in there and the view is made once the window has been painted; asking for
    // it earlier makes it now. Either way it then loads the start page.
    HtmlView* htmlView();
    bool hasHtmlView() const { return m_html != nullptr; }
    QWidget* pane(Pane which) const;
    // Puts a view in place of the plate, preview or lesson placeholder; the frame owns it.
    void setPaneWidget(Pane which, QWidget* view);
    QSplitter* outerSplitter() const { return m_outer; }
    QSplitter* innerSplitter() const { return m_inner; }
    // Where the menu commands, keys and panel requests go, one interface per collaborator
    // (not owned). A group that is not set has its menu items disabled and its keys do
    // nothing; setCommands sets the groups it names and keeps the others. Topic links go to
    // the target; null restores the placeholders' own.
    void setCommands(const FrameCommands& commands) { m_router->setCommands(commands); }
    const FrameCommands& commands() const { return m_router->commands(); }
    void setTopicTarget(TopicTarget* target);

    // --- Layout
    // The client size the frame last received; the pane proportions are computed from it.
    QSize clientSize() const { return m_clientSize; }
    void applyPaneProportions();
    // Asks for the floating panels and the editing palette to be placed beside the panes
    // again; they are, once, when the layout has settled (the next turn of the event loop).
    // Every move or resize of the window, a pane or a splitter asks for it.
    void placePanels();
    // Enters or leaves full-screen mode: the preview alone on the whole screen (the window
    // system's full-screen state, no menu bar), the other panes out of the way, the panels
    // swapped, the palette closed; leaving restores the window's former geometry and state,
    // the pane proportions, the text pane's state and the views' scroll positions.
    // With two or more screens the preview goes to the projector instead (see ProjectorShow)
    // and this window stays as it is, the presenter view over it. fullScreenChanged follows.
    void toggleFullScreen() override;
    ProjectorShow& projectorShow() const { return *m_show; }
    ScreenSaverInhibitor& screenSaver() const { return *m_screenSaver; }
    // The panels' text button: the topic text pane collapsed or at its proportional width.
    void toggleText();
    QString contentFolder() const { return m_contentFolder; }
    // The main window's text.
    void setDocumentTitle(const QString& title) override;

    // --- Commands
    QMenu* plateMenu() const { return m_router->plateMenu(); }
    QMenu* lessonMenu() const { return m_router->lessonMenu(); }
    QMenu* helpMenu() const { return m_router->helpMenu(); }
    void runCommand(int id) { m_router->runCommand(id); }
    // The "Набор плакатов" popup over the plate strip, "Урок" over the lesson row, opened at a
    // point in the clicked view's own coordinates.
    void showContextMenu(QWidget* view, const QPoint& viewPoint);
    // Ends any pointer drag in the preview and the lesson row (a view lost the focus).
    void endDrags();
    void toggleLessonPalette();
    QWidget* lessonPalette() const { return m_palette; }
    // A lesson file named on the command line.
    void openLessonAtStart(const QString& path);
    QString startLessonPath() const { return m_startLessonPath; }

    // --- State the views and panels read
    bool isFullScreenMode() const { return DisplayState::current().fullScreen; }

signals:
    void aboutRequested();
    // The topic text pane's view has been made and is loading the start page.
    void htmlViewMade(HtmlView* view);
    // The window has closed (the lesson agreed); the process should end.
    void closed();
    // Full-screen mode came (true) or went; DisplayState::fullScreen holds it.
    void fullScreenChanged(bool on);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPanes();
    void makeHtmlViewSoon();
    void storeClientSize();
    // true: the key was taken (playback keys in full-screen mode).
    bool onWindowKey(QEvent* event);
    void enterFullScreen();
    void leaveFullScreen();
    void enterOtherScreen(QScreen* target);
    void leaveOtherScreen();
    // The panels, the preview and the palette for the show (on) or the normal layout.
    void setShowLayout(bool on);
    // Screens came or went, or the choice changed: the show moves where it belongs now.
    void reconsiderScreens();
    void applyNormalLayout();
    void onFocusChanged(QWidget* now);
    // The pane that last held the keyboard focus (the plate strip until one did).
    QWidget* activeView() const;
    void setActiveView(QWidget* view);
    void placePanelsNow();
    void placePalette();
    void setFullScreenMode(bool on) { DisplayState::current().fullScreen = on; }
    bool isTextHidden() const { return DisplayState::current().textHidden; }
    void setTextHidden(bool hidden) { DisplayState::current().textHidden = hidden; }

    QString m_contentFolder;
    QSplitter* m_outer = nullptr;
    QSplitter* m_inner = nullptr;
    HtmlView* m_html = nullptr; // null until made (see htmlView())
    TopicTarget* m_topicTarget = nullptr;
    bool m_htmlViewQueued = false;
    PlaceholderPane* m_platePlaceholder = nullptr;
    PlaceholderPane* m_previewPlaceholder = nullptr;
    std::unique_ptr<PlaceholderTopicTarget> m_placeholderTarget;
    QPointer<QWidget> m_activeView;
    QMetaObject::Connection m_focusWatch;

    FrameCommandRouter* m_router = nullptr;
    QSize m_clientSize;
    QPointer<QWidget> m_palette;
    QString m_startLessonPath;
    // Until the window first appears (maximised by the window manager), each resize
    // re-proportions the panes; afterwards resizing keeps their pixel sizes.
    bool m_startupLayout = true;
    bool m_windowWatched = false;
    WindowFullScreen* m_fullScreen = nullptr;
    bool m_placementQueued = false;
    ScreenSizeLimit* m_sizeLimit = nullptr;
    std::unique_ptr<ProjectorShow> m_show;
    std::unique_ptr<ScreenSaverInhibitor> m_screenSaver;
};
