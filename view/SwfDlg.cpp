#include "SwfDlg.h"

#include "MediaFile.h"
#include "MediaHost.h"
#include "MediaInput.h"
#include "MediaNote.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace {

QString& playerFolderOverride() {
    static QString folder;
    return folder;
}

// Console lines of the player page that start with this prefix are reports to the program.
const QString kReport = QStringLiteral("tm-swf:");

// Only the player's own files and the one movie may be read; nothing else, and no network.
class LocalOnly : public QWebEngineUrlRequestInterceptor {
public:
    LocalOnly(const QString& playerFolder, const QString& movie, QObject* parent)
        : QWebEngineUrlRequestInterceptor(parent),
          m_playerFolder(QDir::cleanPath(playerFolder) + QLatin1Char('/')), m_movie(movie) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        const QString scheme = url.scheme();
        if (scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
            return;
        if (url.isLocalFile()) {
            const QString path = QDir::cleanPath(url.toLocalFile());
            if (path == m_movie || path.startsWith(m_playerFolder))
                return;
        }
        info.block(true);
    }

private:
    QString m_playerFolder;
    QString m_movie;
};

class PlayerPage : public QWebEnginePage {
public:
    PlayerPage(std::function<void(const QString&)> report, QObject* parent)
        : QWebEnginePage(parent), m_report(std::move(report)) {}
    void forget() { m_report = {}; }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override {
        if (m_report && message.startsWith(kReport))
            m_report(message.mid(kReport.size()));
    }
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        // The player page is set once; a movie cannot take the view elsewhere.
        return isMainFrame && url.scheme() == QLatin1String("data");
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

private:
    std::function<void(const QString&)> m_report;
};

// Text for a script: JSON, with '<' escaped so that no "</script>" can close the element.
QString scriptString(const QString& text) {
    QJsonObject o{{QStringLiteral("v"), text}};
    QString json = QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    json = json.mid(5, json.size() - 6); // the value alone
    return json.replace(QLatin1Char('<'), QStringLiteral("\\u003c"));
}

QString playerPage(const QUrl& playerUrl, const QUrl& movieUrl) {
    // Autoplay, no splash, no network, no menu; the player fills the window. Clicks never
    // reach the page, and a pointer-down seen there would be reported as a fault.
    return QStringLiteral(R"(<!DOCTYPE html>
<html><head><meta charset="utf-8">
<style>html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;background:transparent}
ruffle-player,#stage{display:block;width:100%;height:100%}</style></head>
<body><div id="stage"></div>
<script>
function report(s) { console.log("tm-swf:" + s); }
window.addEventListener("error", function (e) { report("error:" + e.message); });
document.addEventListener("pointerdown", function () { report("click"); }, true);
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = {
  publicPath: %1, polyfills: false, autoplay: "on", splashScreen: false,
  allowNetworking: "none", openUrlMode: "deny", contextMenu: "off", unmuteOverlay: "hidden",
  letterbox: "on", warnOnUnsupportedContent: false, showSwfDownload: false, logLevel: "error"
};
</script>
<script src=%2></script>
<script>
(function () {
  if (!window.RufflePlayer || !window.RufflePlayer.newest) { report("absent"); return; }
  try {
    var player = window.RufflePlayer.newest().createPlayer();
    document.getElementById("stage").appendChild(player);
    var done = false;
    function started() { if (!done) { done = true; report("started"); } }
    player.addEventListener("loadedmetadata", started);
    player.addEventListener("loadeddata", started);
    var api = player.ruffle ? player.ruffle() : player;
    window.tmPlayer = api;
    var p = api.load({ url: %3 });
    if (p && p.catch) p.catch(function (e) { report("error:" + e); });
  } catch (e) { report("error:" + e); }
})();
</script></body></html>)")
        .arg(scriptString(playerUrl.toString()),
             scriptString(playerUrl.resolved(QUrl(QStringLiteral("ruffle.js"))).toString()),
             scriptString(movieUrl.toString()));
}

} // namespace

