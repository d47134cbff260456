#pragma once
// The descriptor of the display server connection behind an SDL window, kept
// apart so that Xlib's macros stay out of the rest of the window code.

struct SDL_Window;

namespace vantor {

// -1 when the window is not on an X server.
int displayConnection(SDL_Window* window);

}  // namespace vantor
