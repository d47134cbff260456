#pragma once
// Meter readings in words: S-meter, SWR and ALC.

#include "core/panel.h"

namespace vantor {

// Speaks sMeterValue in S units and writes the S-meter field of the top row.
void saySMeter(Panel& p);
// Speaks swrText as units, "point" and tenths.
void saySwr(Panel& p);
// Speaks alcPeak as its raw number.
void sayAlc(Panel& p);

}  // namespace vantor
