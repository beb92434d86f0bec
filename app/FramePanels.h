#pragma once

#include "PanelCommands.h"

#include <QObject>
#include <QPointer>

#include "ButtDlg.h"
#include "ButtEscDlg.h"
#include "ButtFullDlg.h"
#include "ButtLess1.h"
#include "KovrelView.h"
#include "LessView.h"
#include "PreView.h"

class CMainFrame;

// The frame's floating panels: created as children of the main window (so they follow it
// and its full-screen mode), placed beside the preview and the lesson row, their buttons
// routed to the frame and the preview.
class FramePanels : public QObject, public PanelCommands {
    Q_OBJECT
public:
    FramePanels(CMainFrame& frame, PreView& preview, KovrelView& plate, QObject* parent = nullptr);

    void createPanels() override;
    void placePanels() override;
    void endDrags() override;
    void setFullScreenLayout(bool fullScreen) override;
    void setTextHidden(bool hidden) override;
    void restoreScrollPositions() override;

    void hideAnimationPanel();
    // The lesson row, whose drags and scroll position follow the frame's; made after the
    // panels.
    void setLessonView(LessView* lesson) { m_lesson = lesson; }

    ButtDlg* buttons() const { return m_buttons; }
    ButtEscDlg* exitButton() const { return m_exit; }
    ButtFullDlg* animation() const { return m_animation; }
    ButtLess1* lessonStart() const { return m_lessonStart; }

private:
    QPointer<CMainFrame> m_frame;
    QPointer<PreView> m_preview;
    QPointer<KovrelView> m_plate;
    QPointer<LessView> m_lesson;
    QPointer<ButtDlg> m_buttons;
    QPointer<ButtEscDlg> m_exit;
    QPointer<ButtFullDlg> m_animation;
    QPointer<ButtLess1> m_lessonStart;
    bool m_animationWanted = false;
};
