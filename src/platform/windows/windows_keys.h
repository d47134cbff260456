#pragma once
// The panel's key codes on Windows are the virtual keys, with the keypad read
// by position: with NumLock off it still types digits and the point, and its
// + and - are the main keyboard's.

#include <windows.h>

namespace vantor {

// The panel's key code for a key message to the window (0: none).
int panelKey(HWND window, WPARAM virtualKey, LPARAM flags);

}  // namespace vantor
