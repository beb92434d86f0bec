#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// The pointer of a full-screen view hides once it has rested for a while (the class should
// not watch it) and comes back at its next move, with the cursor the view chooses.
class IdlePointer : public QObject {
    Q_OBJECT
public:
    // restCursor sets the view's cursor again; busy says the pointer is in use (a drag).
    IdlePointer(QWidget& view, int idleMs, std::function<void()> restCursor,
                std::function<bool()> busy);

    void setActive(bool on);
    bool isActive() const { return m_active; }
    void moved();

private:
    QWidget& m_view;
    QTimer m_timer;
    std::function<void()> m_restCursor;
    std::function<bool()> m_busy;
    bool m_active = false;
};
