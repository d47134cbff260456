#include "panel/key_map.h"

#include "memory/digit_handler.h"
#include "panel/frequency_keys.h"
#include "panel/memory_keys.h"
#include "panel/menu_keys.h"
#include "panel/vfo_keys.h"
#include "speech/meter_readouts.h"
#include "speech/say.h"

namespace vantor {

namespace {

// S reads the meter that matters now: the SWR while the transmitter is on.
void meterKey(Panel& p) {
    if (p.tuneActive == 1 || p.txState > 0)
        saySwr(p);
    else
        saySMeter(p);
}

}  // namespace

bool runExtendedFirstKey(Panel& p) {
    if (p.keyPrefix != 14) return false;
    if (p.keyCode == 'A') {
        agcKey(p);
        return true;
    }
    if (p.keyCode == 'S') {
        vfoSwapKey(p);
        return true;
    }
    return false;
}

std::optional<KeyOutcome> runKeyRow(Panel& p) {
    const int code = p.keyCode;
    if (isDigitKey(code)) {
        handleDigit(p);
        return KeyOutcome::stop;
    }
    switch (code) {
        case 'D':
            fmC4fmKey(p);
            return KeyOutcome::stop;
        case 'I':
            toneKey(p);
            return KeyOutcome::stop;
        case 'H':
            sayInBackground(p, "help.wav");  // the next key's first clip cuts it short
            return KeyOutcome::stop;
        case 'N':
            if (p.toneOn == 1) return std::nullopt;  // the tone code entry has the keyboard
            menuKey(p);
            return KeyOutcome::stop;
        case 'C':
            storeKey(p);
            return KeyOutcome::stop;
        case 'G':
            recallKey(p);
            return KeyOutcome::stop;
        case 'E':
            startFrequencyEntry(p);
            return KeyOutcome::goOn;
        case key::point:
            frequencyPoint(p);
            return KeyOutcome::stop;
        case key::enter:
            if (p.keyPrefix == 8) {
                menuNumberEnter(p);
                return KeyOutcome::stop;
            }
            if (p.keyPrefix == 9) {
                menuValueEnter(p);
                return KeyOutcome::stop;
            }
            if (p.toneOn == 1 && p.freqEntryActive == 0) {
                toneEnter(p);
                return KeyOutcome::stop;
            }
            if (p.freqEntryActive == 0) return std::nullopt;  // no entry: Enter resends the frequency
            frequencyEnter(p);
            return KeyOutcome::stop;
        case 'V':
            splitKey(p);
            return KeyOutcome::stop;
        case 'Z':
            zeroKey(p);
            return KeyOutcome::stop;
        case 'F':
            frequencyReadout(p);
            return KeyOutcome::stop;
        case 'S':
            meterKey(p);
            return KeyOutcome::goOn;
        case 'X':
            extendedPrefixKey(p);
            return KeyOutcome::stop;
        case 'M':
            if (p.keyPrefix != 14) return std::nullopt;
            fmWidthKey(p);
            return KeyOutcome::stop;
        default:
            return std::nullopt;
    }
}

}  // namespace vantor
