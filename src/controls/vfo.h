#pragma once
#include <string>

#include "core/panel.h"
#include "core/radio_picture.h"

namespace vantor {

// "FA" + vfoAFrequency in nine digits. While no frequency is known (the radio
// has not answered yet) nothing is sent: it would tune the radio to 0 Hz.
void sendVfoAFrequency(Panel& p);
// Moves the working frequency by `hertz`; a step below 1 Hz or past the nine
// digits of a frequency command is not taken.
void stepVfoA(Panel& p, long long hertz);
// The frequency command for a number of hertz: FA014250000.
std::string frequencyCommand(int hertz);

// Sets bandIndex from the working frequency; false when the band row must not
// learn from it (FM on the HF bands, C4FM below 2 m).
bool classifyBand(Panel& p);
// The band row of the working frequency takes the picture's frequencies and mode.
void learnBandRow(Panel& p);
// The band of the frequency that connects the radio keeps it as its VFO A and
// nothing else: its preamp, shift and tone are read back at connection.
void learnStartFrequency(Panel& p);
// Moves VFO A to a whole kilohertz (up in USB, down otherwise) and sends it.
void roundToKilohertz(Panel& p);
// Sets splitOn and tells the radio ("FT3" on, "FT2" off) when it changes: a
// radio left in split would transmit on VFO B while the panel tunes VFO A.
void setSplit(Panel& p, bool on);
// Switches split off; VFO A stays where the radio's receiver is.
void splitOff(Panel& p);

}  // namespace vantor
