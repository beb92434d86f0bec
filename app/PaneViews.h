#pragma once

#include "CMainFrame.h"
#include "KovrelView.h"
#include "LessonPane.h"
#include "PlateCommands.h"
#include "PreView.h"
#include "ShowCommands.h"
#include "TopicTarget.h"

#include <QObject>
#include <QPointer>

#include <memory>

class FramePanels;
class ShowOverview;

// The views that fill the frame's panes, and the routes from the frame's commands and the
// topic links to the plate strip and the preview. Panes whose views do not exist yet keep
// their placeholders and their menu items stay disabled.
class PaneViews : public QObject, public TopicTarget, public PlateCommands, public ShowCommands {
    Q_OBJECT
public:
    explicit PaneViews(QObject* parent = nullptr);
    ~PaneViews() override;

    // Puts the views into the frame's panes and connects them; call once, before the frame's
    // initial update.
    void install(CMainFrame& frame);

    KovrelView* plateView() const { return m_plate; }
    LessView* lessonView() const { return m_lesson ? m_lesson->lessonView() : nullptr; }
    PreView* preview() const { return m_preview; }
    FramePanels* panels() const { return m_panels.get(); }

    // TopicTarget
    void showFragment(const QString& path) override;
    void selectPicture(const QByteArray& name) override;
    void clearPreview() override;
    void hideAnimationPanel() override;

    // PlateCommands
    void addAllToLesson() override;

    // ShowCommands
    void startTopicShow() override;
    void startLesson() override;
    void continueLesson() override;
    bool playbackKey(int key, Qt::KeyboardModifiers modifiers) override;

private:
    QPointer<CMainFrame> m_frame;
    QPointer<KovrelView> m_plate;
    std::unique_ptr<LessonPane> m_lesson;
    QPointer<PreView> m_preview;
    std::unique_ptr<FramePanels> m_panels;
    ShowOverview* m_overview = nullptr;
};
