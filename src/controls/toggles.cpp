#include "controls/toggles.h"

#include "cat/transport.h"
#include "display/status_window.h"
#include "speech/say.h"

namespace vantor {

// Callers that need a given preamp state set preampOn to the opposite value
// (and preampLevel to the amplifier they want) and toggle.
void togglePreamp(Panel& p) {
    say(p, "preamp");
    if (p.preampOn == 0) {
        p.levelTarget = 1;
        say(p, "on");
        p.commandText = p.preampLevel < 2 ? "PA01" : "PA02";
        p.preampOn = 1;
    } else {
        say(p, "off");
        p.commandText = "PA00";
        p.preampOn = 0;
        p.preampLevel = 0;
        if (p.levelTarget == 1) p.levelTarget = 0;
    }
    send(p);
    showFeatures(p);
}

}  // namespace vantor
