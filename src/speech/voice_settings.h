#pragma once
// The operator's rate and volume for the speech service, kept in "voice.cfg"
// beside vantor.cfg: a line "rate N" and a line "volume N", in the service's
// own ranges. vantor.cfg itself stays as it is.

#include "core/panel.h"

namespace vantor {

inline constexpr const char* kVoiceSettingsFile = "voice.cfg";

// Reads voice.cfg from the working directory into voiceRate and voiceVolume,
// leaving a value already chosen on the command line as it is. A line it
// cannot use is named on standard error and left out; no file is no complaint.
void readVoiceSettings(Panel& p);
// Gives the voice the rate and volume chosen, each brought into its range
// (said on standard error when it had to be).
void applyVoiceSettings(Panel& p);
// X then up or down: one step faster or slower, said at the new rate and kept
// in voice.cfg. Without a voice there is no rate: "not available".
void stepVoiceRate(Panel& p, int direction);

}  // namespace vantor
