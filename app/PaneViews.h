#pragma once

#include "CMainFrame.h"
#include "KovrelView.h"
#include "PaneActions.h"
#include "TopicTarget.h"

#include <QObject>
#include <QPointer>

// The views that fill the frame's panes, and the two adapters through which the frame's
// commands and the topic links reach them. Panes whose views do not exist yet keep their
// placeholders and the do-nothing actions.
class PaneViews : public QObject, public TopicTarget, public PaneActions {
    Q_OBJECT
public:
    explicit PaneViews(QObject* parent = nullptr);

    // Puts the views into the frame's panes and connects them; call once, before the frame's
    // initial update.
    void install(CMainFrame& frame);

    KovrelView* plateView() const { return m_plate; }

    // TopicTarget
    void showFragment(const QString& path) override;
    void selectPicture(const QByteArray& name) override;
    void clearPreview() override {}
    void hideAnimationPanel() override {}

    // PaneActions
    void addAllToLesson() override;

private:
    QPointer<CMainFrame> m_frame;
    QPointer<KovrelView> m_plate;
};
