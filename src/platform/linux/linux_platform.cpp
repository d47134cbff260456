#include "platform/linux/linux_platform.h"

#include <SDL2/SDL.h>

namespace vantor {

LinuxPlatform::LinuxPlatform() {
    // Our own handlers, before any part of SDL starts, so that a signal
    // reaches the panel as a close request whichever service starts first.
    SdlScreen::catchCloseSignals();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    screen_.watch(serial_);
    screen_.watch(network_);
}

// Each service shuts down the parts of SDL it started.
LinuxPlatform::~LinuxPlatform() = default;

}  // namespace vantor
