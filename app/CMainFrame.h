#pragma once

#include "ControlKeyRule.h"
#include "FrameCommands.h"
#include "FrameControl.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class HtmlView;
class PlaceholderPane;
class PlaceholderTopicTarget;
class QMenu;
class QSplitter;
class TopicTarget;

// The main window: four panes in two splitters (topic text | plate strip / preview / lesson
// row), menu 128, the frame's own keys, context menus, help, and the frame state the views
// and panels read. Exists once; registered as Instances::frame() while it lives.
class CMainFrame : public QMainWindow, public FrameControl {
    Q_OBJECT
public:
    enum class Pane { Text, Plate, Preview, Lesson };

    // contentFolder: see sourceFolder(); given explicitly so tests can use their own.
    explicit CMainFrame(const QString& contentFolder, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- Panes
    HtmlView* htmlView() const { return m_html; }
    QWidget* pane(Pane which) const;
    // Puts a view in place of the plate, preview or lesson placeholder; the frame owns it.
    void setPaneWidget(Pane which, QWidget* view);
    QSplitter* outerSplitter() const { return m_outer; }
    QSplitter* innerSplitter() const { return m_inner; }
    // The pane that last held the keyboard focus (the plate strip until one did).
    QWidget* activeView() const;
    void setActiveView(QWidget* view);

    // Where the menu commands, keys and panel requests go, one interface per collaborator
    // (not owned). A group that is not set has its menu items disabled and its keys do
    // nothing. Topic links go to the target; null restores the placeholders' own.
    void setLessonCommands(LessonCommands* commands);
    void setShowCommands(ShowCommands* commands);
    void setPanelCommands(PanelCommands* commands);
    void setPlateCommands(PlateCommands* commands);
    // Sets every group that commands names; the others stay as they are.
    void setCommands(const FrameCommands& commands);
    const FrameCommands& commands() const { return m_commands; }
    void setTopicTarget(TopicTarget* target);

    // --- Layout
    // The client size the frame last received; the pane proportions are computed from it.
    QSize clientSize() const { return m_clientSize; }
    void applyPaneProportions() override;
    // Places the floating panels and the editing palette beside the panes.
    void placePanels() override;
    // Enters or leaves full-screen mode: the preview alone on the whole screen (the window
    // system's full-screen state, no menu bar), the other panes out of the way, the panels
    // swapped, the palette closed; leaving restores the window's former geometry and state,
    // the pane proportions, the text pane's state and the views' scroll positions.
    void switchFullScreen() override;
    // The panels' text button: the topic text pane collapsed or at its proportional width.
    void toggleText();
    // The window's geometry as it was when full-screen mode was entered; empty outside it.
    QByteArray savedGeometry() const { return m_savedGeometry; }
    QRect savedRect() const { return m_savedRect; }
    QString contentFolder() const { return m_contentFolder; }
    // The main window's text.
    void setDocumentTitle(const QString& title) override;

    // --- Commands
    QMenu* plateMenu() const { return m_plateMenu; }
    QMenu* lessonMenu() const { return m_lessonMenu; }
    QMenu* helpMenu() const { return m_helpMenu; }
    void runCommand(int id);
    // The "Набор плакатов" popup over the plate strip, "Урок" over the lesson row, opened at a
    // point in the clicked view's own coordinates.
    void showContextMenu(QWidget* view, const QPoint& viewPoint);
    void endDrags() override;
    void toggleLessonPalette();
    QWidget* lessonPalette() const { return m_palette; }
    // A lesson file named on the command line.
    void openLessonAtStart(const QString& path);
    QString startLessonPath() const { return m_startLessonPath; }
    QString helpFilePath() const;

    // --- State the views and panels read
    int interactionMode() const;
    void setInteractionMode(int mode);
    bool isFullScreenMode() const;
    void setFullScreenMode(bool on);
    bool isVideoShown() const;
    void setVideoShown(bool shown);
    bool isTextHidden() const;
    void setTextHidden(bool hidden);

signals:
    void aboutRequested();
    // The window has closed (the lesson agreed); the process should end.
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPanes();
    void buildMenus();
    QMenu* addPopup(const QString& title);
    void updateCommandStates();
    void addCommand(QMenu* menu, const QString& text, int id, const QKeySequence& keys = {});
    void storeClientSize();
    // true: the key was taken (playback keys in full-screen mode).
    bool onWindowKey(QEvent* event);
    void enterFullScreen();
    void leaveFullScreen();
    void applyNormalLayout();
    void updateSizeLimit();
    void onFocusChanged(QWidget* now);

    QString m_contentFolder;
    QSplitter* m_outer = nullptr;
    QSplitter* m_inner = nullptr;
    HtmlView* m_html = nullptr;
    PlaceholderPane* m_platePlaceholder = nullptr;
    PlaceholderPane* m_previewPlaceholder = nullptr;
    std::unique_ptr<PlaceholderTopicTarget> m_placeholderTarget;
    FrameCommands m_commands;
    QPointer<QWidget> m_activeView;
    QMetaObject::Connection m_focusWatch;

    QMenu* m_plateMenu = nullptr;
    QMenu* m_lessonMenu = nullptr;
    QMenu* m_helpMenu = nullptr;

    QSize m_clientSize;
    QPointer<QWidget> m_palette;
    ControlKeyRule m_keys;
    QString m_startLessonPath;
    // Until the window first appears (maximised by the window manager), each resize
    // re-proportions the panes; afterwards resizing keeps their pixel sizes.
    bool m_startupLayout = true;
    bool m_windowWatched = false;
    QByteArray m_savedGeometry;
    QRect m_savedRect;
    Qt::WindowStates m_savedState;
    // After leaving full screen the window system resizes the window later: until the layout
    // settles, every resize re-applies the normal layout.
    bool m_layoutSettling = false;
    bool m_placementQueued = false;
    QMetaObject::Connection m_screenWatch;
};
