#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class CMainFrame;

// Renders the main window to a PNG once the start page has loaded (and, with a topic, after
// following the start page's first link whose address contains it), then reports an exit
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
    void followTopic();
    void settleThenShoot();
    void shoot();
    void fail(const QString& reason);

    CMainFrame* m_frame;
    QString m_file;
    QString m_topic;
    enum class Stage { StartPage, TopicPage, Settling, Done } m_stage = Stage::StartPage;
    QTimer m_deadline;
};
