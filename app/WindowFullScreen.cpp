#include "WindowFullScreen.h"

#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

WindowFullScreen::WindowFullScreen(QMainWindow& window) : QObject(&window), m_window(window) {
    if (QWidget* central = window.centralWidget())
        central->installEventFilter(this);
}

void WindowFullScreen::enter(const QList<QWidget*>& aside) {
    m_settling = false;
    m_savedGeometry = m_window.saveGeometry(); // never empty while full screen is on
    m_savedRect = m_window.geometry();
    m_savedState = m_window.windowState() & ~Qt::WindowFullScreen;
    for (QWidget* pane : aside)
        pane->hide();
    m_window.menuBar()->hide();
    m_window.showFullScreen();
    // Without a window manager nobody sizes the window to the screen. The size alone tells:
    // some managers (XWayland's beside weston) do not report the position they gave, and
    // moving a window they made full screen makes it an ordinary window again.
    QTimer::singleShot(300, this, [this] {
        const QScreen* screen = m_window.screen();
        if (isOn() && screen && m_window.size() != screen->size())
            m_window.setGeometry(screen->geometry());
    });
}

void WindowFullScreen::leave(const QList<QWidget*>& aside) {
    m_savedGeometry.clear();
    m_window.menuBar()->show();
    for (QWidget* pane : aside)
        pane->show();
    // The window system's own state first (maximised stays maximised), then the exact
    // rectangle; without a window manager only the rectangle does anything.
    m_window.setWindowState(m_savedState);
    if (!(m_savedState & Qt::WindowMaximized))
        m_window.setGeometry(m_savedRect);
    QTimer::singleShot(300, this, [this] {
        if (!isOn() && m_window.size() != m_savedRect.size())
            m_window.setGeometry(m_savedRect);
    });
    m_settling = true;
    QTimer::singleShot(1000, this, [this] { m_settling = false; });
}

bool WindowFullScreen::eventFilter(QObject* watched, QEvent* event) {
    if (m_settling && event->type() == QEvent::Resize && watched == m_window.centralWidget()) {
        // Once the central widget has handled the resize and has its new size.
        QTimer::singleShot(0, this, [this] {
            if (m_settling && !isOn())
                emit normalLayoutWanted();
        });
    }
    return QObject::eventFilter(watched, event);
}
