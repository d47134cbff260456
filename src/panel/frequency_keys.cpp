#include "panel/frequency_keys.h"

#include <algorithm>

#include "cat/transport.h"
#include "controls/toggles.h"
#include "controls/tone_repeater.h"
#include "controls/vfo.h"
#include "core/text.h"
#include "display/status_window.h"
#include "memory/band_defaults.h"
#include "panel/keys.h"
#include "speech/say.h"
#include "speech/spoken_values.h"

namespace vantor {

namespace {

constexpr int kHighestTypedMegahertz = 449;  // the top of 70 cm

// The nine digits of hertz of the typed entry: the megahertz fill three places
// (leading zeros typed before them were not counted), the fraction follows.
// "" when there is no megahertz digit, more digits than the command holds, or
// whole megahertz above the top band (the point has checked them already).
std::string typedHertzDigits(const Panel& p) {
    if (p.megahertzDigits < 1 || p.megahertzDigits > 3) return "";
    if (p.pointTyped == 0 && p.enteredNumber > kHighestTypedMegahertz) return "";
    std::string digits =
        std::string(3 - static_cast<std::size_t>(p.megahertzDigits), '0') + std::to_string(p.enteredNumber);
    if (digits.size() > 9) return "";
    return digits.append(9 - digits.size(), '0');
}

// With split on, every frequency command tunes VFO B, so a band row that keeps
// split first puts VFO A (the receive frequency) back on that band.
void takeSplitFromRow(Panel& p, const std::string& row) {
    if (charAt(row, 1) != '1') {
        setSplit(p, false);
        return;
    }
    setSplit(p, false);
    send(p, "F" + mid(row, 3, 10));
    p.splitSavedText = mid(row, 3, 10);
    setSplit(p, true);
}

bool isFm(const Panel& p) { return p.currentMode == 5 || p.currentMode == 7; }

const std::string& currentBandRow(Panel& p) { return p.bandTable[static_cast<std::size_t>(p.bandIndex)]; }

void squelchUp(Panel& p) {
    p.squelchLevel += p.squelchLevel < 20 ? 1 : 10;
    if (p.squelchLevel > 255) {
        p.squelchLevel = 255;
        say(p, "max");
    }
}

void squelchDown(Panel& p) {
    if (p.squelchLevel == 245) p.squelchLevel = 240;  // back onto the steps of ten
    p.squelchLevel -= p.squelchLevel < 30 ? 1 : 10;
    if (p.squelchLevel < 1) {
        p.squelchLevel = 0;
        say(p, "0");
    }
}

int stepSize(const Panel& p, int code) {
    const bool vhfChannels = p.bandIndex > 11 && p.bandIndex != 14;
    switch (code) {
        case key::plus:
            return 1000000;
        case key::minus:
            return -1000000;
        case key::pageUp:
            return p.currentMode > 3 && vhfChannels ? 12500 : 10000;
        case key::pageDown:
            return p.currentMode == 5 && vhfChannels ? -12500 : -10000;
        case key::right:
            return p.currentMode == 3 ? 10 : 100;
        case key::left:
            return p.currentMode == 3 ? -10 : -100;
        default:
            return 0;
    }
}

// The shift of the current band, in kHz, with its direction.
int repeaterShiftKhz(const Panel& p) {
    auto signedShift = [](int minus, const std::string& digits) {
        return (minus == 1 ? -1 : 1) * valueOf(digits);
    };
    switch (p.bandIndex) {
        case 10:
            return signedShift(p.shift10mMinus, p.shift10mDigits);
        case 11:
            return signedShift(p.shift6mMinus, p.shift6mDigits);
        case 12:
            return signedShift(p.shift2mMinus, p.shift2mDigits);
        case 13:
            return signedShift(p.shift70cmMinus, p.shift70cmDigits);
        default:
            return 0;
    }
}

// "007100000" is spoken as 7.1 MHz, with "tx" when it is the repeater's
// transmit frequency; the displayed frequency is left as it was.
void sayNineDigitFrequency(Panel& p, const std::string& nineDigits) {
    const std::string shown = p.frequencyText;
    p.frequencyText = megahertzTextOf(nineDigits);
    p.txFrequencyReadout = 1;
    sayFrequency(p);
    p.txFrequencyReadout = 0;
    p.frequencyText = shown;
    sayMode(p);
    p.keyPrefix = 0;
}

}  // namespace

bool isFrequencyStepKey(int code) {
    return code == key::plus || code == key::minus || code == key::pageUp || code == key::pageDown ||
           code == key::right || code == key::left;
}

void startFrequencyEntry(Panel& p) {
    p.enteredNumber = 0;
    p.keyPrefix = 0;
    say(p, "EF");
    p.megahertzDigits = 0;
    p.freqEntryActive = 1;
    p.pointTyped = 0;
}

void frequencyPoint(Panel& p) {
    if (p.freqEntryActive == 0) return;  // a stray point must not act on an old entry
    if (p.enteredNumber > kHighestTypedMegahertz || p.enteredNumber < 1) {
        say(p, "invalid");
        return;
    }
    learnBandRow(p);
    p.pointTyped = 1;
    bandForEnteredMhz(p);
    p.entryBand = p.bandIndex;
    say(p, "point");
}

void frequencyEnter(Panel& p) {
    if (p.freqEntryActive == 0) return;
    p.tickCount = 0;
    p.freqEntryActive = 0;
    // A refused entry changes nothing on the radio.
    const std::string digits = typedHertzDigits(p);
    const bool typedPoint = p.pointTyped == 1;
    p.pointTyped = 0;
    if (digits.empty()) {
        say(p, "invalid");
        p.megahertzDigits = 0;
        return;
    }
    if (!typedPoint) {
        learnBandRow(p);
        bandForEnteredMhz(p);
        p.entryBand = p.bandIndex;
    }
    p.bandIndex = p.entryBand;
    const std::string& row = usableBandRow(p, p.bandIndex);
    p.currentMode = charAt(row, 2) - '0';
    // The shift goes off first, or switching it off with the mode would end
    // the row's split. A repeater band ("5") is not split: split means VFO B transmits.
    if (p.repeaterOn == 1) toggleRepeater(p);
    takeSplitFromRow(p, row);
    // The typed frequency is the one the mode brings back, so that the radio
    // never hears the new mode on the old frequency.
    p.vfoAFrequency = valueOf(digits);
    showMode(p);
    if (p.enteredNumber < 25 && isFm(p)) {
        p.currentMode = 4;  // no FM below 25 MHz
        showMode(p);
    }
    if (p.lastFrequencyCommand != preparedCommand(p, "FA" + digits) || p.currentMode >= 5)
        send(p, "FA" + digits);
    setPreampFromRow(p, row);
    say(p, "ok");
}

bool stepFrequency(Panel& p, bool& squelchSet) {
    squelchSet = false;
    const int code = p.keyCode;
    if (!isFrequencyStepKey(code)) return false;
    if ((code == key::right || code == key::left) && isFm(p)) {
        code == key::right ? squelchUp(p) : squelchDown(p);
        send(p, "SQ0" + zeroPadded(p.squelchLevel, 3));
        squelchSet = true;
        return true;
    }
    stepVfoA(p, stepSize(p, code));
    if ((code == key::plus || code == key::minus) && p.repeaterOn == 1) toggleRepeater(p);
    return true;
}

void frequencyReadout(Panel& p) {
    if (p.keyPrefix == 14 && p.repeaterOn == 1) {
        const long long transmit = static_cast<long long>(p.vfoAFrequency) + repeaterShiftKhz(p) * 1000LL;
        sayNineDigitFrequency(p, zeroPadded(static_cast<int>(std::clamp(transmit, 0LL, 999999999LL)), 9));
        return;
    }
    if (p.keyPrefix == 14 && p.splitOn == 1) {
        say(p, "vfoa");
        sayNineDigitFrequency(p, mid(currentBandRow(p), 4, 9));
        return;
    }
    p.keyPrefix = 0;
    sayFrequency(p);
    sayMode(p);
    if (p.toneOn != 1) return;
    say(p, p.toneCodeText.substr(0, 1) > "4" ? "dcs" : "ctcss");
    for (char c : p.toneCodeText.substr(0, 3)) say(p, std::string(1, c));
}

}  // namespace vantor
