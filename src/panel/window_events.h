#pragma once
#include "core/panel.h"

namespace vantor {

// The one handler of the main window: close request, timer tick, key down and key up.
int handleWindowEvent(Panel& p, int message, int parameter);

}  // namespace vantor
