#pragma once
// Virtual-key codes of the panel's keys, and the answer a key's row gives.

namespace vantor {

namespace key {
inline constexpr int enter = 13, shift = 16, ctrl = 17, space = 32, pageUp = 33, pageDown = 34;
inline constexpr int left = 37, up = 38, right = 39, down = 40, insert = 45, leftWindows = 91;
inline constexpr int digit0 = 48, digit9 = 57, keypad0 = 96, keypad9 = 105, keypadPoint = 110;
inline constexpr int f1 = 112, f9 = 120, f11 = 122, f12 = 123;
inline constexpr int f2 = 113, f3 = 114, f4 = 115, f5 = 116, f6 = 117, f7 = 118, f8 = 119;
inline constexpr int plus = 187, minus = 189, point = 190;
constexpr int letter(char c) { return c; }  // 'A'..'Z' are their own codes
}  // namespace key

inline bool isDigitKey(int code) { return code >= key::digit0 && code <= key::digit9; }

// What happens after a key's row has run: the handling ends, or the key goes
// on to the frequency resend.
enum class KeyOutcome { stop, goOn };

}  // namespace vantor
