#pragma once
// Keyboard translation: the panel's key handling works in the virtual-key
// numbers of the platform the design comes from; the Linux side reads SDL
// scancodes (key positions), so a keyboard layout never moves a panel key.

namespace vantor {

// The virtual-key code for an SDL scancode, 0 for a key the panel does not use.
int virtualKeyFor(int sdlScancode);

}  // namespace vantor
