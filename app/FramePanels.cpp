#include "FramePanels.h"

#include "ButtDlg.h"
#include "ButtEscDlg.h"
#include "ButtFullDlg.h"
#include "ButtLess1.h"
#include "CMainFrame.h"
#include "DisplayState.h"
#include "KovrelView.h"
#include "LessView.h"
#include "PanelPlacement.h"
#include "PreView.h"

namespace {

QRect rectIn(const QWidget* frame, const QWidget* pane) {
    if (!pane)
        return {};
    return QRect(pane->mapTo(frame, QPoint(0, 0)), pane->size());
}

} // namespace

FramePanels::FramePanels(CMainFrame& frame, PreView& preview, KovrelView& plate, QObject* parent)
    : QObject(parent), m_frame(&frame), m_preview(&preview), m_plate(&plate) {
    connect(&preview, &PreView::animationAvailable, this, [this](bool available) {
        m_animationWanted = available;
        if (!m_animation)
            return;
        m_animation->setVisible(available);
        if (available && m_frame)
            m_frame->placePanels();
    });
    // A black screen is black: the buttons over it step aside until the picture is back.
    connect(&preview.playback(), &Playback::blankChanged, this, [this](bool blank) {
        if (m_exit)
            m_exit->setVisible(!blank && DisplayState::current().fullScreen);
        if (m_animation)
            m_animation->setVisible(!blank && m_animationWanted);
    });
}

void FramePanels::createPanels() {
    if (m_buttons || !m_frame)
        return;
    CMainFrame* frame = m_frame;
    m_buttons = new ButtDlg(frame);
    m_animation = new ButtFullDlg(frame);
    m_lessonStart = new ButtLess1(frame);
    m_exit = new ButtEscDlg(frame);

    connect(m_buttons, &ButtDlg::textToggleClicked, frame, &CMainFrame::toggleText);
    connect(m_buttons, &ButtDlg::fullScreenClicked, frame, &CMainFrame::toggleFullScreen);
    connect(m_buttons, &ButtDlg::addToLessonClicked, this, [this] {
        if (m_preview)
            m_preview->addShownToLesson();
    });
    connect(m_exit, &ButtEscDlg::exitClicked, frame, &CMainFrame::toggleFullScreen);
    connect(m_animation, &ButtFullDlg::clicked, this, [this] {
        if (m_preview)
            m_preview->openAnimation();
    });
    connect(m_lessonStart, &ButtLess1::clicked, this, [this] {
        if (m_preview)
            m_preview->startLesson();
    });

    const bool full = DisplayState::current().fullScreen;
    m_buttons->setTextHidden(DisplayState::current().textHidden);
    m_buttons->setVisible(!full);
    m_lessonStart->setVisible(!full);
    m_exit->setVisible(full);
    m_animation->setVisible(m_animationWanted);
    frame->placePanels();
}

void FramePanels::placePanels() {
    if (!m_buttons || !m_frame)
        return;
    CMainFrame* frame = m_frame;
    const PanelSizes sizes{m_buttons->size(), m_exit->size(), m_animation->size(),
                           m_lessonStart->size()};
    const PanelPlaces at = ::placePanels(rectIn(frame, frame->pane(CMainFrame::Pane::Preview)),
                                         rectIn(frame, frame->pane(CMainFrame::Pane::Lesson)),
                                         sizes, DisplayState::current().fullScreen);
    m_buttons->move(at.buttons);
    m_exit->move(at.exit);
    m_animation->move(at.animation);
    m_lessonStart->move(at.lessonStart);
    for (QWidget* panel :
         {static_cast<QWidget*>(m_buttons.data()), static_cast<QWidget*>(m_exit.data()),
          static_cast<QWidget*>(m_animation.data()), static_cast<QWidget*>(m_lessonStart.data())})
        panel->raise();
}

void FramePanels::endDrags() {
    if (m_preview)
        m_preview->endDrag();
    if (m_lesson)
        m_lesson->endDrag();
}

void FramePanels::setFullScreenLayout(bool fullScreen) {
    if (!m_buttons)
        return;
    m_buttons->setVisible(!fullScreen);
    m_lessonStart->setVisible(!fullScreen);
    m_exit->setVisible(fullScreen);
    if (m_frame)
        m_frame->placePanels();
}

void FramePanels::setTextHidden(bool hidden) {
    if (m_buttons)
        m_buttons->setTextHidden(hidden);
}

void FramePanels::restoreScrollPositions() {
    if (m_plate)
        m_plate->restoreScrollPosition();
    if (m_lesson)
        m_lesson->restoreScrollPosition();
}

void FramePanels::hideAnimationPanel() {
    m_animationWanted = false;
    if (m_animation)
        m_animation->hide();
}
