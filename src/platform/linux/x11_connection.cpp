#include "platform/linux/x11_connection.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

namespace vantor {

int displayConnection(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11)
        return ConnectionNumber(info.info.x11.display);
#else
    (void)window;
#endif
    return -1;
}

}  // namespace vantor
