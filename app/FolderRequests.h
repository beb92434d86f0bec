#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

// What the program's own pages (the topic pane, the help) may have the browser engine fetch:
// the files inside their folder, and the engine's in-memory data:, blob: and about: URLs.
// Nothing else: no other file of the machine, and no server, neither off the machine nor on
// it (127.0.0.1 included). A page's script could otherwise read a teacher's documents and
// hand them to a server.
namespace folderrequests {

// url is a local file inside folder (by its path as written, and by the path its links
// resolve to when it exists).
bool isInside(const QString& folder, const QUrl& url);
// isInside, or an in-memory URL.
bool mayFetch(const QString& folder, const QUrl& url);

// Blocks every request of a page that mayFetch refuses.
class Interceptor : public QWebEngineUrlRequestInterceptor {
public:
    Interceptor(const QString& folder, QObject* parent);
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    QString m_folder;
};

} // namespace folderrequests
