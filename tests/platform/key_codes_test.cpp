// The panel's keys, from SDL scancodes. Scancodes are the USB keyboard usage
// numbers, written out here so the table stands on its own.

#include <gtest/gtest.h>

#include "platform/linux/key_codes.h"

namespace vantor {
namespace {

struct KeyCase {
    const char* key;
    int scancode;
    int virtualKey;
};

const KeyCase kKeys[] = {
    {"A", 4, 65},          {"M", 16, 77},         {"Z", 29, 90},
    {"1", 30, 49},         {"5", 34, 53},         {"9", 38, 57},
    {"0", 39, 48},         {"Return", 40, 13},    {"Escape", 41, 27},
    {"Tab", 43, 9},        {"Space", 44, 32},     {"minus", 45, 189},
    {"equals/plus", 46, 187}, {"period", 55, 190}, {"F1", 58, 112},
    {"F6", 63, 117},       {"F12", 69, 123},      {"Insert", 73, 45},
    {"PageUp", 75, 33},    {"PageDown", 78, 34},  {"Right", 79, 39},
    {"Left", 80, 37},      {"Down", 81, 40},      {"Up", 82, 38},
    {"keypad Enter", 88, 13}, {"keypad 1", 89, 97}, {"keypad 9", 97, 105},
    {"keypad 0", 98, 96},  {"keypad period", 99, 110}, {"left Ctrl", 224, 17},
    {"left Shift", 225, 16}, {"left GUI", 227, 91}, {"right Ctrl", 228, 17},
    {"right Shift", 229, 16},
    // Keys the panel does not use are dropped.
    {"Backspace", 42, 0},  {"Caps Lock", 57, 0},  {"F13", 104, 0},
    {"Delete", 76, 0},     {"Home", 74, 0},       {"keypad plus", 87, 0},
    {"left Alt", 226, 0},  {"right Alt", 230, 0}, {"right GUI", 231, 0},
    {"none", 0, 0},        {"negative", -1, 0},   {"beyond the table", 1000, 0},
};

TEST(KeyCodes, EachKeyGivesItsVirtualKey) {
    for (const KeyCase& k : kKeys)
        EXPECT_EQ(virtualKeyFor(k.scancode), k.virtualKey) << k.key << " (scancode " << k.scancode << ")";
}

}  // namespace
}  // namespace vantor
