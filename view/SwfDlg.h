#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include "MediaWindow.h"

class MediaHost;
class QWebEngineView;

// A child widget of the preview that plays a Flash movie: Ruffle's web build in a browser
// view, page, player and movie all from local files, with no network. The movie never sees
// a click (a click steps the preview); when the movie cannot play, the picture beneath stays
// and a note over it says what is missing.
class SwfDlg : public MediaWindow {
    Q_OBJECT
public:
    SwfDlg(QWidget* preview, MediaHost& host, const QString& contentFolder);
    ~SwfDlg() override;

    void play(const QString& name); // "swfNameMy", relative to the content folder
    // Blanked: hidden, the movie paused and silent; afterwards shown and playing again.
    void setBlanked(bool on) override;

    // Where Ruffle's web build (ruffle.js and its .wasm) is looked for: the folder "ruffle"
    // beside the executable, unless set.
    static QString playerFolder();
    static void setPlayerFolder(const QString& folder);

    bool isRunning() const { return m_running; }
    QWebEngineView* view() const { return m_view; }

    // How long the player may take to start a movie before it counts as failed (ms).
    static constexpr int kStartTimeoutMs = 15000;

signals:
    void started();      // the player runs the movie
    void movieClicked(); // the movie saw a click (never, by design)

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool clickInput(QWidget* receiver, const QMouseEvent& event) override;

private:
    void showNote(const QString& text);
    void playerMessage(const QString& message);

    QWebEngineView* m_view = nullptr;
    bool m_running = false;
    QTimer m_startTimer;
};
