#include "panel/level_keys.h"

#include <string>

#include "cat/transport.h"
#include "controls/levels.h"
#include "controls/toggles.h"
#include "controls/tone_repeater.h"
#include "core/text.h"
#include "display/status_window.h"
#include "speech/meter_readouts.h"
#include "speech/say.h"
#include "speech/spoken_values.h"

namespace vantor {

namespace {

bool isSideband(const Panel& p) { return p.currentMode == 1 || p.currentMode == 2; }

// The contour keys send the radio this frequency; the level keys step from it.
constexpr int kContourStartHz = 1200;

}  // namespace

void afGainKey(Panel& p) {
    p.keyPrefix = 7;
    say(p, "af");
}

void rfGainKey(Panel& p) {
    say(p, "rf");
    p.keyPrefix = 4;
}

void powerKey(Panel& p) {
    say(p, "Power");
    p.keyPrefix = 3;
    sayPower(p);
}

// AM and FM have no width to choose; the operator hears so.
void widthKey(Panel& p) {
    if (p.currentMode == 4 || p.currentMode == 5 || p.currentMode == 7) {
        say(p, "bw");
        say(p, "na");
        return;
    }
    p.keyPrefix = 2;
    sayBandwidth(p);
}

void levelKey(Panel& p) {
    static const char* const kTargetNames[] = {"", "preamp", "nb", "nr", "co", "spc"};
    if (p.levelTarget >= 1 && p.levelTarget <= 5) {
        p.keyPrefix = 10;
        say(p, kTargetNames[p.levelTarget]);
    }
    say(p, "lev");
}

// Keyer mode puts the radio in CW with break-in off, so that the operator can
// set the speed by ear on the paddle without going on the air.
KeyOutcome keyerKey(Panel& p) {
    say(p, "ks");
    if (p.keyPrefix == 11) {
        say(p, "off");
        sayKeyerSpeed(p);
        endKeyerMode(p);
        return KeyOutcome::stop;
    }
    p.savedMode = p.currentMode;
    setModeAside(p);
    p.toneShiftBeforeKeyer = toneAndShiftInForce(p);  // CW ends them; the mode that returns brings them back
    p.currentMode = 3;
    showMode(p);
    p.keyPrefix = 11;
    readLevel(p, "KS", "KS", 2, 3, 4, 60, p.keyerSpeed);
    say(p, "on");
    send(p, "BI0");
    sayKeyerSpeed(p);
    return KeyOutcome::goOn;  // the keyer prefix keeps the frequency resend away
}

void endKeyerMode(Panel& p) {
    p.keyPrefix = 0;
    p.currentMode = p.savedMode;
    bringBackModeSetAside(p);
    if (p.breakInOn == 1) send(p, "BI1");
    bringBackToneAndShift(p, p.toneShiftBeforeKeyer);
    p.toneShiftBeforeKeyer = {};
}

// The gain is spoken first; then the poll meters the ALC and speaks its peak
// while up and down change the gain.
void micGainKey(Panel& p) {
    say(p, "micgain");
    p.keyPrefix = 12;
    p.tickCount = 0;
    say(p, "lev");
    readLevel(p, "MG", "MG", 2, 3, 0, 100, p.micGainValue);
    p.alcPeak = p.micGainValue;
    p.micGainMeter = -1;
    sayAlc(p);
    delay(p);
    p.alcPeak = 0;
    p.micGainMeter = 1;
}

void endMicGainMetering(Panel& p) {
    p.micGainMeter = -1;
    say(p, "micgain");
    say(p, "lev");
    p.alcPeak = p.micGainValue;
    sayAlc(p);
    p.micGainMeter = 0;
    p.alcPeak = 0;
    say(p, "off");
}

// Switched on, the preamp takes the level keys; switched off, it gives them
// back only if it held them.
void preampKey(Panel& p) {
    p.preampLevel = 1;
    togglePreamp(p);
}

// Off, contour, peak, off again.
void contourKey(Panel& p) {
    p.levelTarget = 4;
    p.contourFrequency = kContourStartHz;
    std::string command;
    if (p.contourState == 0) {
        p.contourState = 1;
        command = "CO01";
        say(p, "cod");
    } else if (p.contourState == 1) {
        p.contourState = 2;
        command = "CO03";
        say(p, "cop");
    } else {
        command = "CO00";
        p.levelTarget = 0;
        p.keyPrefix = 0;
        say(p, "co");
        say(p, "off");
        p.contourState = 0;
    }
    send(p, command + zeroPadded(kContourStartHz, 4));
}

void processorKey(Panel& p) {
    if (isSideband(p))
        toggleProcessor(p);
    else
        say(p, "na");
}

void breakInOrVoxKey(Panel& p) {
    if (p.currentMode == 3)
        toggleBreakIn(p);
    else
        toggleVox(p);
}

void upDownKey(Panel& p) {
    if (p.keyCode == key::up)
        levelUp(p);
    else
        levelDown(p);
    // The new value, after any "max" or "min", where the panel has words for it.
    if (p.keyPrefix == 2) sayBandwidth(p);
    if (p.keyPrefix == 3) sayPower(p);
    if (p.keyPrefix == 11) sayKeyerSpeed(p);
}

}  // namespace vantor
