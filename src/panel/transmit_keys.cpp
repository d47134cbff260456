#include "panel/transmit_keys.h"

#include "cat/transport.h"
#include "controls/levels.h"
#include "controls/tone_repeater.h"
#include "controls/vfo.h"
#include "display/status_window.h"
#include "speech/meter_readouts.h"
#include "speech/say.h"

namespace vantor {

namespace {

// The radio's tuner works up to 6 m; above it a tune is a plain carrier.
constexpr int kHighestTunerHertz = 73000000;
// The tuner needs a few seconds; the operator hears them counted out in beeps.
constexpr int kTunerBeeps = 10;
// The radio drops the carrier before it takes power and mode again.
constexpr int kUnkeyDelays = 5;

void stopTune(Panel& p) {
    say(p, "off");
    if (p.tunerState > 0) {
        send(p, "TX0");
        // The carrier's end unkeys a transmission the tune was started in, too.
        transmissionUnkeyed(p);
        // The tuner was only left out of this tune: the operator's setting returns.
        if (p.tunerState == 3) p.tunerState = p.tunerStateBeforeTune;
        for (int i = 0; i < kUnkeyDelays; ++i) delay(p);
        sendPower(p);
        // The carrier went out in AM; the mode coming back ends the tone and
        // shift of FM, which the operator still has in force.
        const ToneAndShift kept = toneAndShiftInForce(p);
        bringBackModeSetAside(p);
        bringBackToneAndShift(p, kept);
    }
    p.tuneActive = 0;
}

void runTunerCycle(Panel& p) {
    if (p.tunerArmed == 0) {
        send(p, "AC001");
        p.tunerArmed = 1;
    }
    send(p, "AC002");
    p.tickCount = 0;
    for (int i = 0; i < kTunerBeeps; ++i) say(p, "beep");
    say(p, "ok");
}

// Five watts of AM: a steady carrier at a power the antenna and the amplifier forgive.
void keyTuneCarrier(Panel& p) {
    send(p, "PC005");
    send(p, p.modeCommandAm);
    sendVfoAFrequency(p);  // the mode command may have moved the radio
    send(p, "TX1");
}

void startTune(Panel& p) {
    say(p, "on");
    p.tuneActive = 1;
    setModeAside(p);
    p.swrText.clear();  // a reading from an earlier carrier is not this one's
    if (p.tunerState == 0 || p.tunerState == 2) {
        if (p.vfoAFrequency > kHighestTunerHertz) {
            say(p, "atu");
            say(p, "na");
            p.tunerStateBeforeTune = p.tunerState;
            p.tunerState = 3;
        } else {
            runTunerCycle(p);
            if (p.tunerState == 0) {  // the tuner alone: the tune is over
                say(p, "tune");
                stopTune(p);
                return;
            }
        }
    }
    keyTuneCarrier(p);
}

}  // namespace

void transmitKey(Panel& p) {
    if (p.txState == 0) {
        say(p, "tx");
        say(p, "on");
        transmissionKeyed(p);
        send(p, "TX1");
        return;
    }
    send(p, "TX0");
    transmissionUnkeyed(p);
    say(p, "tx");
    say(p, "off");
}

void transmissionKeyed(Panel& p) {
    if (p.txState > 0) return;
    p.swrText.clear();  // a reading from an earlier carrier is not this one's
    // The poll keeps quiet about the SWR while transmitting; S reads it.
    p.txState = p.swrReportMode + 10;
    p.swrReportMode = 0;
    p.swrSettleCount = 2;
    p.tunerArmed = 0;
}

void transmissionUnkeyed(Panel& p) {
    if (p.txState == 0) return;
    p.swrReportMode = p.txState - 10;
    p.txState = 0;
}

void keepAwakeWhileOnAir(Panel& p) {
    const int onAir = p.txState > 0 || p.tuneActive == 1 ? 1 : 0;
    if (onAir == p.keptAwake) return;
    p.keptAwake = onAir;
    p.platform.screen.keepAwake(onAir == 1);
}

void tuneKey(Panel& p) {
    say(p, "tune");
    if (p.tuneActive == 0)
        startTune(p);
    else
        stopTune(p);
}

void tunerKey(Panel& p) {
    p.tunerArmed = 0;
    say(p, "tuner");
    // Off goes on, on goes both, and both (or a setting set aside) goes off.
    const bool wasOff = p.tunerState == 1, wasOn = p.tunerState == 0;
    send(p, wasOff || wasOn ? "AC001" : "AC000");
    say(p, wasOff ? "on" : wasOn ? "both" : "off");
    p.tunerState = wasOff ? 0 : wasOn ? 2 : 1;
}

void meterKey(Panel& p) {
    if (p.tuneActive == 1 || p.txState > 0)
        saySwr(p);
    else
        saySMeter(p);
}

void endTransmission(Panel& p) {
    if (p.tuneActive == 1) tuneKey(p);
    if (p.txState > 0) transmitKey(p);
}

}  // namespace vantor
