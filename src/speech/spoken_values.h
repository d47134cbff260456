#pragma once
// Sentences for the values the operator asks for: each is a fixed sequence
// of clips read from the panel state.

#include "core/panel.h"

namespace vantor {

void sayMode(Panel& p);        // "usb.wav"; silent while a memory channel is in use
void sayFrequency(Panel& p);   // "1", "4", "point", "2", "5", "mhz"; "nc" while none is known
void sayBandwidth(Panel& p);   // "bw" and the filter width in kHz (sideband) or Hz
void sayPower(Panel& p);       // the digits of powerWatts, "watts"
void sayBand(Panel& p);        // "40", "metres"; "un" for general coverage
void sayKeyerSpeed(Panel& p);  // the digits of keyerSpeed, "wpm"

}  // namespace vantor
