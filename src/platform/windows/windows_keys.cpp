#include "platform/windows/windows_keys.h"

#include <imm.h>

namespace vantor {

namespace {

constexpr LPARAM kExtendedKey = 1 << 24;

int scanCodeOf(LPARAM flags) { return static_cast<int>((flags >> 16) & 0xFF); }

// With NumLock off (or Shift held) the keypad sends the cursor keys' codes;
// unlike the separate cursor block its keys are not extended, and their scan
// codes say which key it was.
int keypadKeyAt(int scanCode) {
    switch (scanCode) {
    case 0x47: return VK_NUMPAD7;
    case 0x48: return VK_NUMPAD8;
    case 0x49: return VK_NUMPAD9;
    case 0x4B: return VK_NUMPAD4;
    case 0x4C: return VK_NUMPAD5;
    case 0x4D: return VK_NUMPAD6;
    case 0x4F: return VK_NUMPAD1;
    case 0x50: return VK_NUMPAD2;
    case 0x51: return VK_NUMPAD3;
    case 0x52: return VK_NUMPAD0;
    case 0x53: return VK_DECIMAL;
    default: return 0;
    }
}

bool isKeypadNavigation(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_HOME: case VK_UP: case VK_PRIOR: case VK_LEFT: case VK_CLEAR: case VK_RIGHT:
    case VK_END: case VK_DOWN: case VK_NEXT: case VK_INSERT: case VK_DELETE:
        return true;
    default:
        return false;
    }
}

}  // namespace

int panelKey(HWND window, WPARAM virtualKey, LPARAM flags) {
    // An input method that still holds the key: the key it was.
    if (virtualKey == VK_PROCESSKEY) {
        virtualKey = ::ImmGetVirtualKey(window);
        if (virtualKey == 0 || virtualKey == VK_PROCESSKEY)
            virtualKey = ::MapVirtualKeyW(static_cast<UINT>(scanCodeOf(flags)), MAPVK_VSC_TO_VK);
    }
    if ((flags & kExtendedKey) == 0 && isKeypadNavigation(virtualKey))
        if (const int keypad = keypadKeyAt(scanCodeOf(flags))) return keypad;
    switch (virtualKey) {
    // The keypad's + and - do what the main keyboard's do.
    case VK_ADD:
        return VK_OEM_PLUS;
    case VK_SUBTRACT:
        return VK_OEM_MINUS;
    default:
        return static_cast<int>(virtualKey);
    }
}

}  // namespace vantor