SwfDlg::SwfDlg(QWidget* preview, MediaHost& host, const QString& contentFolder)
    : MediaWindow(preview, host, contentFolder, false) {
    setObjectName(QStringLiteral("SwfDlg"));
    setContextMenuPolicy(Qt::NoContextMenu);
    m_startTimer.setSingleShot(true);
    connect(&m_startTimer, &QTimer::timeout, this, [this] {
        showNote(
            QStringLiteral("Проигрыватель Flash (Ruffle) не запустил фильм «%1».").arg(m_name));
    });
}

SwfDlg::~SwfDlg() {
    if (m_view)
        static_cast<PlayerPage*>(m_view->page())->forget();
}

QString SwfDlg::playerFolder() {
    if (!playerFolderOverride().isEmpty())
        return playerFolderOverride();
    return QCoreApplication::applicationDirPath() + QStringLiteral("/ruffle");
}

void SwfDlg::setPlayerFolder(const QString& folder) {
    playerFolderOverride() = folder;
}

void SwfDlg::play(const QString& name) {
    m_name = name;
    const MediaFile file = resolveMediaFile(m_contentFolder, name, MediaKind::Flash);
    if (!file.playable()) {
        showNote(file.note);
        return;
    }
    const QString folder = QDir::cleanPath(QFileInfo(playerFolder()).absoluteFilePath());
    if (!QFileInfo::exists(folder + QStringLiteral("/ruffle.js"))) {
        showNote(QStringLiteral("Проигрыватель Flash (Ruffle) не установлен: нет папки %1.")
                     .arg(QDir::toNativeSeparators(folder)));
        return;
    }

    delete m_view;
    m_running = false;
    clearNote();
    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("SwfPlayerView"));
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->setFocusPolicy(Qt::NoFocus);
    auto* page = new PlayerPage([this](const QString& m) { playerMessage(m); }, m_view);
    page->setBackgroundColor(Qt::transparent);
    page->setUrlRequestInterceptor(new LocalOnly(folder, file.path, page));
    QWebEngineSettings* s = page->settings();
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    m_view->setPage(page);
    m_view->setGeometry(rect());
    m_noteLabel->raise();
    m_view->show();
    page->setHtml(
        playerPage(QUrl::fromLocalFile(folder + QLatin1Char('/')), QUrl::fromLocalFile(file.path)),
        QUrl::fromLocalFile(folder + QStringLiteral("/player.html")));
    m_startTimer.start(kStartTimeoutMs);
}

void SwfDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(rect());
}

void SwfDlg::setBlanked(bool on) {
    setVisible(!on);
    if (!m_view || !m_view->page())
        return; // no player started: nothing plays
    m_view->page()->runJavaScript(
        on ? QStringLiteral("if (window.tmPlayer) { window.tmPlayer.pause(); }")
           : QStringLiteral("if (window.tmPlayer) { window.tmPlayer.play(); }"));
    m_view->page()->setAudioMuted(on);
}

void SwfDlg::playerMessage(const QString& message) {
    if (message == QLatin1String("started")) {
        m_startTimer.stop();
        m_running = true;
        emit started();
    } else if (message == QLatin1String("click")) {
        emit movieClicked();
    } else if (message == QLatin1String("absent")) {
        showNote(QStringLiteral("Проигрыватель Flash (Ruffle) не загрузился."));
    } else if (message.startsWith(QLatin1String("error:")) && !m_running) {
        showNote(
            QStringLiteral("Проигрыватель Flash (Ruffle) не смог открыть фильм «%1».").arg(m_name));
    }
}

void SwfDlg::showNote(const QString& text) {
    m_startTimer.stop();
    m_running = false;
    if (m_view) {
        // The picture beneath shows again; the player is not left half-started over it.
        m_view->hide();
        m_view->deleteLater();
        m_view = nullptr;
    }
    setNote(text);
}

bool SwfDlg::clickInput(QWidget*, const QMouseEvent& event) {
    if (event.type() == QEvent::MouseButtonPress && event.button() == Qt::LeftButton)
        callHostLater(this, m_host, &MediaHost::stepPicture);
    return true; // no button ever reaches the movie
}
