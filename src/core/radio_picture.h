#pragma once
// The panel's one picture of where the radio is. It changes in two ways only:
// a command on its way to the radio, whoever sends it (a key, a recall, a band
// change, the shut-down, a program sharing the radio), and an answer of the
// radio to a question asked after the latest change of that value. Display,
// memory and controls read the picture from the record; none keeps a copy.

#include <string>
#include <string_view>

#include "core/panel.h"

namespace vantor {

// Takes a command (with its ";", in the radio's own field width) that is
// being written to the radio into the picture: frequency sets, split, the
// VFO swap and the copy of
// VFO A to VFO B, the mode. A frequency set becomes lastFrequencyCommand, with nine digits.
void takeCommandIntoPicture(Panel& p, std::string_view command);
// A frequency the radio reported for VFO 'A' or 'B', current by the order of
// the conversation, in hertz.
void takeFrequencyIntoPicture(Panel& p, char vfo, int hertz);
// The VFO the panel's frequency keys work on: B in split, else A.
char workingVfo(const Panel& p);
// The picture's frequency of VFO 'A' or 'B', 0 while unknown.
int pictureFrequency(const Panel& p, char vfo);
// "007100000" as "7.100000": whole megahertz without leading zeros.
std::string megahertzTextOf(const std::string& nineDigits);
// The band row of a frequency in whole megahertz; 14 (general coverage) outside the bands.
int bandForMegahertz(int megahertz);
// The panel's mode number (1..7) that the radio's mode command ("MD02")
// selects, 0 for a mode the panel has no name for (data, RTTY, CW reverse).
int modeNumberFor(const Panel& p, std::string_view modeCommand);

}  // namespace vantor
