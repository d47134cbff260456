#include "panel/vfo_keys.h"

#include "cat/transport.h"
#include "controls/tone_repeater.h"
#include "controls/vfo.h"
#include "core/text.h"
#include "display/status_window.h"
#include "speech/say.h"
#include "speech/spoken_values.h"

namespace vantor {

namespace {

std::string& currentBandRow(Panel& p) { return p.bandTable[static_cast<std::size_t>(p.bandIndex)]; }

void splitOn(Panel& p) {
    say(p, "split");
    // VFO B starts where VFO A is now: the picture follows the dial and the
    // programs sharing the radio, the panel's own last command may not.
    const int vfoA = p.picture.vfoA > 0 ? p.picture.vfoA : p.vfoAFrequency;
    p.splitSavedText = "A" + zeroPadded(vfoA, 9);
    send(p, "FT3");
    std::string& row = currentBandRow(p);
    // The row keeps its layout: the letter and digits replace "B" and VFO B.
    if (p.externalCommand != 1 && row.size() >= 22 && p.splitSavedText.size() == 10)
        row.replace(12, 10, p.splitSavedText);
    send(p, "F" + p.splitSavedText);  // goes out as FB: VFO B starts where VFO A is
}

}  // namespace

void splitKey(Panel& p) {
    // Split that is on always goes off, wherever VFO B has moved meanwhile.
    if (p.splitOn == 1) {
        p.keyPrefix = 0;
        splitOff(p);
        say(p, "split");
        say(p, "off");
        return;
    }
    if (p.bandIndex == 14) {
        say(p, "split");
        say(p, "invalid");
        return;
    }
    p.keyPrefix = 0;
    if (p.bandIndex > 9 && p.currentMode >= 5 && p.currentMode <= 7) {
        toggleRepeater(p);  // on the FM bands V is the repeater shift
        return;
    }
    p.splitOn = 1;
    splitOn(p);
}

void zeroKey(Panel& p) {
    say(p, "0");
    say(p, "ok");
    if (p.currentMode == 3)
        send(p, "ZI");  // the radio zeroes in on the CW signal itself
    else
        roundToKilohertz(p);
}

void extendedPrefixKey(Panel& p) {
    say(p, "extcm");
    if (p.keyPrefix == 14) {
        p.keyPrefix = 0;
        say(p, "off");
    } else {
        p.keyPrefix = 14;
        say(p, "on");
    }
}

void agcKey(Panel& p) {
    static const char* const kSpeeds[] = {"", "fast", "mid", "slow"};
    if (p.agcStep < 1 || p.agcStep > 3) p.agcStep = 2;  // an odd reply from the radio
    send(p, "GT0" + std::to_string(p.agcStep));
    say(p, "agc");
    say(p, kSpeeds[p.agcStep]);
    p.agcStep = p.agcStep % 3 + 1;
}

void vfoSwapKey(Panel& p) {
    say(p, "swop");
    if (p.repeaterOn == 1) {  // VFO B holds the shift, not a frequency to swap to
        say(p, "na");
        p.keyPrefix = 0;
        return;
    }
    learnBandRow(p);  // the band left keeps where the operator was
    send(p, "SV");
    // The panel may never have heard VFO B (outside split nobody asks for
    // it), and some radios swap more than the two frequencies: the new
    // working frequency is read back before the next key can step from it.
    query(p, "FA");
    const int at = findPos(p.replyText, std::string("F") + workingVfo(p));
    p.replyText = at > 0 ? mid(p.replyText, at, 12) : "";
    if (takeFrequencyReply(p, p.replyText)) showFrequencyReply(p);
    p.keyPrefix = 0;
}

void fmWidthKey(Panel& p) {
    if (p.currentMode == 5) {
        p.currentMode = 7;
        p.fmWide = 1;
    } else if (p.currentMode == 7) {
        p.currentMode = 5;
        p.fmWide = 0;
    }
    showMode(p);
    sayMode(p);
    p.keyPrefix = 0;
}

}  // namespace vantor
