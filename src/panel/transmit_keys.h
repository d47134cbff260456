#pragma once
// The keys that key the transmitter: space (transmit), T (tune: the tuner's
// automatic cycle, a low-power carrier, or both), F12 (tuner setting) and S
// (the meter that matters now).

#include "core/panel.h"

namespace vantor {

void transmitKey(Panel& p);  // space
void tuneKey(Panel& p);      // T: the tune starts, or the running one ends
void tunerKey(Panel& p);     // F12: tuner off, on, both
void meterKey(Panel& p);     // S: the SWR while the transmitter is on, else the S-meter
// The panel lets go of the radio: a tune still running ends as at the second
// T, a transmission as at the second space, so the transmitter is never left
// keyed however the run ends.
void endTransmission(Panel& p);
// The radio has been sent "TX1" (by space or by a program sharing the radio).
void transmissionKeyed(Panel& p);
// The radio has been sent "TX0": a transmission begun by space is over.
void transmissionUnkeyed(Panel& p);
// The machine is kept from sleeping by itself exactly while the transmitter
// is keyed or a tune is on; called wherever those may have changed.
void keepAwakeWhileOnAir(Panel& p);

}  // namespace vantor
