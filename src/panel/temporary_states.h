#pragma once
// What the panel has the radio do for a moment: a transmission (space), a
// tune (T), keyer mode (K) and microphone-gain metering (F11). However the
// moment ends (its own key, Q, the close request, the radio's port going and
// coming back), the radio is left as the operator had it.

#include "core/panel.h"

namespace vantor {

// Ends each of them still running as its own key would: the carrier goes
// down, and power, mode, break-in, tuner setting, tone and shift come back.
void endTemporaryStates(Panel& p);

}  // namespace vantor
