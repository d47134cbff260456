#pragma once
// Serial ports whose device may go away and come back: the radio switched off,
// a USB adapter unplugged or reset. A lost port is closed and opened again
// once a second; the radio counts as back when it answers the poll's
// frequency query, and is then connected again as at start-up. The bridge
// port is watched the same way, without a word.

#include "core/panel.h"

namespace vantor {

// Opens the radio's port; one that is not there yet is tried again once a second.
void openRadioPort(Panel& p);
// Opens the bridge port; one that is not there yet is tried again once a second.
void openBridgePort(Panel& p);
// At every tick: closes a port whose device has gone, saying so for the
// radio's, and tries the lost ones again when their second is up.
void watchPorts(Panel& p);
// True while the radio's port is lost or the radio has not answered since it came back.
bool radioAway(const Panel& p);
// The radio has answered a frequency query: a radio coming back is said
// back, and a transmission it was left in is ended.
void radioAnswered(Panel& p);

}  // namespace vantor
