#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QRect>

class QMainWindow;
class QWidget;

// The main window in the window system's full-screen state with only the preview in it, and
// back to the state and rectangle it had (also without a window manager, where nobody sizes
// the window). The window's geometry is kept only while full screen is on.
class WindowFullScreen : public QObject {
    Q_OBJECT
public:
    explicit WindowFullScreen(QMainWindow& window);

    bool isOn() const { return !m_savedGeometry.isEmpty(); }
    // aside: the panes that step out of the way (their sizes and scroll positions are kept).
    void enter(const QList<QWidget*>& aside);
    void leave(const QList<QWidget*>& aside);

signals:
    // After leaving, the window system resizes the window later: until the layout settles,
    // every resize of the window's central widget asks for the normal layout again.
    void normalLayoutWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow& m_window;
    QByteArray m_savedGeometry;
    QRect m_savedRect;
    Qt::WindowStates m_savedState;
    bool m_settling = false;
};
