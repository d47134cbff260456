#pragma once
// "memory.txt": the occupied memory slots in plain words, bank by bank, for a
// sighted helper or a braille display.

#include "core/panel.h"

namespace vantor {

// Rewrites "memory.txt" from the memory table. A failure goes to standard error.
void writeMemoryListing(Panel& p);

}  // namespace vantor
