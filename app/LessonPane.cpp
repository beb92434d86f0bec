#include "LessonPane.h"

#include "CMainFrame.h"
#include "HandoutCommands.h"
#include "LessDlg.h"
#include "LessView.h"

LessonPane::LessonPane(QObject* parent) : QObject(parent) {}

void LessonPane::install(CMainFrame& frame) {
    m_frame = &frame;
    m_view = new LessView;
    m_handouts = new HandoutCommands(&frame, this);
    frame.setPaneWidget(CMainFrame::Pane::Lesson, m_view);
    frame.setCommands({.lesson = this});

    connect(m_view, &LessView::contextMenuRequested, this, [this](const QPoint& point) {
        if (m_frame && m_view)
            m_frame->showContextMenu(m_view, point);
    });
    // A middle-button release in the row, or the row losing the focus, ends every drag.
    using Signal = void (LessView::*)();
    for (Signal signal :
         std::initializer_list<Signal>{&LessView::dragsEndRequested, &LessView::focusLost}) {
        connect(m_view, signal, this, [this] {
            if (m_frame)
                m_frame->endDrags();
        });
    }
}

void LessonPane::newLesson() {
    if (m_view)
        m_view->lesson().newLesson();
}

void LessonPane::openLesson() {
    if (m_view)
        m_view->lesson().openLesson();
}

void LessonPane::relayoutLesson() {
    if (m_view)
        m_view->relayout();
}

void LessonPane::saveLessonFile() {
    if (m_view)
        m_view->lesson().saveLessonFile();
}

void LessonPane::loadLessonFile(const QString& path) {
    if (m_view)
        m_view->lesson().loadLessonFile(path);
}

bool LessonPane::mayCloseLesson() {
    return !m_view || m_view->lesson().mayCloseLesson();
}

void LessonPane::printLesson() {
    if (m_view && m_handouts)
        m_handouts->printLesson(m_view->lesson());
}

void LessonPane::saveLessonPdf() {
    if (m_view && m_handouts)
        m_handouts->saveLessonPdf(m_view->lesson());
}

QWidget* LessonPane::createLessonPalette() {
    if (!m_view)
        return nullptr;
    return new LessDlg(*m_view, m_frame);
}
