#pragma once

#include <QPointer>
#include <QWebEnginePage>
#include <functional>

// The topic pane's page: before every navigation (the first load, link clicks, history steps,
// in any frame) it asks its owner whether to stay on the current page.
//
// Nothing opens a window of its own: a link that asks for a new window (target="_blank",
// window.open, a middle click) gets a hidden catcher page whose first real navigation is
// loaded here instead, so the same decision runs on it as on any other link; the catcher is
// then discarded.
class TopicPage : public QWebEnginePage {
    Q_OBJECT
public:
    // decide: returns true to cancel the navigation.
    using Decide = std::function<bool(const QUrl& url)>;

    TopicPage(Decide decide, QObject* parent = nullptr);
    void setDecide(Decide decide) { m_decide = std::move(decide); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    Decide m_decide;
    QPointer<QWebEnginePage> m_catcher; // at most one window request is waiting
};
