#pragma once
#include "core/panel.h"

namespace vantor {

// One 50 ms step of the poll that keeps the panel in step with the radio:
// every answer the poll is owed goes to its reader, whenever it came, and the
// next question goes once the last one is answered or given up.
void pollTick(Panel& p);

}  // namespace vantor
