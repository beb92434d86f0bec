#include "PaneViews.h"

#include "BmpRect.h"
#include "CMainFrame.h"
#include "FramePanels.h"
#include "KovrelView.h"
#include "LessView.h"
#include "PreView.h"
#include "PresenterView.h"
#include "ProjectorShow.h"
#include "ShowOverview.h"

PaneViews::PaneViews(QObject* parent) : QObject(parent) {}

PaneViews::~PaneViews() = default;

void PaneViews::install(CMainFrame& frame) {
    m_frame = &frame;
    m_plate = new KovrelView;
    frame.setPaneWidget(CMainFrame::Pane::Plate, m_plate);
    m_preview = new PreView(frame.contentFolder());
    frame.setPaneWidget(CMainFrame::Pane::Preview, m_preview);
    m_panels = std::make_unique<FramePanels>(frame, *m_preview, *m_plate);
    frame.setTopicTarget(this);
    m_lesson = std::make_unique<LessonPane>();
    m_lesson->install(frame);
    m_panels->setLessonView(m_lesson->lessonView());
    frame.setCommands({.show = this, .panels = m_panels.get(), .plate = this});

    connect(m_plate, &KovrelView::contextMenuRequested, this, [this](const QPoint& point) {
        if (m_frame && m_plate)
            m_frame->showContextMenu(m_plate, point);
    });
    connect(m_plate, &KovrelView::panelsPlacementNeeded, this, [this] {
        if (m_frame)
            m_frame->placePanels();
    });
    connect(m_plate, &KovrelView::focusLost, this, [this] {
        if (m_frame)
            m_frame->endDrags();
    });
    // The frame owns full screen; the preview follows its changes and tells it of its own
    // size and drags.
    connect(&frame, &CMainFrame::fullScreenChanged, m_preview, &PreView::setFullScreen);
    connect(m_preview, &PreView::resized, &frame, &CMainFrame::placePanels);
    // The overview of the show: on the teacher's screen when there is one, so the projector
    // keeps its picture until the jump; over the preview otherwise.
    m_overview = new ShowOverview(m_preview->playback(), this);
    connect(&m_preview->playback(), &Playback::overviewWanted, this, [this] {
        PresenterView* presenter = m_frame ? m_frame->projectorShow().presenterView() : nullptr;
        m_overview->open(presenter ? static_cast<QWidget*>(presenter) : m_preview);
    });
    connect(&frame, &CMainFrame::fullScreenChanged, m_overview, [this](bool on) {
        if (!on)
            m_overview->close();
    });
    connect(m_preview, &PreView::dragsEndRequested, this, [this] {
        if (LessView* lesson = lessonView())
            lesson->endDrag();
    });
}

void PaneViews::showFragment(const QString& path) {
    if (m_plate)
        m_plate->showFragment(path);
}

void PaneViews::selectPicture(const QByteArray& name) {
    if (m_plate)
        m_plate->selectPicture(name);
}

void PaneViews::clearPreview() {
    if (m_preview)
        m_preview->showPicture(nullptr);
}

void PaneViews::hideAnimationPanel() {
    if (m_panels)
        m_panels->hideAnimationPanel();
}

void PaneViews::addAllToLesson() {
    if (m_plate)
        m_plate->addAllToLesson();
}

void PaneViews::startTopicShow() {
    if (m_preview)
        m_preview->startTopicShow();
}

void PaneViews::startLesson() {
    if (m_preview)
        m_preview->startLesson();
}

void PaneViews::continueLesson() {
    if (m_preview)
        m_preview->continueLesson();
}

bool PaneViews::playbackKey(int key, Qt::KeyboardModifiers modifiers) {
    return m_preview && m_preview->playbackKey(key, modifiers);
}
