#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class CMainFrame;

// Renders the main window to a PNG once the start page has loaded (and, with a topic, after
// following the start page's first link whose address contains it; "def1/***1)" then follows
// the topic page's link that picks a plate, and so on), then reports an exit
// code: 0 written, 1 failed (the reason is on stderr). The PNG's text fields "pane.text",
// "pane.strip", "pane.preview" and "pane.lesson" hold each shown pane's place in the window,
// "x,y,width,height" in logical pixels.
class ScreenshotJob : public QObject {
    Q_OBJECT
public:
    ScreenshotJob(CMainFrame* frame, const QString& file, const QString& topic,
                  QObject* parent = nullptr);

    // Starts waiting for the start page; call before the event loop runs.
    void start();

signals:
    void finished(int exitCode);

private:
    void onPageLoaded(bool ok);
    // Clicks the shown page's first link whose address contains the next part of the topic;
    // with none left, shoots.
    void followNextOrShoot();
    void settleThenShoot();
    void shoot();
    void fail(const QString& reason);

    CMainFrame* m_frame;
    QString m_file;
    QStringList m_links;
    qsizetype m_next = 0;
    enum class Stage { StartPage, TopicPage, Settling, Done } m_stage = Stage::StartPage;
    QTimer m_deadline;
};
