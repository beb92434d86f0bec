#include "CKovrelApp.h"

#include "AboutBox.h"
#include "CKovrelDoc.h"
#include "CMainFrame.h"
#include "CommandLine.h"
#include "HtmlView.h"
#include "PaneViews.h"
#include "WindowServices.h"

#include <QFileInfo>
#include <QScreen>
#include <QSettings>

const QString CKovrelApp::kProfileCompany =
    QStringLiteral("Local AppWizard-Generated Applications");

CKovrelApp::CKovrelApp(const QString& contentFolder, QObject* parent)
    : QObject(parent), m_contentFolder(contentFolder) {}

CKovrelApp::~CKovrelApp() = default;

bool CKovrelApp::initInstance(const QStringList& arguments) {
    // The profile: only the recent-file list is kept in it.
    m_settings = std::make_unique<QSettings>(kProfileCompany, kAppName);
    m_recent.load(*m_settings);

    // One document, one frame with its panes.
    m_doc = std::make_unique<CKovrelDoc>();
    m_frame = std::make_unique<CMainFrame>(m_contentFolder);
    m_views = std::make_unique<PaneViews>();
    m_views->install(*m_frame);
    m_frame->setCommands(m_commands);
    connect(m_frame.get(), &CMainFrame::aboutRequested, this, &CKovrelApp::showAbout);

    // A path with spaces may arrive split into several arguments; they are joined again.
    m_lessonPath = lessonPathFromArguments(arguments);

    // The document reads nothing, so opening an argument as a document cannot fail; the
    // lesson loader reports a lesson file it cannot read.
    m_doc->newDocument();

    // Without a window manager (a bare X server) nothing maximises the window; it then
    // covers the screen's free area all the same.
    if (const QScreen* screen = m_frame->screen())
        m_frame->setGeometry(screen->availableGeometry());
    m_frame->showMaximized();
    m_frame->setWindowTitle(kViewTitle);

    m_frame->applyPaneProportions();
    if (!m_lessonPath.isEmpty()) {
        m_frame->openLessonAtStart(m_lessonPath);
        const QFileInfo lesson(m_lessonPath);
        if (lesson.isFile() && lesson.isReadable())
            m_recent.add(lesson.absoluteFilePath());
    } else {
        m_frame->setWindowTitle(kViewTitle);
    }
    m_frame->applyPaneProportions();

    if (PanelCommands* panels = m_frame->commands().panels)
        panels->createPanels();
    m_frame->placePanels();
    return true;
}

void CKovrelApp::exitInstance() {
    if (!m_settings)
        return;
    m_recent.save(*m_settings);
    m_settings->sync();
}

void CKovrelApp::showAbout() {
    AboutBox box(m_frame.get());
    box.exec();
}
