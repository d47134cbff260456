#pragma once
// The up and down keys: what they change is chosen by keyPrefix (and, under
// the level prefix, by levelTarget). Every value is kept within its range
// before it goes to the radio; "max" and "min" tell the operator an end is
// reached.

#include <string>

#include "core/panel.h"

namespace vantor {

void levelUp(Panel& p);
void levelDown(Panel& p);

// The width command + widthCode in two digits, clamped to the range of the mode
// (9..21 in sideband, 1..12 in CW) and remembered per mode group; "max" and
// "min" are said at the ends unless the width is re-sent quietly.
void sendWidth(Panel& p);
// The width command of the panel's radio (see setting_commands.h).
std::string widthCommand(const Panel& p);
// "PC" + powerWatts in three digits.
void sendPower(Panel& p);
// "RG0" + rfGain in three digits; "min" when the gain is off.
void sendRfGain(Panel& p);
// "AG0" + afGain in three digits.
void sendAfGain(Panel& p);
// "MG" + micGainValue in three digits.
void sendMicGain(Panel& p);
// "KS" + keyerSpeed in three digits.
void sendKeyerSpeed(Panel& p);
// Asks the radio for the processor level ("PL") and redraws the feature row.
void readProcessorLevel(Panel& p);

// Sends `command` and takes from the answer the `count` digits `offset`
// characters after `marker` as `level`, when they are all there and within
// low..high. Anything else (no answer, a short or garbled one, a value the
// radio cannot mean) leaves `level` as it was. True when the value was taken.
bool readLevel(Panel& p, const std::string& command, const std::string& marker, int offset, int count,
               int low, int high, int& level);

// The ranges that depend on the model.
int highestNrLevel(const Panel& p);
int highestProcessorLevel(const Panel& p);

}  // namespace vantor
