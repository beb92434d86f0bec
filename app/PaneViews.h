#pragma once

#include "CMainFrame.h"
#include "KovrelView.h"
#include "LessonPane.h"
#include "PlateCommands.h"
#include "TopicTarget.h"

#include <QObject>
#include <QPointer>

#include <memory>

// The views that fill the frame's panes, and the routes from the frame's commands and the
// topic links to the plate strip. Panes whose views do not exist yet keep their placeholders
// and their menu items stay disabled.
class PaneViews : public QObject, public TopicTarget, public PlateCommands {
    Q_OBJECT
public:
    explicit PaneViews(QObject* parent = nullptr);

    // Puts the views into the frame's panes and connects them; call once, before the frame's
    // initial update.
    void install(CMainFrame& frame);

    KovrelView* plateView() const { return m_plate; }
    LessView* lessonView() const { return m_lesson ? m_lesson->lessonView() : nullptr; }

    // TopicTarget
    void showFragment(const QString& path) override;
    void selectPicture(const QByteArray& name) override;
    void clearPreview() override {}
    void hideAnimationPanel() override {}

    // PlateCommands
    void addAllToLesson() override;

private:
    QPointer<CMainFrame> m_frame;
    QPointer<KovrelView> m_plate;
    std::unique_ptr<LessonPane> m_lesson;
};
