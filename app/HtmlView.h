#pragma once

#include "TopicLinks.h"

#include <QUrl>
#include <QWebEngineView>

class TopicPage;
class TopicTarget;

// The topic text pane: the program's own HTML pages in an embedded browser. Before every
// navigation the link decision runs on the URL; its actions go to the topic target (plate
// strip, preview, animation panel) or to the shell, and its cancel flag keeps the browser on
// the current page.
class HtmlView : public QWebEngineView {
    Q_OBJECT
public:
    // contentFolder: the folder holding fragments, "html/" and "price.rtf", with a trailing '/'.
    explicit HtmlView(const QString& contentFolder, QWidget* parent = nullptr);
    ~HtmlView() override;

    // Not owned; may be null (links then only decide whether the browser navigates).
    void setTopicTarget(TopicTarget* target) { m_target = target; }
    TopicTarget* topicTarget() const { return m_target; }

    QString contentFolder() const { return m_contentFolder; }
    QUrl startPageUrl() const;

    // Loads the start page "html/main_naz.htm" of the content folder. A missing start page
    // gives a short note in the pane instead of the browser's error page.
    void initialUpdate();

    // Runs the link decision for url and performs its actions; true: cancel the navigation.
    bool decideNavigation(const QUrl& url);

signals:
    // After every decision, with the text that was decided on.
    void linkDecided(const QString& linkText, bool cancelled);
    // A middle-button release with no button or modifier key held, anywhere in the pane.
    void middleButtonReleased();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // generation: the decision's number; actions of a decision older than one whose actions
    // already began are dropped.
    void perform(const QList<LinkAction>& actions, quint64 generation);

    QString m_contentFolder;
    TopicPage* m_page = nullptr;
    TopicTarget* m_target = nullptr;
    quint64 m_decidedGeneration = 0;
    quint64 m_performedGeneration = 0;
};
