#pragma once
#include "core/panel.h"

namespace vantor {

// One 50 ms step of the poll that keeps the panel in step with the radio:
// either the next query goes out, or the answer to the last one is read and
// handed to whatever uses it.
void pollTick(Panel& p);

}  // namespace vantor
