#include "app/program.h"

#include <iostream>

#include "app/configuration.h"
#include "app/radio_startup.h"
#include "cat/debug_log.h"
#include "cat/network_port.h"
#include "cat/transport.h"
#include "memory/memory_file.h"
#include "panel/shared_radio.h"
#include "panel/temporary_states.h"
#include "panel/transmit_keys.h"
#include "panel/window_events.h"
#include "speech/say.h"
#include "speech/voice_settings.h"

namespace vantor {

namespace {

void setFixedTexts(Panel& p) {
    p.versionText = kVersionText;
    p.bannerText = "*** Vantor V " + p.versionText + " ***";
    p.wavePrefix = "wave\\";
}

void sayVersion(Panel& p) {
    for (const char* clip : {"ft.wav", "3.wav", "point", "5"}) say(p, clip);
}

// The speaker has written which device on stderr; this is for an operator
// who hears the radio's monitor, or reads the speech log.
void sayWhereSpeechGoes(Panel& p) {
    if (p.platform.speaker.speechGoesToRadio()) say(p, "sndradio");
}

void runEventLoop(Panel& p) {
    while (p.running != 0)
        for (const WindowEvent& event : p.platform.screen.waitEvents())
            handleWindowEvent(p, event.message, event.parameter);
}

}  // namespace

void prepareForSleep(Panel& p) {
    // The machine gives only a moment: "TX0" goes before anything is said.
    send(p, "TX0");
    endTemporaryStates(p);
    p.keyedBySide = -1;
    keepAwakeWhileOnAir(p);
    saveMemoryFile(p);
}

void watchForSleep(Panel& p) {
    p.platform.screen.setSuspendHandler([&p] { prepareForSleep(p); });
}

void shutDown(Panel& p) {
    p.platform.screen.setSuspendHandler({});
    p.platform.screen.stopTimer(kPollTimerId);
    // Q, the close button and the signals all end here: the transmitter is
    // unkeyed while the port is still open, and a tune or the keyer gives back
    // power and mode before the band rows are saved.
    endTemporaryStates(p);
    saveMemoryFile(p);
    p.platform.screen.closeWindow();
    if (p.radioPowerControl == 1) {
        send(p, "PS0");
        delay(p);
    }
    p.platform.serial.close(p.comHandle);
    p.platform.speaker.setWorkWhileWaiting({});
    if (p.platform.voice) p.platform.voice->setWorkWhileWaiting({});
    closeNetworkPort(p);
    closeDebugLog(p);
    keepAwakeWhileOnAir(p);
    endSentence(p);
}

RunResult runProgram(Panel& p) {
    setFixedTexts(p);
    // Without a window there are no keys; the screen has said why on standard error.
    if (!p.platform.screen.openWindow(250, 100, 950, 500, kWindowTitle)) return RunResult::noWindow;
    readVoiceSettings(p);
    applyVoiceSettings(p);
    sayVersion(p);
    endSentence(p);
    sayWhereSpeechGoes(p);
    endSentence(p);
    if (!readConfiguration(p)) {
        say(p, "cfgnf");
        endSentence(p);
        std::cerr << "vantor: vantor.cfg was not found in the working directory\n";
        return RunResult::finished;
    }
    openNetworkPort(p);
    // While the panel speaks, the programs sharing the radio are still served.
    p.platform.speaker.setWorkWhileWaiting([&p] { serveSharingPrograms(p); });
    if (p.platform.voice) p.platform.voice->setWorkWhileWaiting([&p] { serveSharingPrograms(p); });
    watchForSleep(p);
    radioStartup(p);
    endSentence(p);
    p.platform.screen.startTimer(kPollTimerId, kPollPeriodMs);
    p.running = 1;
    runEventLoop(p);
    shutDown(p);
    return RunResult::finished;
}

}  // namespace vantor
