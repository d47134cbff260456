#pragma once
// Keyboard translation: the panel's key handling works in the virtual-key
// numbers of the platform the design comes from. Letters and the + = - .
// keys follow the label the operator feels on the key (the layout's SDL
// keycode), so Z is Z on a German keyboard and A is A on a French one. The
// digit row, the keypad and the keys without a character (arrows, F-keys,
// Enter, space, modifiers) are read by position (the SDL scancode), so an
// AZERTY number row still types digits and no layout moves them.

namespace vantor {

// The virtual-key code for a key given by its SDL scancode and SDL keycode,
// 0 for a key the panel does not use.
int virtualKeyFor(int sdlScancode, int sdlKeycode);

}  // namespace vantor
