#include "PaneViews.h"

#include "CMainFrame.h"
#include "KovrelView.h"

PaneViews::PaneViews(QObject* parent) : QObject(parent) {}

void PaneViews::install(CMainFrame& frame) {
    m_frame = &frame;
    m_plate = new KovrelView;
    frame.setPaneWidget(CMainFrame::Pane::Plate, m_plate);
    frame.setTopicTarget(this);
    frame.setPlateCommands(this);
    m_lesson = std::make_unique<LessonPane>();
    m_lesson->install(frame);

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
}

void PaneViews::showFragment(const QString& path) {
    if (m_plate)
        m_plate->showFragment(path);
}

void PaneViews::selectPicture(const QByteArray& name) {
    if (m_plate)
        m_plate->selectPicture(name);
}

void PaneViews::addAllToLesson() {
    if (m_plate)
        m_plate->addAllToLesson();
}
