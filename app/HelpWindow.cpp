#include "HelpWindow.h"

#include "FolderRequests.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

const QString kTitle = QStringLiteral("Справка — Тревалон-Медиа");

// Keeps the help a closed set of local pages: a link that leads anywhere else does nothing.
class HelpPage : public QWebEnginePage {
public:
    HelpPage(const QString& folder, QObject* parent) : QWebEnginePage(parent), m_folder(folder) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        return isHelpLink(m_folder, url);
    }

private:
    QString m_folder;
};

QPointer<HelpWindow>& theWindow() {
    static QPointer<HelpWindow> window;
    return window;
}

} // namespace

bool isHelpLink(const QString& helpFolder, const QUrl& url) {
    return folderrequests::isInside(helpFolder, url);
}

HelpWindow::HelpWindow(const QString& helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(QDir::cleanPath(helpFolder)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(960, 720);

    m_view = new QWebEngineView(this);
    auto* page = new HelpPage(m_folder, m_view);
    // Its pages read their own folder and nothing else (no script runs there either).
    page->setUrlRequestInterceptor(new folderrequests::Interceptor(m_folder, page));
    m_view->setPage(page);
    m_view->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    m_view->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* back = m_view->pageAction(QWebEnginePage::Back);
    back->setText(QStringLiteral("Назад"));
    back->setShortcut(QKeySequence::Back);
    QAction* forward = m_view->pageAction(QWebEnginePage::Forward);
    forward->setText(QStringLiteral("Вперёд"));
    forward->setShortcut(QKeySequence::Forward);
    bar->addAction(back);
    bar->addAction(forward);
    bar->addAction(QStringLiteral("Содержание"), this,
                   [this] { open(m_folder + QStringLiteral("/index.html")); });
    auto* close = bar->addAction(QStringLiteral("Закрыть"), this, &QWidget::close);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(back);
    addAction(forward);
    addAction(close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_view, 1);

    connect(m_view, &QWebEngineView::titleChanged, this, [this](const QString& title) {
        setWindowTitle(title.isEmpty() ? kTitle : title + QStringLiteral(" — ") + kTitle);
    });
}

void HelpWindow::open(const QString& page) {
    m_view->setUrl(QUrl::fromLocalFile(page));
}

bool HelpWindow::showPage(const QString& page) {
    const QString folder = QFileInfo(page).absolutePath();
    QPointer<HelpWindow>& window = theWindow();
    if (window && window->helpFolder() != QDir::cleanPath(folder))
        window->close();
    if (!window)
        window = new HelpWindow(folder);
    window->open(page);
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

HelpWindow* HelpWindow::current() {
    return theWindow();
}
