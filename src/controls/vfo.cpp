#include "controls/vfo.h"

#include "app/text.h"
#include "cat/transport.h"

namespace vantor {

std::string frequencyCommand(int hertz) { return "FA" + zeroPadded(hertz, 9); }

void sendVfoAFrequency(Panel& p) {
    if (p.vfoAFrequency <= 0) return;
    send(p, frequencyCommand(p.vfoAFrequency));
}

}  // namespace vantor
