#pragma once

#include <QString>
#include <QWidget>

class MediaHost;
class MediaNote;
class QMouseEvent;

// What the Flash and the video window share: a child widget of the preview over its
// picture, the note that says why nothing plays, and the input rules common to both (the
// pointer's half reported to the host, a middle double-click asks for full screen, Enter and
// Esc give the keyboard back to the active view). Each kind adds its own click rule.
class MediaWindow : public QWidget {
    Q_OBJECT
public:
    // The note shown over the picture; empty while the medium plays or loads.
    QString note() const { return m_note; }
    // While the preview is blanked: hidden and paused; afterwards shown and running again.
    virtual void setBlanked(bool on) = 0;

signals:
    void noteShown(const QString& note);
    // Queued: the toggle deletes this window, which must not happen inside its own handler.
    void fullScreenRequested();

protected:
    // video: the pointer's half counts only while the host plays (the clip's play bar is used
    // outside playback too).
    MediaWindow(QWidget* preview, MediaHost& host, const QString& contentFolder, bool video);

    // Shows text over the picture (an empty text hides the note) and reports it.
    void setNote(const QString& text);
    void clearNote();
    // A mouse press, release or double-click not taken by the shared rules: true consumes it.
    virtual bool clickInput(QWidget* receiver, const QMouseEvent& event) = 0;

    MediaHost& m_host;
    const QString m_contentFolder;
    QString m_name;
    MediaNote* m_noteLabel = nullptr;

private:
    bool input(QWidget* receiver, QEvent* event);

    const bool m_video;
    QString m_note;
};
