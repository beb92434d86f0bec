#pragma once

#include <QString>

class QWidget;

// The frame's lesson commands (menu "Урок", Ctrl+N/O/S, closing, a lesson named at start-up),
// carried out by the lesson row. Until one is set the frame disables these menu items.
class LessonCommands {
public:
    virtual ~LessonCommands() = default;

    virtual void newLesson() = 0;
    virtual void openLesson() = 0;
    virtual void relayoutLesson() = 0; // fit and scroll sizes after the menu's "Открыть"
    virtual void saveLessonFile() = 0;
    virtual void loadLessonFile(const QString& path) = 0;
    // true: the main window may close (the lesson may ask to be saved first).
    virtual bool mayCloseLesson() = 0;
    // Handouts: the print dialog, or the choice of pictures per page and the save dialog.
    virtual void printLesson() = 0;
    virtual void saveLessonPdf() = 0;
    // The lesson editing palette: a new top-level window (no parent) or nullptr. The frame
    // owns what it gets.
    virtual QWidget* createLessonPalette() = 0;
};
