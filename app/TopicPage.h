#pragma once

#include <QPointer>
#include <QWebEnginePage>
#include <functional>

// The topic pane's page: before every navigation (the first load, link clicks, history steps,
// in any frame) it asks its owner whether to stay on the current page.
//
// Pages are the content folder's own: neither the page nor anything it loads or asks for may
// reach a file outside that folder or any server (folderrequests); a navigation elsewhere is
// refused after its link decision has run.
//
// Nothing opens a window of its own: a link that asks for a new window (target="_blank",
// window.open, a middle click) gets a hidden catcher page whose first real navigation is
// loaded here instead, so the same decision runs on it as on any other link; the catcher is
// then discarded. It keeps to the same folder: an address outside it is dropped unseen.
class TopicPage : public QWebEnginePage {
    Q_OBJECT
public:
    // decide: returns true to cancel the navigation.
    using Decide = std::function<bool(const QUrl& url)>;

    // contentFolder: the only folder its pages may read.
    TopicPage(Decide decide, const QString& contentFolder, QObject* parent = nullptr);
    void setDecide(Decide decide) { m_decide = std::move(decide); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    Decide m_decide;
    QString m_contentFolder;
    QPointer<QWebEnginePage> m_catcher; // at most one window request is waiting
};
