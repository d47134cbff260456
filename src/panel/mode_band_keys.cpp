#include "panel/mode_band_keys.h"

#include "controls/tone_repeater.h"
#include "controls/vfo.h"
#include "display/status_window.h"
#include "speech/say.h"
#include "speech/spoken_values.h"

namespace vantor {

namespace {

// FM is for 10 m and up; below 27 MHz the radio would not take it.
constexpr int kLowestFmHertz = 27000000;

bool fmAllowedHere(const Panel& p) { return p.bandIndex >= 10 && p.vfoAFrequency >= kLowestFmHertz; }

// The band key's row: the band must lie within the configured top band.
struct BandChoice {
    char key;
    int bandIndex;
    bool (*allowed)(const std::string& topBandCode);
};

const BandChoice kBandChoices[] = {
    {'X', 11, [](const std::string& top) { return top != "1"; }},
    {'T', 12, [](const std::string& top) { return top == "2" || top == "7"; }},
    {'S', 13, [](const std::string& top) { return top == "7"; }},
    {'U', 15, [](const std::string&) { return true; }},  // general coverage
};

void sayOn(Panel& p, const char* feature) {
    say(p, feature);
    say(p, "on");
}

}  // namespace

void nextModeKey(Panel& p) {
    int mode = p.currentMode + 1;
    // LSB, USB, CW, AM, then FM narrow or wide as chosen with X M; C4FM is
    // never stepped to.
    const int lastMode = p.fmWide == 1 ? 7 : 5;
    if (mode < 1 || mode == 6 || mode > lastMode) mode = 1;
    if ((mode == 5 || mode == 7) && !fmAllowedHere(p)) mode = 1;
    if (mode == 5 && p.fmWide == 1) mode = 7;
    if (mode == 7 && p.fmWide == 0) mode = 5;
    p.currentMode = mode;
    showMode(p);
    sayMode(p);
}

void bandPrefixKey(Panel& p) {
    p.keyPrefix = 1;
    say(p, "band");
    sayBand(p);
}

bool bandChoiceKey(Panel& p) {
    for (const BandChoice& choice : kBandChoices) {
        if (p.keyCode != choice.key) continue;
        p.keyPrefix = 0;
        if (!choice.allowed(p.topBandCode)) {
            say(p, "band");
            say(p, "na");
            return true;
        }
        learnBandRow(p);  // the band left keeps where the operator was
        p.toneCodeText = "999";
        p.bandIndex = choice.bandIndex;
        if (choice.key == 'U') say(p, "band");
        applyBandRow(p);
        return true;
    }
    return false;
}

void optionsKey(Panel& p) {
    say(p, "options");
    const bool sideband = p.currentMode == 1 || p.currentMode == 2;
    if (p.preampOn == 1) sayOn(p, "preamp");
    if (p.attOn == 1) sayOn(p, "at");
    if (p.nbOn == 1) sayOn(p, "nb");
    if (p.nrOn == 1) sayOn(p, "nr");
    if (p.notchOn == 1) sayOn(p, "notch");
    if (p.contourState == 1) say(p, "cod");
    if (p.contourState == 2) say(p, "cop");
    if (p.processorOn == 1 && sideband) sayOn(p, "spc");
    if (p.breakInOn == 1 && p.currentMode == 3) sayOn(p, "bkin");
    if (p.voxOn == 1) sayOn(p, "vox");
    if (p.monitorOn == 1) sayOn(p, "mon");
    if (p.toneCodeText != "999") {
        say(p, p.toneCodeText.substr(0, 1) > "3" ? "dcs" : "ctcss");
        for (char digit : p.toneCodeText) say(p, std::string(1, digit));
    }
    say(p, "tuner");
    say(p, "is");
    static const char* const kTunerWords[] = {"on", "off", "both"};
    if (p.tunerState >= 0 && p.tunerState <= 2) say(p, kTunerWords[p.tunerState]);
}

}  // namespace vantor
