#include "HtmlView.h"

#include "Cp1251.h"
#include "TopicPage.h"
#include "TopicTarget.h"
#include "WindowServices.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPointer>
#include <QWebEngineSettings>

HtmlView::HtmlView(const QString& contentFolder, QWidget* parent)
    : QWebEngineView(parent), m_contentFolder(contentFolder) {
    setObjectName(QStringLiteral("HtmlView"));
    m_page = new TopicPage([this](const QUrl& url) { return decideNavigation(url); }, contentFolder,
                           this);
    setPage(m_page);
    // Besides the page's own rule (TopicPage): local pages must not reach out of the machine.
    m_page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // The browser's pointer events go to an inner widget that may be replaced; watching the
    // application keeps the middle-button rule independent of it.
    qApp->installEventFilter(this);
}

HtmlView::~HtmlView() {
    qApp->removeEventFilter(this);
    // The page (a child, deleted after this body) must not call back into a dying view.
    m_page->setDecide({});
}

QUrl HtmlView::startPageUrl() const {
    return QUrl::fromLocalFile(m_contentFolder + QStringLiteral("html/main_naz.htm"));
}

void HtmlView::initialUpdate() {
    const QUrl start = startPageUrl();
    if (!QFileInfo::exists(start.toLocalFile())) {
        const QString note = QStringLiteral("<html><body><p>Начальная страница не найдена: "
                                            "%1</p></body></html>")
                                 .arg(start.toLocalFile().toHtmlEscaped());
        setHtml(note);
        return;
    }
    load(start);
}

bool HtmlView::decideNavigation(const QUrl& url) {
    // The pane's own notes (setHtml) are not links.
    if (url.scheme() == QLatin1String("data"))
        return false;
    const QString text = linkTextForDecision(url, m_contentFolder);
    const LinkDecision decision = decideLink(text);
    // The browser is inside its navigation callback here; the actions (which may load a whole
    // fragment or ask the user something) run right after it returns.
    if (!decision.actions.isEmpty()) {
        QPointer<HtmlView> self(this);
        const QList<LinkAction> actions = decision.actions;
        const quint64 generation = ++m_decidedGeneration;
        QMetaObject::invokeMethod(
            this,
            [self, actions, generation] {
                if (self)
                    self->perform(actions, generation);
            },
            Qt::QueuedConnection);
    }
    emit linkDecided(text, decision.cancel);
    return decision.cancel;
}

void HtmlView::perform(const QList<LinkAction>& actions, quint64 generation) {
    // An action may let events run (a message box); a newer link's actions that ran meanwhile
    // replaced what this link showed, and the rest of this link (an emptied strip, a cleared
    // preview) would undo them.
    if (generation < m_performedGeneration)
        return;
    m_performedGeneration = generation;
    using K = LinkAction::Kind;
    for (const LinkAction& a : actions) {
        if (m_performedGeneration != generation)
            return;
        switch (a.kind) {
        case K::ShowFragment:
            if (m_target)
                m_target->showFragment(a.text.isEmpty() ? QString() : m_contentFolder + a.text);
            break;
        case K::SelectPicture:
            // Picture names are code page 1251; a name the code page cannot hold names no
            // picture, and selecting nothing is what a wrong name does anyway.
            if (m_target) {
                if (const auto name = cp1251::fromUnicode(a.text))
                    m_target->selectPicture(*name);
            }
            break;
        case K::OpenDocument:
            WindowServices::instance().shellOpen(m_contentFolder + a.text);
            break;
        case K::ClearPreview:
            if (m_target)
                m_target->clearPreview();
            break;
        case K::HideAnimationPanel:
            if (m_target)
                m_target->hideAnimationPanel();
            break;
        }
    }
}

bool HtmlView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        const auto* me = static_cast<QMouseEvent*>(event);
        const Qt::KeyboardModifiers held =
            me->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
        if (me->button() == Qt::MiddleButton && me->buttons() == Qt::NoButton &&
            held == Qt::NoModifier && (w == this || isAncestorOf(w)))
            emit middleButtonReleased();
    }
    return QWebEngineView::eventFilter(watched, event);
}
