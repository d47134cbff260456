#include "panel/key_map.h"

#include "controls/toggles.h"
#include "memory/digit_handler.h"
#include "panel/frequency_keys.h"
#include "panel/level_keys.h"
#include "panel/mode_band_keys.h"
#include "panel/transmit_keys.h"
#include "panel/memory_keys.h"
#include "panel/menu_keys.h"
#include "panel/vfo_keys.h"
#include "speech/say.h"
#include "speech/voice_settings.h"

namespace vantor {

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
    // The speech service's rate, a step faster or slower.
    if (p.keyCode == key::up || p.keyCode == key::down) {
        p.keyPrefix = 0;
        stepVoiceRate(p, p.keyCode == key::up ? 1 : -1);
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
        case key::space:
            transmitKey(p);
            return KeyOutcome::stop;
        case 'L':
            levelKey(p);
            return KeyOutcome::stop;
        case 'K':
            return keyerKey(p);
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
        case 'O':
            optionsKey(p);
            return KeyOutcome::stop;
        case 'C':
            storeKey(p);
            return KeyOutcome::stop;
        case 'G':
            recallKey(p);
            return KeyOutcome::stop;
        case 'A':
            afGainKey(p);
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
        case key::f1:
            preampKey(p);
            return KeyOutcome::goOn;
        case key::f2:
            toggleAttenuator(p);
            return KeyOutcome::goOn;
        case key::f3:
            toggleNoiseBlanker(p);
            return KeyOutcome::goOn;
        case key::f4:
            toggleNoiseReduction(p);
            return KeyOutcome::goOn;
        case key::f5:
            toggleNotch(p);
            return KeyOutcome::goOn;
        case key::f6:
            contourKey(p);
            return KeyOutcome::goOn;
        case key::f7:
            processorKey(p);
            return KeyOutcome::stop;
        case key::f8:
            breakInOrVoxKey(p);
            return KeyOutcome::goOn;
        case key::f12:
            tunerKey(p);
            return KeyOutcome::stop;
        case 'F':
            frequencyReadout(p);
            return KeyOutcome::stop;
        case 'P':
            powerKey(p);
            return KeyOutcome::stop;
        case key::f11:
            micGainKey(p);
            return KeyOutcome::stop;
        case 'R':
            rfGainKey(p);
            return KeyOutcome::goOn;
        case 'S':
            meterKey(p);
            return KeyOutcome::goOn;
        case 'T':
            tuneKey(p);
            return KeyOutcome::stop;
        case 'W':
            widthKey(p);
            return KeyOutcome::stop;
        case 'X':
            extendedPrefixKey(p);
            return KeyOutcome::stop;
        case 'M':
            if (p.keyPrefix == 14)
                fmWidthKey(p);
            else
                nextModeKey(p);
            return KeyOutcome::stop;
        case key::up:
        case key::down:
            upDownKey(p);
            return KeyOutcome::goOn;
        default:
            return std::nullopt;
    }
}

}  // namespace vantor
