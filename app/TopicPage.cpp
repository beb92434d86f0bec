#include "TopicPage.h"

TopicPage::TopicPage(Decide decide, QObject* parent)
    : QWebEnginePage(parent), m_decide(std::move(decide)) {}

bool TopicPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    return !(m_decide && m_decide(url));
}
