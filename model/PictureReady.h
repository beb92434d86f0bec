#pragma once

#include <QObject>

#include <atomic>

// Tells the views that a picture decode made on the thread pool for drawing is ready: they
// repaint, and the picture then draws it (see PictureImage::setDrawingWithoutDecoding).
// Lives on the thread that shows the windows; any thread may notify.
class PictureReady : public QObject {
    Q_OBJECT
public:
    // Made on first use, which must be on the windows' thread.
    static PictureReady& instance();
    // Safe from any thread: prepared() is emitted on the windows' thread.
    void notify();

signals:
    void prepared();

private:
    PictureReady() = default;
    // A burst of decodes finishing posts one event, not one each: the views repaint once.
    std::atomic<bool> m_posted{false};
};
