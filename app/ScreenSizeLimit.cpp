#include "ScreenSizeLimit.h"

#include "PaneLayout.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

ScreenSizeLimit::ScreenSizeLimit(QWidget& window) : QObject(&window), m_window(window) {}

void ScreenSizeLimit::watch() {
    QWindow* window = m_window.windowHandle();
    if (window && !m_watching) {
        m_watching = true;
        const auto follow = [this](QScreen* s) {
            if (s)
                connect(s, &QScreen::geometryChanged, this, &ScreenSizeLimit::apply,
                        Qt::UniqueConnection);
        };
        connect(window, &QWindow::screenChanged, this, [this, follow](QScreen* s) {
            apply();
            follow(s);
        });
        follow(window->screen());
    }
    apply();
}

void ScreenSizeLimit::apply() {
    if (const QScreen* s = m_window.screen())
        m_window.setMaximumSize(frameSizeLimit(s->size()));
}
