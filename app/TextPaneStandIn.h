#pragma once

#include <QOpenGLWidget>

class QWidget;

// Holds the topic text pane's place, blank white, until the browser view is made. It draws
// through OpenGL, as the browser view will: a window that gains its first OpenGL child after
// it is shown is made anew by Qt, which drops its maximised state and flickers.
class TextPaneStandIn : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit TextPaneStandIn(QWidget* parent = nullptr);

    // The stand-in for this platform: this class where OpenGL works, else a plain white widget.
    static QWidget* create(QWidget* parent);

protected:
    void paintGL() override;
};
