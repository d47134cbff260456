#include "panel/window_events.h"

#include "cat/debug_log.h"
#include "cat/port_watch.h"
#include "cat/transport.h"
#include "controls/vfo.h"
#include "core/text.h"
#include "display/status_window.h"
#include "panel/frequency_keys.h"
#include "panel/key_map.h"
#include "panel/keys.h"
#include "panel/level_keys.h"
#include "panel/memory_keys.h"
#include "panel/mode_band_keys.h"
#include "panel/poll_cycle.h"
#include "panel/shared_radio.h"
#include "panel/temporary_states.h"
#include "panel/transmit_keys.h"
#include "speech/say.h"

namespace vantor {

namespace {

void logKey(Panel& p, int code) {
    if (p.debugLogging != 1) return;
    std::string line = "*";
    if (code == key::enter)
        line += "C/R";
    else if (code == key::point || code == key::keypadPoint)
        line += ".";
    else if (code >= key::keypad0 && code <= key::keypad9)
        line += std::string(1, static_cast<char>(code)) + " (" + std::to_string(code - key::keypad0) + ")";
    else
        line += static_cast<char>(code);
    writeDebugLine(p, line);
}

// A radio that stops answering after Q must not keep the operator in the
// program: the end comes after two frequency replies or this long, whichever
// is first.
constexpr long long kQuitWaitMs = 2000;

void quitKey(Panel& p) {
    endTemporaryStates(p);  // before the band rows are saved, so the next run starts as the operator left it
    say(p, "quit");
    if (p.radioConnected == 0) {
        p.running = 0;
        return;
    }
    send(p, "TX0");  // never leave the transmitter keyed; the end follows two frequency replies later
    transmissionUnkeyed(p);
    if (p.quitCountdown == 0) p.quitStartMs = p.platform.clock.monotonicMs();
    p.quitCountdown = 1;
}

void timerTick(Panel& p) {
    if (p.quitCountdown > 0 && p.platform.clock.monotonicMs() - p.quitStartMs >= kQuitWaitMs) {
        endQuit(p);
        return;
    }
    serveSharingPrograms(p);
    applySharedNews(p);
    watchPorts(p);
    pollTick(p);
}

void monitorKey(Panel& p) {
    say(p, "mon");
    if (p.monitorOn == 0) {
        send(p, "ML1" + p.monitorLevelText);
        say(p, "on");
        send(p, "ML0001");
        p.monitorOn = 1;
    } else {
        say(p, "off");
        send(p, "ML0000");
        p.monitorOn = 0;
    }
}

// Keys held with others or pressed by mistake: the panel takes no notice of them.
bool isModifierKey(int code) {
    return code == key::shift || code == key::ctrl || code == key::insert || code == key::leftWindows;
}

void foldKeypad(Panel& p) {
    if (p.keyCode >= key::keypad0 && p.keyCode <= key::keypad9) p.keyCode -= key::keypad0 - key::digit0;
    if (p.keyCode == key::keypadPoint) p.keyCode = key::point;
}

// Every key that is not consumed by its row re-sends VFO A, so the radio
// always ends where the operator believes it is; the step keys change it first.
void resendFrequency(Panel& p) {
    if (p.keyPrefix != 0 && p.keyPrefix != 2) return;
    bool squelchSet = false;
    stepFrequency(p, squelchSet);
    if (squelchSet) return;
    sendVfoAFrequency(p);
    // The band row learns the step now: the radio's answer may come late.
    if (p.radioConnected == 1) learnBandRow(p);
}

void keyDown(Panel& p, int code) {
    if (p.keyBusy == 1) return;  // a held key acts once
    p.keyCode = code;
    p.keyBusy = 1;
    // The operator takes the radio back where a program left it: the band
    // row learns that now, not only at the next frequency answer, which a
    // slow radio may give after the key has already changed band.
    const bool programWasLatest = p.externalCommand != 0;
    p.externalCommand = 0;
    if (programWasLatest && p.radioConnected == 1) learnBandRow(p);
    logKey(p, code);
    // A radio that has gone hears nothing; Q still ends the run.
    if (radioAway(p) && code != key::letter('Q')) {
        say(p, "nc");
        return;
    }
    // While tuning only S, T and Q act: the operator can always take the carrier down.
    const bool actsDuringTune =
        code == key::letter('S') || code == key::letter('T') || code == key::letter('Q');
    if (p.tuneActive == 1 && !actsDuringTune) {
        say(p, "ton");
        return;
    }
    // An unfinished tone code is dropped by any key that cannot continue it.
    if (p.toneEntryOpen == 1 && code != key::enter && !isDigitKey(code) && !isModifierKey(code)) {
        p.toneOn = p.toneEntryOpen = 0;
        p.toneCodeText = "999";
    }
    if (code == key::letter('Q')) {
        quitKey(p);
        return;
    }
    if (p.radioConnected == 0 || p.vfoAFrequency == 0) {
        say(p, "nc");
        return;
    }
    if (runExtendedFirstKey(p)) return;
    if (isModifierKey(code)) return;
    if (p.keyPrefix == 14 && code != 'M' && code != 'F' && code != 'S' && code != 'X') {
        p.keyPrefix = 0;  // a key that is no extended command cancels the prefix and does nothing
        say(p, "extcm");
        say(p, "na");
        return;
    }
    if (code == key::f9) monitorKey(p);
    // The microphone-gain metering ends at any key but up and down.
    if (p.micGainMeter > 0 && code != key::up && code != key::down) {
        endMicGainMetering(p);
        if (code == key::f11) return;
    }
    foldKeypad(p);
    if (p.keyPrefix == 11 && p.keyCode != key::letter('K') && p.keyCode != key::up && p.keyCode != key::down)
        endKeyerMode(p);
    if (p.keyPrefix == 1 && bandChoiceKey(p)) return;
    if (p.keyCode == key::letter('U')) {
        nextChannelKey(p);
        return;
    }
    p.memoryChannelMode = 0;
    if (p.keyCode != key::letter('S') && p.keyCode != key::letter('F')) p.memoryBank = 99;
    if (p.keyCode == key::letter('B')) {
        bankOrBandKey(p);
        return;
    }
    if (p.channelEntry > 0 && !isDigitKey(p.keyCode)) {
        p.channelEntry = 0;
        p.bankDigit = 0;
    }
    if (code != key::f9 && runKeyRow(p) == KeyOutcome::stop) return;
    resendFrequency(p);
}

}  // namespace

int handleWindowEvent(Panel& p, int message, int parameter) {
    switch (message) {
        case kCloseRequest:
            p.running = 0;
            break;
        case kTimerTick:
            timerTick(p);
            break;
        case kInputReady:
            serveSharingPrograms(p);
            applySharedNews(p);
            break;
        case kKeyDown:
            keyDown(p, parameter);
            break;
        case kKeyUp:
            p.keyBusy = 0;
            break;
        default:
            break;
    }
    // Keyed by a program sharing the radio, or unkeyed after the last send.
    keepAwakeWhileOnAir(p);
    endSentence(p);
    return 0;
}

}  // namespace vantor
