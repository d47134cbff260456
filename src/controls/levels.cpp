#include "controls/levels.h"

#include <algorithm>

#include "core/text.h"
#include "cat/setting_commands.h"
#include "cat/transport.h"
#include "controls/tone_repeater.h"
#include "controls/toggles.h"
#include "controls/vfo.h"
#include "display/status_window.h"
#include "speech/say.h"

namespace vantor {

namespace {

bool isSideband(const Panel& p) { return p.currentMode == 1 || p.currentMode == 2; }

// When the operator hears that an end is reached: as soon as the value gets
// there, or only when a step would have gone past it.
enum class EndWord { onReaching, onPassing };

// Moves value by step, kept within low..high, and says "max" or "min" at the
// end it moved towards.
void stepWithin(Panel& p, int& value, int step, int low, int high, EndWord when) {
    const int wanted = value + step;
    value = std::clamp(wanted, low, high);
    const bool passed = wanted < low || wanted > high;
    if (value == (step > 0 ? high : low) && (when == EndWord::onReaching || passed))
        say(p, step > 0 ? "max" : "min");
}

// The tuning steps of the arrows; the key's frequency resend sends the result.
void stepFrequency(Panel& p, bool up) {
    const int step = p.currentMode == 3 ? 500 : 1000;
    stepVfoA(p, up ? step : -step);
}

// Both directions skip the rows above the radio's highest band; up comes to
// general coverage (row 14) after it, then wraps to 160 m.
void stepBand(Panel& p, bool up) {
    const int band = p.bandIndex;
    learnBandRow(p);  // the band being left keeps where the operator was
    p.bandIndex = band;
    const int top = topBandRow(p);
    p.bandIndex += up ? 1 : -1;
    const bool missing = p.bandIndex > top && p.bandIndex < 14;
    if (up) {
        if (missing) p.bandIndex = 14;
        if (p.bandIndex == 14) {
            say(p, "band");
            say(p, "un");
        }
        if (p.bandIndex > 14) p.bandIndex = 1;
    } else if (p.bandIndex < 1 || missing) {
        p.bandIndex = top;
    }
    applyBandRow(p);
}

// In CW the narrow filter goes in below code 11 and out from it.
void stepWidth(Panel& p, bool up) {
    p.widthQuiet = 0;
    p.widthCode += up ? 1 : -1;
    if (p.currentMode == 3 && p.widthCode == (up ? 11 : 10)) send(p, narrowFilterCommand(!up));
    sendWidth(p);
}

// 5 W, then steps of ten up to 100 W, or 200 W on a 200-watt radio.
void stepPower(Panel& p, bool up) {
    const int ceiling = p.powerMaxWatts == 200 ? 200 : 100;
    p.powerWatts += up ? 10 : -10;
    if (up && p.powerWatts == 15) p.powerWatts = 10;
    p.powerWatts = std::clamp(p.powerWatts, 5, ceiling);
    if (up && p.powerWatts == ceiling) say(p, "max");
    sendPower(p);
    if (!up && p.powerWatts == 5) say(p, "min");
}

// Steps of 20 between off and full gain; the last step up goes to 255.
void stepRfGain(Panel& p, bool up) {
    p.rfGain = std::clamp(p.rfGain + (up ? 20 : -20), 0, 255);
    if (p.rfGain > 240) p.rfGain = 255;
    if (p.rfGain < 20) p.rfGain = 0;
    sendRfGain(p);
    if (up && p.rfGain == 255) say(p, "max");
}

void stepAfGain(Panel& p, bool up) {
    p.afGain = std::clamp(p.afGain + (up ? 10 : -10), 0, 250);
    if (up && p.afGain == 250) say(p, "max");
    sendAfGain(p);
}

// Up asks for the second amplifier, down for the first; either way the
// preamp ends on.
void stepPreamp(Panel& p, bool up) {
    say(p, up ? "max" : "min");
    p.preampLevel = up ? 2 : 1;
    p.preampOn = 0;
    togglePreamp(p);
}

// Steps of 100 Hz up to 3200 Hz; below 100 Hz the contour sits at 10 Hz.
void stepContour(Panel& p, bool up) {
    if (up) {
        stepWithin(p, p.contourFrequency, 100, 10, 3200, EndWord::onReaching);
    } else {
        p.contourFrequency = std::min(p.contourFrequency - 100, 3200);
        if (p.contourFrequency < 100) {
            p.contourFrequency = 10;
            say(p, "min");
        }
    }
    if (p.contourState == 1 || p.contourState == 2)
        send(p, (p.contourState == 1 ? "CO01" : "CO03") + zeroPadded(p.contourFrequency, 4));
}

void stepTargetLevel(Panel& p, bool up) {
    const int step = up ? 1 : -1;
    switch (p.levelTarget) {
        case 1:
            stepPreamp(p, up);
            break;
        case 2:
            stepWithin(p, p.nbLevel, step, 0, 10, up ? EndWord::onPassing : EndWord::onReaching);
            send(p, "NL0" + zeroPadded(p.nbLevel, 3));
            break;
        case 3:
            stepWithin(p, p.nrLevel, step, 1, highestNrLevel(p),
                       up ? EndWord::onReaching : EndWord::onPassing);
            send(p, "RL0" + zeroPadded(p.nrLevel, 2));
            break;
        case 4:
            stepContour(p, up);
            break;
        case 5: {
            const int high = highestProcessorLevel(p);
            // The wide range says "max" on reaching its top, the narrow one only past it.
            stepWithin(p, p.processorLevel, 10 * step, 0, high,
                       up && high == 100 ? EndWord::onPassing : EndWord::onReaching);
            send(p, "PL" + zeroPadded(p.processorLevel, 3));
            break;
        }
        default:  // the feature that held the keys is off: nothing changes, and the operator hears so
            say(p, "lev");
            say(p, "na");
            break;
    }
}

void stepLevel(Panel& p, bool up) {
    const int step = up ? 1 : -1;
    switch (p.keyPrefix) {
        case 0:
            stepFrequency(p, up);
            break;
        case 1:
            stepBand(p, up);
            break;
        case 2:
            stepWidth(p, up);
            break;
        case 3:
            stepPower(p, up);
            break;
        case 4:
            stepRfGain(p, up);
            break;
        case 7:
            stepAfGain(p, up);
            break;
        case 10:
            stepTargetLevel(p, up);
            break;
        case 11:
            stepWithin(p, p.keyerSpeed, step, 4, 60, EndWord::onReaching);
            sendKeyerSpeed(p);
            break;
        case 12:
            stepWithin(p, p.micGainValue, step, 0, 100, EndWord::onPassing);
            p.alcPeak = 0;  // a new gain starts a new metering run
            sendMicGain(p);
            break;
        default:
            break;
    }
}

}  // namespace

void levelUp(Panel& p) { stepLevel(p, true); }

void levelDown(Panel& p) { stepLevel(p, false); }

void sendWidth(Panel& p) {
    const bool cw = p.currentMode == 3;
    if (isSideband(p)) {
        p.widthCode = std::clamp(p.widthCode, 9, 21);
        p.ssbWidthCode = p.widthCode;
        if (p.widthCode == 21 && p.widthQuiet == 0) say(p, "max");
        if (p.widthCode == 9 && p.widthQuiet == 0) say(p, "min");
    } else if (cw) {
        p.widthCode = std::clamp(p.widthCode, 1, 12);
        p.cwWidthCode = p.widthCode;
        if (p.widthCode > 11 && p.widthQuiet == 0) say(p, "max");
    } else {
        p.widthCode = std::clamp(p.widthCode, 1, 21);  // the codes the command carries
    }
    if (p.widthCode == 1 && p.widthQuiet == 0) say(p, "min");
    send(p, widthCommand(p) + zeroPadded(p.widthCode, 2));
    p.widthQuiet = 0;
}

std::string widthCommand(const Panel& p) { return widthCommand(p.radioModel); }

void sendPower(Panel& p) { send(p, settingCommand(p.radioModel, RadioSetting::power, p.powerWatts)); }

void sendRfGain(Panel& p) {
    send(p, settingCommand(p.radioModel, RadioSetting::rfGain, p.rfGain));
    if (p.rfGain < 20) say(p, "min");
}

void sendAfGain(Panel& p) { send(p, settingCommand(p.radioModel, RadioSetting::afGain, p.afGain)); }

void sendMicGain(Panel& p) { send(p, settingCommand(p.radioModel, RadioSetting::micGain, p.micGainValue)); }

void sendKeyerSpeed(Panel& p) {
    send(p, settingCommand(p.radioModel, RadioSetting::keyerSpeed, p.keyerSpeed));
}

void readProcessorLevel(Panel& p) {
    readLevel(p, "PL", "PL", 2, 3, 0, highestProcessorLevel(p), p.processorLevel);
    showFeatures(p);
}

bool readLevel(Panel& p, const std::string& command, const std::string& marker, int offset, int count,
               int low, int high, int& level) {
    const auto digits = queryDigits(p, command, marker, offset, count);
    if (!digits) return false;
    const int value = valueOf(*digits);
    if (value < low || value > high) return false;
    level = value;
    return true;
}

int highestNrLevel(const Panel& p) { return p.radioModel == 241 ? 11 : 15; }

int highestProcessorLevel(const Panel& p) { return p.radioModel == 251 || p.radioModel == 362 ? 250 : 100; }

}  // namespace vantor
