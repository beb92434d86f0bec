#pragma once

#include <functional>

// Enter and Esc inside the floating windows (panels, palette, loading window) give the
// keyboard focus back to the main window's active view. The main frame installs the handler
// that knows which view is active; without one, the focus goes back to the main window's
// last focused widget.
namespace ActiveViewFocus {

void setHandler(std::function<void()> handler);
void restore();

} // namespace ActiveViewFocus
