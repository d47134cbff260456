#pragma once
// The band rows the panel starts with, before "savmem.dat" is read. Each row:
// split flag, mode digit, "A", VFO A in Hz (9 digits), "B", VFO B in Hz
// (9 digits), tone code (3 digits), preamp ("0" off, "1" AMP1, "2" AMP2). Row 0 is not used.

#include <string>
#include <string_view>

#include "core/panel.h"
#include "core/radio_picture.h"
#include "core/text.h"

namespace vantor {

inline constexpr const char* kBuiltInBandRows[15] = {
    "",
    "01A001900000B0019000009990",  // 1: 160 m
    "01A003600000B0036000009990",  // 2: 80 m
    "02A005400000B0054000009990",  // 3: 60 m
    "01A007100000B0071000009990",  // 4: 40 m
    "03A010100000B0100000009990",  // 5: 30 m
    "02A014200000B0142000009991",  // 6: 20 m
    "02A018100000B0181000009991",  // 7: 17 m
    "02A021200000B0212000009991",  // 8: 15 m
    "02A024890000B0248900009991",  // 9: 12 m
    "02A028500000B0285000009991",  // 10: 10 m
    "02A050150000B0501500009991",  // 11: 6 m
    "05A145000000B1450000009990",  // 12: 2 m
    "05A432000000B4320000009990",  // 13: 70 cm
    "04A009670000B0096700009990",  // 14: broadcast
};

// A band row from a hand-edited memory file could hold anything, and its mode
// and VFO A go to the radio: only a row with a mode digit 1..7 and a VFO A of
// nine digits above 0 Hz is used.
bool isUsableBandRow(std::string_view row);
// Band row `band` (1..14), first replaced by its built-in values when it is not
// usable, with one line on standard error for whoever set up the panel.
const std::string& usableBandRow(Panel& p, int band);

}  // namespace vantor
