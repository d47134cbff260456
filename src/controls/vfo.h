#pragma once
#include "app/panel.h"

namespace vantor {

// "FA" + vfoAFrequency in nine digits. While no frequency is known (the radio
// has not answered yet) nothing is sent: it would tune the radio to 0 Hz.
void sendVfoAFrequency(Panel& p);
// The frequency command for a number of hertz: FA014250000.
std::string frequencyCommand(int hertz);

}  // namespace vantor
