#include "ActiveViewFocus.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QVariant>

namespace {

std::function<void()>& handler() {
    static std::function<void()> h;
    return h;
}

QMainWindow* mainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* main = qobject_cast<QMainWindow*>(w); main && main->isVisible())
            return main;
    return nullptr;
}

class EnterEscFilter : public QObject {
public:
    EnterEscFilter(QObject* window, ActiveViewFocus::EscKey esc) : QObject(window), m_esc(esc) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        return watched == parent() && ActiveViewFocus::handleEnterOrEsc(event, m_esc);
    }

private:
    ActiveViewFocus::EscKey m_esc;
};

} // namespace

namespace ActiveViewFocus {

void setHandler(std::function<void()> h) {
    handler() = std::move(h);
}

void restore() {
    if (handler()) {
        handler()();
        return;
    }
    QMainWindow* main = mainWindow();
    if (!main)
        return;
    main->activateWindow();
    QWidget* target = main->focusWidget() ? main->focusWidget() : main->centralWidget();
    if (target)
        target->setFocus(Qt::OtherFocusReason);
}

void takeEnterAndEsc(QWidget* window, EscKey esc) {
    if (window)
        window->installEventFilter(new EnterEscFilter(window, esc));
}

bool handleEnterOrEsc(const QEvent* event, EscKey esc) {
    if (event->type() != QEvent::KeyPress)
        return false;
    switch (static_cast<const QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        restore();
        return true;
    case Qt::Key_Escape:
        if (esc == EscKey::HandsBack)
            restore();
        return true;
    default:
        return false;
    }
}

} // namespace ActiveViewFocus

namespace {
const char* const kFloatingProperty = "tmFloatingWindow";
}

namespace ActiveViewFocus {

void markFloating(QWidget* window) {
    if (window)
        window->setProperty(kFloatingProperty, true);
}

bool isInsideFloating(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->property(kFloatingProperty).toBool())
            return true;
    return false;
}

} // namespace ActiveViewFocus
