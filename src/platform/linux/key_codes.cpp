#include "platform/linux/key_codes.h"

#include <SDL2/SDL_scancode.h>

namespace vantor {

namespace {

struct KeyPair {
    SDL_Scancode scancode;
    int virtualKey;
};

constexpr KeyPair kSingleKeys[] = {
    {SDL_SCANCODE_0, 48},  // the main-row 0 sits after 9 in the scancode order
    {SDL_SCANCODE_KP_0, 96},
    {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_ESCAPE, 27},
};

}  // namespace

int virtualKeyFor(int sdlScancode) {
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z)
        return 'A' + (sdlScancode - SDL_SCANCODE_A);
    if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9)
        return '1' + (sdlScancode - SDL_SCANCODE_1);
    if (sdlScancode >= SDL_SCANCODE_KP_1 && sdlScancode <= SDL_SCANCODE_KP_9)
        return 97 + (sdlScancode - SDL_SCANCODE_KP_1);
    if (sdlScancode >= SDL_SCANCODE_F1 && sdlScancode <= SDL_SCANCODE_F12)
        return 112 + (sdlScancode - SDL_SCANCODE_F1);
    for (const KeyPair& key : kSingleKeys)
        if (key.scancode == sdlScancode) return key.virtualKey;
    return 0;
}

}  // namespace vantor
