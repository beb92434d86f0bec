#pragma once

#include "FrameCommands.h"
#include "RecentFiles.h"

#include <QObject>
#include <QStringList>
#include <memory>

class CKovrelDoc;
class CMainFrame;
class PaneViews;
class QSettings;

// The application object: reads the profile, creates the document and the main frame, shows
// the frame maximised, opens a lesson named on the command line and sets the panes out.
class CKovrelApp : public QObject {
    Q_OBJECT
public:
    // The profile's company key and application name.
    static const QString kProfileCompany;

    explicit CKovrelApp(const QString& contentFolder, QObject* parent = nullptr);
    ~CKovrelApp() override;

    // Command groups for the frame to route to instead of the views' own (not owned); set
    // before initInstance. Groups left null keep the views' routes.
    void setCommands(const FrameCommands& commands) { m_commands = commands; }

    // Start-up with the positional command-line arguments (program name and options removed).
    // Returns false when start-up cannot go on.
    bool initInstance(const QStringList& arguments);
    // Writes the profile back.
    void exitInstance();

    CMainFrame* mainFrame() const { return m_frame.get(); }
    CKovrelDoc* document() const { return m_doc.get(); }
    PaneViews* views() const { return m_views.get(); }
    // The lesson path the command line named; empty when none.
    QString lessonPath() const { return m_lessonPath; }
    const RecentFiles& recentFiles() const { return m_recent; }

    void showAbout();

private:
    QString m_contentFolder;
    std::unique_ptr<QSettings> m_settings;
    RecentFiles m_recent;
    std::unique_ptr<CKovrelDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    QString m_lessonPath;
    FrameCommands m_commands;
    // After the frame: the views it holds go before it.
    std::unique_ptr<PaneViews> m_views;
};
