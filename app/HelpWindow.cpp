#include "HelpWindow.h"

#include "FolderRequests.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kProgram = QStringLiteral("Тревалон-Медиа");
const QString kHelp = QStringLiteral("Справка");

// Keeps the help a closed set of local pages: a link, or a style sheet or picture a page
// names, that leads anywhere else is not followed.
class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(const QString& folder, QWidget* parent) : QTextBrowser(parent), m_folder(folder) {
        setOpenExternalLinks(false);
        setOpenLinks(true);
        // The pages' own style sheet, for every page (the text browser does not load linked
        // ones).
        QFile css(m_folder + QStringLiteral("/help.css"));
        if (css.open(QIODevice::ReadOnly))
            document()->setDefaultStyleSheet(QString::fromUtf8(css.read(64 * 1024)));
    }

    QVariant loadResource(int type, const QUrl& name) override {
        if (!isHelpLink(m_folder, resolved(name)))
            return {};
        return QTextBrowser::loadResource(type, name);
    }

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
        const QUrl url = resolved(name);
        if (isHelpLink(m_folder, url))
            QTextBrowser::doSetSource(url, type);
    }

private:
    // Relative names are the shown page's; before the first page, the folder's.
    QUrl resolved(const QUrl& name) const {
        const QUrl base =
            source().isEmpty() ? QUrl::fromLocalFile(m_folder + QLatin1Char('/')) : source();
        return base.resolved(name);
    }

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
    setAttribute(Qt::WA_DeleteOnClose);
    // On a 1024 x 768 projector the title bar and a desktop panel must fit beside it too.
    QSize size(960, 720);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);

    m_view = new HelpBrowser(m_folder, this);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* back = bar->addAction(QStringLiteral("Назад"), m_view, &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward = bar->addAction(QStringLiteral("Вперёд"), m_view, &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(m_view, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_view, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
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

    connect(m_view, &QTextBrowser::sourceChanged, this, &HelpWindow::showTitle);
    showTitle();
}

void HelpWindow::showTitle() {
    // The contents page is titled "Справка" itself: said once, not twice.
    const QString page = m_view->documentTitle();
    const QString help = kHelp + QStringLiteral(" — ") + kProgram;
    setWindowTitle(page.isEmpty() || page == kHelp ? help : page + QStringLiteral(" — ") + help);
}

void HelpWindow::open(const QString& page) {
    m_view->setSource(QUrl::fromLocalFile(page));
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
