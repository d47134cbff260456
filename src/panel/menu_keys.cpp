#include "panel/menu_keys.h"

#include "cat/radio_identification.h"
#include "cat/transport.h"
#include "controls/tone_repeater.h"
#include "core/text.h"
#include "display/status_window.h"
#include "speech/say.h"
#include "speech/spoken_values.h"

namespace vantor {

namespace {

constexpr int kHighestCtcss = 49, kLowestDcs = 500, kHighestDcs = 603;


bool isFm(const Panel& p) { return p.currentMode == 5 || p.currentMode == 7; }

// Reads the setting and speaks its value, up to the ";" that ends it. Only
// digits and the point have clips; anything else in the reply is passed over.
void readMenuValue(Panel& p) {
    delay(p);
    receive(p);  // whatever was waiting belongs to an earlier question
    const std::string echo = "EX" + p.menuNumberText;
    query(p, echo);
    const int at = findPos(p.replyText, echo);
    if (at == 0) return;
    const int first = at + static_cast<int>(echo.size());
    const int end = findPos(mid(p.replyText, first), ";");
    if (end == 0) return;
    p.menuEndPos = first + end - 2;
    for (char c : mid(p.replyText, first, end - 1)) {
        if (c == '.') say(p, "point");
        if (c >= '0' && c <= '9') say(p, std::string(1, c));
    }
}

void refuseTone(Panel& p) {
    say(p, "invalid");
    switchToneOff(p);  // a code in force before the digits is off as well, as the panel now says
    showFeatures(p);
}

}  // namespace

void menuKey(Panel& p) {
    p.keyPrefix = 8;
    p.menuNumberText.clear();
    say(p, "mn");
}

void menuNumberEnter(Panel& p) {
    if (p.menuNumberText.size() != menuNumberLength(p.radioModel)) {
        say(p, "invalid");
        p.keyPrefix = 0;
        return;
    }
    p.keyPrefix = 9;
    say(p, "mp");
    p.menuValueText.clear();
}

void menuValueEnter(Panel& p) {
    // The poll must not take the menu's answer, nor send between its two pauses.
    p.menuBusy = 1;
    if (p.menuValueText.empty()) {
        readMenuValue(p);
    } else {
        send(p, "EX" + p.menuNumberText + p.menuValueText);
        say(p, "ok");
    }
    p.keyPrefix = 0;
    p.menuBusy = 0;
}

void toneKey(Panel& p) {
    if (!isFm(p)) {
        say(p, "wrong");
        say(p, "mode");
        return;
    }
    p.freqEntryActive = 0;
    p.keyPrefix = 0;
    if (p.toneOn == 1) {
        send(p, "CT00");
        p.toneOn = 0;
        p.toneEntryOpen = 0;
        say(p, charAt(p.toneCodeText, 1) > '4' && p.dcsSelected == 1 ? "dcs" : "ctcss");
        say(p, "off");
        p.toneCodeText = "999";
        return;
    }
    say(p, p.toneDecodeOn == 1 ? "ecd" : "ec");
    p.toneOn = 1;
    p.toneEntryOpen = 1;
    p.toneCodeText.clear();
}

void toneEnter(Panel& p) {
    p.toneEntryOpen = 0;
    p.dcsSelected = 0;
    const std::string& typed = p.toneCodeText;
    if (typed.empty() || typed.size() > 3 || !isDigits(typed, typed.size())) {
        refuseTone(p);
        return;
    }
    const int code = valueOf(typed);
    const bool dcs = code >= kLowestDcs;
    // DCS codes need the radio's tone squelch, which the configuration may not allow.
    if (code > kHighestDcs || (code > kHighestCtcss && !dcs) || (dcs && p.toneDecodeOn != 1)) {
        refuseTone(p);
        return;
    }
    p.toneCodeText = zeroPadded(code, 3);  // "8" typed alone is tone number 008
    p.dcsSelected = dcs ? 1 : 0;
    p.toneFromKeyboard = 1;
    applyToneCode(p);
    p.toneFromKeyboard = 0;
}

void fmC4fmKey(Panel& p) {
    if (p.radioModel != 570 && p.radioModel != 670) return;
    if (isFm(p)) {
        p.savedToneCode = p.toneCodeText;
        p.currentMode = 6;
        showMode(p);
    } else if (p.currentMode == 6) {
        p.currentMode = p.fmWide == 1 ? 7 : 5;
        showMode(p);
        // The tone of the FM channel comes back with FM.
        const std::string& saved = p.savedToneCode;
        if (isDigits(saved, 3) && saved != "999") {
            p.toneCodeText = saved;
            p.toneOn = 1;
            p.dcsSelected = valueOf(saved) > 499 ? 1 : 0;
            applyToneCode(p);
        }
    } else {
        return;
    }
    sayMode(p);
}

}  // namespace vantor
