#include "panel/temporary_states.h"

#include "panel/level_keys.h"
#include "panel/transmit_keys.h"

namespace vantor {

void endTemporaryStates(Panel& p) {
    endTransmission(p);
    if (p.keyPrefix == 11) endKeyerMode(p);
    if (p.micGainMeter > 0) endMicGainMetering(p);
}

}  // namespace vantor
