#pragma once

#include <QObject>
#include <QPointer>

class OverviewGrid;
class Playback;
class QWidget;

// The overview of a show (G or Tab while playing): every picture of the sequence as a grid
// over the host, the preview on one screen or the presenter view on the teacher's screen, so
// that the projector keeps its picture until the jump. Thumbnails are the copies the strip
// and the lesson row hold already; nothing is decoded. While it is open, playback leaves the
// keys to it.
class ShowOverview : public QObject {
    Q_OBJECT
public:
    explicit ShowOverview(Playback& playback, QObject* parent = nullptr);
    ~ShowOverview() override;

    void open(QWidget* host);
    void close();
    bool isOpen() const { return !m_grid.isNull(); }

private:
    Playback& m_playback;
    QPointer<OverviewGrid> m_grid;
    QPointer<QWidget> m_focusBefore;
};
