#pragma once
// The keys that choose what up and down change (A, R, P, W, L), the keyer
// (K), microphone-gain metering (F11), the feature keys F1 to F8 and the up
// and down keys themselves.

#include "core/panel.h"
#include "panel/keys.h"

namespace vantor {

void afGainKey(Panel& p);       // A
void rfGainKey(Panel& p);       // R
void powerKey(Panel& p);        // P
void widthKey(Panel& p);        // W
void levelKey(Panel& p);        // L: the level of the feature switched on last
KeyOutcome keyerKey(Panel& p);  // K: keyer mode on, or off again
// Keyer mode ends without a word: the mode, break-in, tone and shift come back.
void endKeyerMode(Panel& p);
void micGainKey(Panel& p);  // F11
// The microphone-gain metering started by F11 ends, with the gain spoken.
void endMicGainMetering(Panel& p);
void preampKey(Panel& p);        // F1
void contourKey(Panel& p);       // F6
void processorKey(Panel& p);     // F7
void breakInOrVoxKey(Panel& p);  // F8
void upDownKey(Panel& p);        // up and down

}  // namespace vantor
