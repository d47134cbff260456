#include "platform/linux/key_codes.h"

#include <SDL2/SDL_keycode.h>
#include <SDL2/SDL_scancode.h>

namespace vantor {

namespace {

constexpr int kPlusKey = 187;
constexpr int kMinusKey = 189;
constexpr int kPointKey = 190;

// Keys read by position: the same on every layout.
struct PositionKey {
    SDL_Scancode scancode;
    int virtualKey;
};

constexpr PositionKey kPositionKeys[] = {
    {SDL_SCANCODE_0, '0'},  // the main-row 0 sits after 9 in the scancode order
    {SDL_SCANCODE_KP_0, 96},
    {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_KP_PLUS, kPlusKey},
    {SDL_SCANCODE_KP_MINUS, kMinusKey},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_ESCAPE, 27},
};

// Keys read by their label.
struct LabelKey {
    SDL_Keycode keycode;
    int virtualKey;
};

constexpr LabelKey kLabelKeys[] = {
    {SDLK_EQUALS, kPlusKey},  // the US "=+" key
    {SDLK_PLUS, kPlusKey},    // the German "+*~" key
    {SDLK_MINUS, kMinusKey},
    {SDLK_PERIOD, kPointKey},
};

int byPosition(int scancode) {
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return 97 + (scancode - SDL_SCANCODE_KP_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return 112 + (scancode - SDL_SCANCODE_F1);
    for (const PositionKey& key : kPositionKeys)
        if (key.scancode == scancode) return key.virtualKey;
    return 0;
}

int byLabel(int keycode) {
    if (keycode >= SDLK_a && keycode <= SDLK_z) return 'A' + (keycode - SDLK_a);
    for (const LabelKey& key : kLabelKeys)
        if (key.keycode == keycode) return key.virtualKey;
    return 0;
}

bool isAsciiCharacter(int keycode) { return keycode >= SDLK_SPACE && keycode < SDLK_DELETE; }

}  // namespace

int virtualKeyFor(int sdlScancode, int sdlKeycode) {
    if (const int key = byPosition(sdlScancode)) return key;
    if (const int key = byLabel(sdlKeycode)) return key;
    // A Cyrillic or Greek layout has no Latin label on the letter keys; those
    // keys keep their position so the operator still has every panel letter.
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z && !isAsciiCharacter(sdlKeycode))
        return 'A' + (sdlScancode - SDL_SCANCODE_A);
    return 0;
}

}  // namespace vantor
