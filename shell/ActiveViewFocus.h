#pragma once

#include <functional>

class QEvent;
class QWidget;

// Enter and Esc inside the floating windows (panels, palette, loading window) give the
// keyboard focus back to the main window's active view. The main frame installs the handler
// that knows which view is active; without one, the focus goes back to the main window's
// last focused widget.
namespace ActiveViewFocus {

void setHandler(std::function<void()> handler);
void restore();

// The one Enter/Esc rule of the floating windows: Enter (either key) and Esc pressed in
// `window`, or in a widget inside it that leaves the key alone, give the focus back instead
// of reaching the window (a dialog would close on Esc or press its default button on Enter).
// With EscKey::Swallowed, Esc does nothing at all (the loading window stays until its load
// ends).
enum class EscKey { HandsBack, Swallowed };
void takeEnterAndEsc(QWidget* window, EscKey esc = EscKey::HandsBack);
// The same rule for an event filter of one's own: true when the event was such a key press
// and has been dealt with.
bool handleEnterOrEsc(const QEvent* event, EscKey esc = EscKey::HandsBack);

} // namespace ActiveViewFocus

// Floating windows that take Enter and Esc themselves (panels, media windows): the main
// frame's own keys leave them alone while the focus is inside one.
namespace ActiveViewFocus {

void markFloating(QWidget* window);
bool isInsideFloating(const QWidget* widget);

} // namespace ActiveViewFocus
