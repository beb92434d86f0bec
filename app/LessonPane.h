#pragma once

#include "LessView.h"
#include "LessonCommands.h"

#include <QObject>
#include <QPointer>

class CMainFrame;
class HandoutCommands;

// The lesson row in the frame's bottom pane, and the route from the frame's lesson commands
// (menu "Урок", Ctrl+N/O/S, closing, a lesson named at start-up, the palette) to it.
class LessonPane : public QObject, public LessonCommands {
    Q_OBJECT
public:
    explicit LessonPane(QObject* parent = nullptr);

    // Puts the lesson row into the frame's lesson pane, connects it and sets this as the
    // frame's lesson commands; call once.
    void install(CMainFrame& frame);

    LessView* lessonView() const { return m_view; }

    // LessonCommands
    void newLesson() override;
    void openLesson() override;
    void relayoutLesson() override;
    void saveLessonFile() override;
    void loadLessonFile(const QString& path) override;
    bool mayCloseLesson() override;
    void printLesson() override;
    void saveLessonPdf() override;
    // The palette is a tool window over the main window (it stays above it).
    QWidget* createLessonPalette() override;

private:
    QPointer<CMainFrame> m_frame;
    QPointer<LessView> m_view;
    HandoutCommands* m_handouts = nullptr; // a child
};
