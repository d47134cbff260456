#pragma once
// "savmem.dat" in the working directory keeps the band rows and the 100 memory
// slots between runs. Line 1 is the header (format tag, program version, and
// the band and noise-reduction state), lines 2-15 the band rows 1..14, lines
// 16-115 the memory slots 0..99 ("9" for an empty slot).

#include "core/panel.h"

namespace vantor {

// Writes "savmem.dat" from the tables, then the listing "memory.txt". A write
// that fails leaves the previous file whole, is reported on standard error and
// returns false, so that a store is not confirmed to the operator.
bool saveMemoryFile(Panel& p);

// Reads "savmem.dat" into the tables. A missing file is created from the
// tables in force; a file of the older format is converted, and an unknown one
// replaced, each after a backup copy is kept. When the file cannot be read or
// written, the tables in force stay and one line goes to standard error.
void loadMemoryFile(Panel& p);

}  // namespace vantor
