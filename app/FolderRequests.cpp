#include "FolderRequests.h"

#include <QDir>
#include <QFileInfo>

namespace folderrequests {

namespace {

bool startsInside(const QString& path, const QString& folder) {
    // The folder with its slash: a neighbour whose name starts the same is outside.
    return path.startsWith(folder + QLatin1Char('/'));
}

} // namespace

bool isInside(const QString& folder, const QUrl& url) {
    if (!url.isLocalFile() || folder.isEmpty())
        return false;
    // "file://host/…" names a file on another machine.
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return false;
    const QString path = QDir::cleanPath(url.toLocalFile());
    if (!startsInside(path, QDir::cleanPath(folder)))
        return false;
    // A link inside the folder must not lead out of it.
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        return true; // nothing there to read
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    return !realFolder.isEmpty() && startsInside(real, realFolder);
}

bool mayFetch(const QString& folder, const QUrl& url) {
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob") ||
        scheme == QLatin1String("about"))
        return true;
    return isInside(folder, url);
}

Interceptor::Interceptor(const QString& folder, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), m_folder(folder) {}

void Interceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!mayFetch(m_folder, info.requestUrl()))
        info.block(true);
}

} // namespace folderrequests
