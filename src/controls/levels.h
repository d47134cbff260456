#pragma once
#include "core/panel.h"

namespace vantor {

// "SH0" + widthCode in two digits, clamped to the range of the mode
// (9..21 in sideband, 1..12 in CW) and remembered per mode group; "max" and
// "min" are said at the ends unless the width is re-sent quietly.
void sendWidth(Panel& p);
// "PC" + powerWatts in three digits.
void sendPower(Panel& p);

}  // namespace vantor
