#include "ScreenshotJob.h"

#include "CMainFrame.h"
#include "HtmlView.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPixmap>
#include <cstdio>
#include <utility>

namespace {
constexpr int kDeadlineMs = 30000;
// Time for the panes to paint what the last navigation asked of them.
constexpr int kSettleMs = 700;
} // namespace

ScreenshotJob::ScreenshotJob(CMainFrame* frame, const QString& file, const QString& topic,
                             QObject* parent)
    : QObject(parent), m_frame(frame), m_file(file),
      m_links(topic.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("the page did not finish loading within 30 s")); });
}

void ScreenshotJob::start() {
    HtmlView* view = m_frame->htmlView();
    connect(view, &HtmlView::loadFinished, this, &ScreenshotJob::onPageLoaded);
    connect(view, &HtmlView::linkDecided, this, [this](const QString&, bool cancelled) {
        // A followed link that stays on its page (a plate picked) loads nothing more.
        if (m_stage == Stage::TopicPage && cancelled)
            followNextOrShoot();
    });
    m_deadline.start(kDeadlineMs);
}

void ScreenshotJob::onPageLoaded(bool ok) {
    switch (m_stage) {
    case Stage::StartPage:
        if (!ok) {
            fail(QStringLiteral("the start page could not be loaded"));
            return;
        }
        m_stage = Stage::TopicPage;
        followNextOrShoot();
        break;
    case Stage::TopicPage:
        // The linked page was shown.
        followNextOrShoot();
        break;
    default:
        break;
    }
}

void ScreenshotJob::followNextOrShoot() {
    if (m_next >= m_links.size()) {
        settleThenShoot();
        return;
    }
    const QString link = m_links[m_next++];
    const QString name =
        QString::fromUtf8(QJsonDocument(QJsonArray{link}).toJson(QJsonDocument::Compact));
    // name is a JSON array of one string: a safe JavaScript literal.
    const QString script = QStringLiteral("(function(){var want=%1[0];"
                                          "var links=document.querySelectorAll('a[href]');"
                                          "for(var i=0;i<links.length;++i){"
                                          "if(links[i].getAttribute('href').indexOf(want)>=0){"
                                          "links[i].click();return true;}}"
                                          "return false;})()")
                               .arg(name);
    m_frame->htmlView()->page()->runJavaScript(script, [this, link](const QVariant& clicked) {
        if (!clicked.toBool())
            fail(QStringLiteral("the page has no link whose address contains \"%1\"").arg(link));
    });
}

void ScreenshotJob::settleThenShoot() {
    if (m_stage == Stage::Settling || m_stage == Stage::Done)
        return;
    m_stage = Stage::Settling;
    QTimer::singleShot(kSettleMs, this, &ScreenshotJob::shoot);
}

void ScreenshotJob::shoot() {
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_deadline.stop();
    QImage shot = m_frame->grab().toImage();
    // Where each pane stands, in logical pixels, for whoever checks the picture: at a high
    // scale the picture has more pixels than the window has logical ones.
    const std::pair<const char*, CMainFrame::Pane> panes[] = {
        {"text", CMainFrame::Pane::Text},
        {"strip", CMainFrame::Pane::Plate},
        {"preview", CMainFrame::Pane::Preview},
        {"lesson", CMainFrame::Pane::Lesson}};
    for (const auto& [name, which] : panes) {
        if (const QWidget* pane = m_frame->pane(which); pane && pane->isVisible()) {
            const QRect r(pane->mapTo(m_frame, QPoint(0, 0)), pane->size());
            shot.setText(
                QStringLiteral("pane.%1").arg(QLatin1String(name)),
                QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
        }
    }
    if (shot.isNull() || !shot.save(m_file, "PNG")) {
        std::fprintf(stderr, "TrevalonMedia: cannot write the screenshot to %s\n",
                     qPrintable(m_file));
        emit finished(1);
        return;
    }
    emit finished(0);
}

void ScreenshotJob::fail(const QString& reason) {
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_deadline.stop();
    std::fprintf(stderr, "TrevalonMedia: no screenshot: %s\n", qPrintable(reason));
    emit finished(1);
}
