#include "controls/levels.h"

#include <algorithm>

#include "core/text.h"
#include "cat/transport.h"
#include "speech/say.h"

namespace vantor {

void sendWidth(Panel& p) {
    const bool sideband = p.currentMode == 1 || p.currentMode == 2;
    const bool cw = p.currentMode == 3;
    if (sideband) {
        p.widthCode = std::clamp(p.widthCode, 9, 21);
        p.ssbWidthCode = p.widthCode;
        if (p.widthCode == 21 && p.widthQuiet == 0) say(p, "max");
        if (p.widthCode == 9 && p.widthQuiet == 0) say(p, "min");
    }
    if (cw) {
        p.widthCode = std::clamp(p.widthCode, 1, 12);
        p.cwWidthCode = p.widthCode;
        if (p.widthCode > 11 && p.widthQuiet == 0) say(p, "max");
    }
    if (p.widthCode == 1 && p.widthQuiet == 0) say(p, "min");
    send(p, "SH0" + zeroPadded(p.widthCode, 2));
    p.widthQuiet = 0;
}

void sendPower(Panel& p) { send(p, "PC" + zeroPadded(p.powerWatts, 3)); }

}  // namespace vantor
