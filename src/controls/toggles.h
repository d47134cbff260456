#pragma once
// Features switched by one key each: the operator hears the feature and its
// new state, then the command goes to the radio and the feature row is redrawn.
// The preamp, the blanker, noise reduction and the processor hand the level
// keys (levelTarget) to themselves when switched on and take them back when
// switched off.

#include <string>

#include "core/panel.h"

namespace vantor {

// The set* operations put a switch where the key would leave it, with the same
// words and level keys; `tellRadio` false when the radio already has it (a
// program sharing the radio set it).
void togglePreamp(Panel& p);
void setPreamp(Panel& p, int amplifier, bool tellRadio);  // 0 off, 1 or 2
// The preamp column of band and channel rows: "0" off, "1" the first
// amplifier, "2" the second (files written before AMP2 was kept hold "1").
// Leaves the preamp as a band row's column asks (anything else is off),
// announced as the toggle announces it.
void setPreampFromRow(Panel& p, const std::string& row);
// The same from a channel row's column, without a word.
void restorePreamp(Panel& p, char column);
// The column that keeps the preamp as it is now.
char preampColumn(const Panel& p);
void toggleAttenuator(Panel& p);  // refused above 6 m
void setAttenuator(Panel& p, bool on, bool tellRadio);
void toggleNoiseBlanker(Panel& p);  // reads back the blanker level
void setNoiseBlanker(Panel& p, bool on, bool tellRadio);
void toggleNoiseReduction(Panel& p);  // reads back the reduction level
void setNoiseReduction(Panel& p, bool on, bool tellRadio);
void toggleProcessor(Panel& p);  // reads back the processor level; none on model 241
void setProcessor(Panel& p, bool on, bool tellRadio);
// The radios switched and asked with "PR1"/"PR0"/"PR" instead of "PR01"/"PR00"/"PR0".
bool hasShortProcessorCommand(const Panel& p);
void toggleBreakIn(Panel& p);
void toggleVox(Panel& p);
void setVox(Panel& p, bool on, bool tellRadio);
void toggleNotch(Panel& p);

}  // namespace vantor
