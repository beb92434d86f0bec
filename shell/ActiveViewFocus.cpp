#include "ActiveViewFocus.h"

#include <QApplication>
#include <QMainWindow>

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
