// The panel's keys from the SDL scancode (position) and keycode (label) of a
// press, on the layouts of the operators we know of. Keycodes of characters
// outside ASCII are their Unicode numbers (0xDF is ß).

#include "platform/linux/key_codes.h"

#include <SDL2/SDL_keycode.h>
#include <SDL2/SDL_scancode.h>
#include <gtest/gtest.h>

namespace vantor {
namespace {

struct KeyCase {
    const char* key;
    int scancode;
    int keycode;
    int virtualKey;
};

const KeyCase kKeys[] = {
    // US layout.
    {"US A", SDL_SCANCODE_A, SDLK_a, 65},
    {"US M", SDL_SCANCODE_M, SDLK_m, 77},
    {"US Y", SDL_SCANCODE_Y, SDLK_y, 89},
    {"US Z", SDL_SCANCODE_Z, SDLK_z, 90},
    {"US 1", SDL_SCANCODE_1, SDLK_1, 49},
    {"US 5", SDL_SCANCODE_5, SDLK_5, 53},
    {"US 9", SDL_SCANCODE_9, SDLK_9, 57},
    {"US 0", SDL_SCANCODE_0, SDLK_0, 48},
    {"US =+", SDL_SCANCODE_EQUALS, SDLK_EQUALS, 187},
    {"US minus", SDL_SCANCODE_MINUS, SDLK_MINUS, 189},
    {"US period", SDL_SCANCODE_PERIOD, SDLK_PERIOD, 190},
    {"Return", SDL_SCANCODE_RETURN, SDLK_RETURN, 13},
    {"Escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 27},
    {"Tab", SDL_SCANCODE_TAB, SDLK_TAB, 9},
    {"Space", SDL_SCANCODE_SPACE, SDLK_SPACE, 32},
    {"F1", SDL_SCANCODE_F1, SDLK_F1, 112},
    {"F6", SDL_SCANCODE_F6, SDLK_F6, 117},
    {"F12", SDL_SCANCODE_F12, SDLK_F12, 123},
    {"Insert", SDL_SCANCODE_INSERT, SDLK_INSERT, 45},
    {"PageUp", SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, 33},
    {"PageDown", SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, 34},
    {"Right", SDL_SCANCODE_RIGHT, SDLK_RIGHT, 39},
    {"Left", SDL_SCANCODE_LEFT, SDLK_LEFT, 37},
    {"Down", SDL_SCANCODE_DOWN, SDLK_DOWN, 40},
    {"Up", SDL_SCANCODE_UP, SDLK_UP, 38},
    {"left Ctrl", SDL_SCANCODE_LCTRL, SDLK_LCTRL, 17},
    {"right Ctrl", SDL_SCANCODE_RCTRL, SDLK_RCTRL, 17},
    {"left Shift", SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 16},
    {"right Shift", SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, 16},
    {"left GUI", SDL_SCANCODE_LGUI, SDLK_LGUI, 91},
    // The keypad: digits and point keep codes of their own, + and - step the MHz.
    {"keypad Enter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 13},
    {"keypad 1", SDL_SCANCODE_KP_1, SDLK_KP_1, 97},
    {"keypad 9", SDL_SCANCODE_KP_9, SDLK_KP_9, 105},
    {"keypad 0", SDL_SCANCODE_KP_0, SDLK_KP_0, 96},
    {"keypad period", SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, 110},
    {"German keypad comma", SDL_SCANCODE_KP_PERIOD, SDLK_KP_COMMA, 110},
    {"keypad plus", SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, 187},
    {"keypad minus", SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, 189},
    // German QWERTZ: Y and Z swapped, + and - on keys of their own.
    {"German Z", SDL_SCANCODE_Y, SDLK_z, 90},
    {"German Y", SDL_SCANCODE_Z, SDLK_y, 89},
    {"German +*~", SDL_SCANCODE_RIGHTBRACKET, SDLK_PLUS, 187},
    {"German minus", SDL_SCANCODE_SLASH, SDLK_MINUS, 189},
    {"German period", SDL_SCANCODE_PERIOD, SDLK_PERIOD, 190},
    {"German 1", SDL_SCANCODE_1, SDLK_1, 49},
    {"German sharp s", SDL_SCANCODE_MINUS, 0xDF, 0},
    {"German acute", SDL_SCANCODE_EQUALS, 0xB4, 0},
    {"German u umlaut", SDL_SCANCODE_LEFTBRACKET, 0xFC, 0},
    {"German o umlaut", SDL_SCANCODE_SEMICOLON, 0xF6, 0},
    {"German #", SDL_SCANCODE_BACKSLASH, SDLK_HASH, 0},
    // French AZERTY: A/Q and W/Z swapped, M beside L, the digit row types
    // symbols unshifted but stays the digits.
    {"French A", SDL_SCANCODE_Q, SDLK_a, 65},
    {"French Q", SDL_SCANCODE_A, SDLK_q, 81},
    {"French Z", SDL_SCANCODE_W, SDLK_z, 90},
    {"French W", SDL_SCANCODE_Z, SDLK_w, 87},
    {"French M", SDL_SCANCODE_SEMICOLON, SDLK_m, 77},
    {"French comma", SDL_SCANCODE_M, SDLK_COMMA, 0},
    {"French semicolon", SDL_SCANCODE_COMMA, SDLK_SEMICOLON, 0},
    {"French colon", SDL_SCANCODE_PERIOD, SDLK_COLON, 0},
    {"French 1 (&)", SDL_SCANCODE_1, SDLK_AMPERSAND, 49},
    {"French 2 (e acute)", SDL_SCANCODE_2, 0xE9, 50},
    {"French 6 (-)", SDL_SCANCODE_6, SDLK_MINUS, 54},
    {"French 8 (_)", SDL_SCANCODE_8, SDLK_UNDERSCORE, 56},
    {"French 9 (c cedilla)", SDL_SCANCODE_9, 0xE7, 57},
    {"French 0 (a grave)", SDL_SCANCODE_0, 0xE0, 48},
    {"French )", SDL_SCANCODE_MINUS, SDLK_RIGHTPAREN, 0},
    {"French =+", SDL_SCANCODE_EQUALS, SDLK_EQUALS, 187},
    // Russian: no Latin labels, so the letters stay where they are on US keys.
    {"Russian ef", SDL_SCANCODE_A, 0x444, 65},
    {"Russian short i", SDL_SCANCODE_Q, 0x439, 81},
    {"Russian period", SDL_SCANCODE_SLASH, SDLK_PERIOD, 190},
    {"Russian yu", SDL_SCANCODE_PERIOD, 0x44E, 0},
    // Keys the panel does not use are dropped.
    {"Backspace", SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0},
    {"Caps Lock", SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, 0},
    {"F13", SDL_SCANCODE_F13, SDLK_F13, 0},
    {"Delete", SDL_SCANCODE_DELETE, SDLK_DELETE, 0},
    {"Home", SDL_SCANCODE_HOME, SDLK_HOME, 0},
    {"left Alt", SDL_SCANCODE_LALT, SDLK_LALT, 0},
    {"right Alt", SDL_SCANCODE_RALT, SDLK_RALT, 0},
    {"right GUI", SDL_SCANCODE_RGUI, SDLK_RGUI, 0},
    {"none", SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, 0},
    {"negative", -1, -1, 0},
    {"beyond the table", 1000, 1000, 0},
};

TEST(KeyCodes, EachKeyGivesItsVirtualKey) {
    for (const KeyCase& k : kKeys)
        EXPECT_EQ(virtualKeyFor(k.scancode, k.keycode), k.virtualKey)
            << k.key << " (scancode " << k.scancode << ", keycode " << k.keycode << ")";
}

}  // namespace
}  // namespace vantor
