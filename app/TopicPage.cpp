#include "TopicPage.h"

#include "FolderRequests.h"

namespace {

// Stands in for the window a link asked for. Its first navigation to a real page goes to the
// topic page; nothing is ever shown or loaded in it.
class WindowCatcher : public QWebEnginePage {
public:
    WindowCatcher(QWebEnginePage& topic, const QString& contentFolder)
        : QWebEnginePage(topic.profile(), &topic), m_topic(&topic), m_contentFolder(contentFolder) {
        // Its opener may write into it while it is empty: what that asks for obeys the rule.
        setUrlRequestInterceptor(new folderrequests::Interceptor(contentFolder, this));
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        // A window opened empty is written to by its opener; only a page asked for counts.
        if (!isMainFrame || url.isEmpty() || url.scheme() == QLatin1String("about"))
            return true;
        if (m_caught)
            return false;
        m_caught = true;
        if (!folderrequests::mayFetch(m_contentFolder, url)) {
            deleteLater();
            return false;
        }
        // Not from inside the engine's callback: the topic page starts a navigation of its own.
        QMetaObject::invokeMethod(
            m_topic,
            [topic = m_topic, url] {
                if (topic)
                    topic->load(url);
            },
            Qt::QueuedConnection);
        deleteLater();
        return false;
    }

private:
    QPointer<QWebEnginePage> m_topic;
    QString m_contentFolder;
    bool m_caught = false;
};

} // namespace

TopicPage::TopicPage(Decide decide, const QString& contentFolder, QObject* parent)
    : QWebEnginePage(parent), m_decide(std::move(decide)), m_contentFolder(contentFolder) {
    setUrlRequestInterceptor(new folderrequests::Interceptor(contentFolder, this));
}

bool TopicPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    if (m_decide && m_decide(url))
        return false;
    // The pane stays on its page rather than showing the engine's "blocked" page.
    return folderrequests::mayFetch(m_contentFolder, url);
}

QWebEnginePage* TopicPage::createWindow(WebWindowType) {
    // A request whose page never came (a window opened empty and left so) is dropped.
    delete m_catcher;
    m_catcher = new WindowCatcher(*this, m_contentFolder);
    return m_catcher;
}
