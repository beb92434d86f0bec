#include "TopicPage.h"

namespace {

// Stands in for the window a link asked for. Its first navigation to a real page goes to the
// topic page; nothing is ever shown or loaded in it.
class WindowCatcher : public QWebEnginePage {
public:
    WindowCatcher(QWebEnginePage& topic)
        : QWebEnginePage(topic.profile(), &topic), m_topic(&topic) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        // A window opened empty is written to by its opener; only a page asked for counts.
        if (!isMainFrame || url.isEmpty() || url.scheme() == QLatin1String("about"))
            return true;
        if (m_caught)
            return false;
        m_caught = true;
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
    bool m_caught = false;
};

} // namespace

TopicPage::TopicPage(Decide decide, QObject* parent)
    : QWebEnginePage(parent), m_decide(std::move(decide)) {}

bool TopicPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    return !(m_decide && m_decide(url));
}

QWebEnginePage* TopicPage::createWindow(WebWindowType) {
    // A request whose page never came (a window opened empty and left so) is dropped.
    delete m_catcher;
    m_catcher = new WindowCatcher(*this);
    return m_catcher;
}
