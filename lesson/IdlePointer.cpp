#include "IdlePointer.h"

#include <QWidget>

IdlePointer::IdlePointer(QWidget& view, int idleMs, std::function<void()> restCursor,
                         std::function<bool()> busy)
    : QObject(&view), m_view(view), m_restCursor(std::move(restCursor)), m_busy(std::move(busy)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(idleMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_active && !m_busy())
            m_view.setCursor(Qt::BlankCursor);
    });
}

void IdlePointer::setActive(bool on) {
    m_active = on;
    if (on)
        m_timer.start();
    else
        m_timer.stop();
}

void IdlePointer::moved() {
    if (!m_active)
        return;
    if (m_view.cursor().shape() == Qt::BlankCursor)
        m_restCursor();
    m_timer.start();
}
