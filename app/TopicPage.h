#pragma once

#include <QWebEnginePage>
#include <functional>

// The topic pane's page: before every navigation (the first load, link clicks, history steps,
// in any frame) it asks its owner whether to stay on the current page.
class TopicPage : public QWebEnginePage {
    Q_OBJECT
public:
    // decide: returns true to cancel the navigation.
    using Decide = std::function<bool(const QUrl& url)>;

    TopicPage(Decide decide, QObject* parent = nullptr);
    void setDecide(Decide decide) { m_decide = std::move(decide); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    Decide m_decide;
};
