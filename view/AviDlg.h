#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "MediaWindow.h"

class MediaHost;
class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;
class QVideoFrame;
class QVideoSink;

// The clip's own window inside AviDlg: the video picture, as large as the zoom rule says.
// Frames come from the player's video sink and are painted here, so the clip is an ordinary
// child widget over the preview (no native window) and a grab shows it.
class ClipPicture : public QWidget {
    Q_OBJECT
public:
    explicit ClipPicture(QWidget* parent);
    ~ClipPicture() override;
    QVideoSink* sink() const { return m_sink; }
    QSize frameSize() const { return m_frame.size(); }
    int framesShown() const { return m_frames; }

signals:
    void firstFrame(QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void take(const QVideoFrame& frame);

    QVideoSink* m_sink = nullptr;
    QImage m_frame;
    int m_frames = 0;
};

// A child widget of the preview that holds a video clip with its own play bar (play/pause,
// position, time). The clip waits until its play button is pressed. When it cannot play
// (missing file, refused name, no decoder), the picture beneath stays and a note says why.
class AviDlg : public MediaWindow {
    Q_OBJECT
public:
    AviDlg(QWidget* preview, MediaHost& host, const QString& contentFolder);
    ~AviDlg() override;

    void open(const QString& name); // "aviName"; not started until its play button is pressed
    void stop();
    // Blanked: hidden and paused; afterwards shown, and playing again if it played.
    void setBlanked(bool on) override;

    // Percent of the clip's own size at which it is shown: the window's width × 100 / 1024,
    // rounded (a window 512 pixels wide shows it at 50 %).
    static int zoomPercent(int windowWidth);

    // How long a clip may take to open before it counts as unplayable (ms).
    static constexpr int kLoadTimeoutMs = 10000;

    QMediaPlayer* player() const { return m_player; }
    QVideoSink* videoSink() const;
    QToolButton* playButton() const { return m_playButton; }
    ClipPicture* picture() const { return m_picture; }
    int volume() const { return m_volume; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool clickInput(QWidget* receiver, const QMouseEvent& event) override;

private:
    void layoutClip();
    void showNote(const QString& text);
    void togglePlay();
    void updateBar();

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;
    QWidget* m_clip = nullptr; // picture + bar, at the window's upper left
    ClipPicture* m_picture = nullptr;
    QWidget* m_bar = nullptr;
    QToolButton* m_playButton = nullptr;
    QSlider* m_position = nullptr;
    QLabel* m_time = nullptr;
    QSize m_clipSize; // the clip's own size, once known
    QTimer m_updateTimer;
    QTimer m_loadTimer;
    int m_volume = 0;
    bool m_playAfterBlank = false;
};
