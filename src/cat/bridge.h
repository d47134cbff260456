#pragma once
#include "core/panel.h"

namespace vantor {

// Serves the bridge port, where another program speaks the radio's own CAT:
// every complete command it has written goes to the radio at once, in turn
// with everybody else, and the radio's answers to it go back. What the panel
// must learn from the traffic is left in sharedNews.
void serveBridge(Panel& p);

}  // namespace vantor
