#pragma once

#include <QPointer>
#include <QWidget>

class QScreen;

// Makes a top-level widget fill the screen in the window system's full-screen state; moving
// it to another screen first (on separate X screens the window is made again there).
void showFullScreenOn(QWidget* window, QScreen* screen);

// The projector's window during playback on a second screen: it holds the preview, which
// the main window lends it for the time of the show.
class PlaybackWindow : public QWidget {
    Q_OBJECT
public:
    explicit PlaybackWindow(QWidget* content);
    // Hands the content back: it is then without a parent.
    QWidget* takeContent();
    QWidget* content() const { return m_content; }

signals:
    // The window manager's close: the show should end (the window stays until then).
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<QWidget> m_content;
};
