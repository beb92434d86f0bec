#pragma once

#include <QString>

class QWidget;

// The operations the main frame routes to the views, the preview and the panels: menu
// commands, keys, start-up and closing. Every operation does nothing by default, so the frame
// runs before the views exist; the application replaces this with an adapter over the real
// views. Ownership stays with the caller of CMainFrame::setPaneActions.
class PaneActions {
public:
    virtual ~PaneActions() = default;

    // Plate strip.
    virtual void addAllToLesson() {}
    // Preview and playback.
    virtual void startTopicShow() {}
    virtual void startLesson() {}
    virtual void continueLesson() {}
    virtual void switchFullScreen() {}
    // Lesson row.
    virtual void newLesson() {}
    virtual void openLesson() {}
    virtual void relayoutLesson() {} // fit and scroll sizes after the menu's "Открыть"
    virtual void saveLessonFile() {}
    virtual void loadLessonFile(const QString& path) { (void)path; }
    // true: the main window may close (the lesson may ask to be saved first).
    virtual bool mayCloseLesson() { return true; }
    // Ends any pointer drag in progress in the preview and the lesson row.
    virtual void endDrags() {}
    // Floating panels: created once at start-up, placed beside the panes.
    virtual void createPanels() {}
    virtual void placePanels() {}
    // The lesson editing palette: a new top-level window (no parent) or nullptr when there is
    // none. The frame owns what it gets.
    virtual QWidget* createLessonPalette() { return nullptr; }
};
