#pragma once
// The keys that change or read out the frequency of VFO A: the typed entry
// (E, digits, point, Enter), the step keys with the FM squelch, and F.

#include "core/panel.h"

namespace vantor {

void startFrequencyEntry(Panel& p);  // E
void frequencyPoint(Panel& p);       // the point after the megahertz
void frequencyEnter(Panel& p);       // Enter ends the entry and tunes the radio
// +, -, PgUp, PgDn, right and left; false for any other key. True also when
// the key set the FM squelch instead, which ends the key's handling.
bool stepFrequency(Panel& p, bool& squelchSet);
void frequencyReadout(Panel& p);  // F, and X then F
bool isFrequencyStepKey(int code);

}  // namespace vantor
