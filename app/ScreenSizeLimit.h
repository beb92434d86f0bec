#pragma once

#include <QObject>

class QWidget;

// Keeps a window's largest size to what the screen it is on allows (PaneLayout's limit), as
// the window moves to another screen or its screen changes resolution: a projector plugged in
// later must not leave the window unable to fill its screen.
class ScreenSizeLimit : public QObject {
    Q_OBJECT
public:
    explicit ScreenSizeLimit(QWidget& window);

    // Once the window has its native window (after it was first shown); then at every show.
    void watch();

private:
    void apply();

    QWidget& m_window;
    bool m_watching = false;
};
