#pragma once
#include "core/panel.h"

namespace vantor {

// Relays at most one command from the bridge port (another program's CAT
// traffic) to the radio and the radio's answer back. Commands that arrive
// together are relayed one per service, in order.
void serveBridge(Panel& p);

}  // namespace vantor
