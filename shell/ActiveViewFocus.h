#pragma once

#include <functional>

class QWidget;

// Enter and Esc inside the floating windows (panels, palette, loading window) give the
// keyboard focus back to the main window's active view. The main frame installs the handler
// that knows which view is active; without one, the focus goes back to the main window's
// last focused widget.
namespace ActiveViewFocus {

void setHandler(std::function<void()> handler);
void restore();

} // namespace ActiveViewFocus

// Floating windows that take Enter and Esc themselves (panels, media windows): the main
// frame's own keys leave them alone while the focus is inside one.
namespace ActiveViewFocus {

void markFloating(QWidget* window);
bool isInsideFloating(const QWidget* widget);

} // namespace ActiveViewFocus
