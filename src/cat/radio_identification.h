#pragma once
#include "core/panel.h"

namespace vantor {

// Runs once, at the radio's first frequency reply: learns the model from its
// "ID" reply, sets the repeater shifts in the radio's menu, brings the radio
// and the panel into a known condition, reads back the settings the panel
// mirrors, and opens the bridge port.
void identifyRadio(Panel& p);

}  // namespace vantor
