#pragma once
#include <string>

#include "core/panel.h"

namespace vantor {

// "FA" + vfoAFrequency in nine digits. While no frequency is known (the radio
// has not answered yet) nothing is sent: it would tune the radio to 0 Hz.
void sendVfoAFrequency(Panel& p);
// Moves the working frequency by `hertz`; a step below 1 Hz or past the nine
// digits of a frequency command is not taken.
void stepVfoA(Panel& p, long long hertz);
// The frequency command for a number of hertz: FA014250000.
std::string frequencyCommand(int hertz);
// Nine digits of hertz as the operator reads them: "007100000" gives
// "7.100000", "145500000" gives "145.500000".
std::string megahertzTextOf(const std::string& nineDigits);

// Sets bandIndex from lastFrequencyReply; false when the band row must not
// learn from it (FM on the HF bands, C4FM below 2 m).
bool classifyBand(Panel& p);
// The current band row takes the frequency and mode the radio reports.
void learnBandRow(Panel& p);
// Moves VFO A to a whole kilohertz (up in USB, down otherwise) and sends it.
void roundToKilohertz(Panel& p);
// Sets splitOn and tells the radio ("FT3" on, "FT2" off) when it changes: a
// radio left in split would transmit on VFO B while the panel tunes VFO A.
void setSplit(Panel& p, bool on);
// Switches split off and puts VFO A back where it was.
void splitOff(Panel& p);

}  // namespace vantor
