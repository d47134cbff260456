#include "panel/window_events.h"

#include "cat/debug_log.h"
#include "cat/transport.h"
#include "speech/say.h"

namespace vantor {

namespace {

constexpr int kEnterKey = 13;
constexpr int kQKey = 81;

void logKey(Panel& p, int key) {
    if (p.debugLogging != 1) return;
    std::string line = "*";
    if (key == kEnterKey)
        line += "C/R";
    else if (key == 190 || key == 110)
        line += ".";
    else if (key >= 96 && key <= 105)
        line += std::string(1, static_cast<char>(key)) + " (" + std::to_string(key - 96) + ")";
    else
        line += static_cast<char>(key);
    writeDebugLine(p, line);
}

void quitKey(Panel& p) {
    say(p, "quit");
    if (p.radioConnected == 0) {
        p.running = 0;
        return;
    }
    send(p, "TX0");  // never leave the transmitter keyed
    p.quitCountdown = 1;
}

void keyDown(Panel& p, int key) {
    if (p.keyBusy == 1) return;  // a held key acts once
    p.keyCode = key;
    p.keyBusy = 1;
    p.externalCommand = 0;
    logKey(p, key);
    if (key == kQKey) {
        quitKey(p);
        return;
    }
    if (p.vfoAFrequency == 0) {
        say(p, "nc");
        return;
    }
}

}  // namespace

int handleWindowEvent(Panel& p, int message, int parameter) {
    switch (message) {
        case kCloseRequest:
            p.running = 0;
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
    return 0;
}

}  // namespace vantor
