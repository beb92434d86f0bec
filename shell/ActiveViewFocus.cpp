#include "ActiveViewFocus.h"

#include <QApplication>
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
