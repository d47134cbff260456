#pragma once
// The truth run: a whole program run on the fakes against the simulated radio,
// which answers late and out of step, while its dial and a program on the
// network port move it. After every quiet second the panel's picture must be
// the radio, F must say it, and the band row must hold its mode; after Q the
// radio is receiving in the operator's mode and savmem.dat holds each band.
// The caller runs it in an empty working directory.
//
// The transcript of a run: "+120" a gap in ms, then the key as a character:
// letters, digits, "." and "+" "-" are their keys, "^" "v" "<" ">" the arrows,
// "[" "]" page up and down, "_" space, "/" Enter, "a".."i" F1 to F9, "k" F11,
// "l" F12; "[dial 300]" and "[F 14074000]" are outside changes ("?" after
// one: the radio refuses that program's set), "|" a quiet
// check and "(F)" the F that follows it.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/panel.h"
#include "core/text.h"
#include "platform/fake/fake_platform.h"
#include "radiosim/radio_engine.h"

namespace vantor::truth {

// What the operator believes, or what the radio is; -1 where it says nothing.
struct Picture {
    long long vfoA = -1, vfoB = -1, split = 0, mode = 0, tone = 0, toneCode = -1, shift = 0, onAir = 0,
              tune = 0;
};

// The one place that reads the panel's picture of the radio.
inline Picture viewOf(const Panel& p) {
    Picture v;
    v.split = p.splitOn;
    // In split the panel tunes VFO B; VFO A is the receiver in the picture.
    v.vfoA = p.splitOn != 1 ? p.vfoAFrequency : p.picture.vfoA > 0 ? p.picture.vfoA : -2;
    if (p.splitOn == 1) v.vfoB = p.vfoAFrequency;
    const std::string* const modes[] = {&p.modeCommandLsb, &p.modeCommandUsb,      &p.modeCommandCw,
                                        &p.modeCommandAm,  &p.modeCommandFmNarrow, &p.modeCommandC4fm,
                                        &p.modeCommandFm};
    // The radio's mode as the picture has it: a tune's AM carrier, a program's mode.
    v.mode = p.picture.mode != 0                        ? p.picture.mode
             : p.currentMode >= 1 && p.currentMode <= 7 ? charAt(*modes[p.currentMode - 1], 4)
                                                        : 0;
    const bool tone = p.toneOn == 1 && isDigits(p.toneCodeText, 3) && p.toneCodeText != "999";
    v.tone = tone ? (p.dcsSelected == 1 ? 3 : 1) : 0;
    if (tone && p.dcsSelected == 0) v.toneCode = valueOf(p.toneCodeText);
    v.shift = p.repeaterOn == 1;
    v.onAir = p.txState > 0 || p.tuneActive == 1;
    v.tune = p.tuneActive == 1;
    return v;
}

class TruthRun : public fake::FakeScreen {
  public:
    // Every choice of the run (keys, gaps, latencies, changes) comes from `random`.
    explicit TruthRun(std::function<unsigned()> random);
    // The run to its end: the first failure of each property, or nothing.
    std::vector<std::string> run();
    std::vector<WindowEvent> waitEvents() override;

    std::string transcript;
    bool debugLog = false;  // a replay writes debug.dat: every command and answer
    fake::VirtualClock virtualClock;
    fake::FakeSerialPorts serial{virtualClock};
    fake::FakeSpeaker speaker{virtualClock};
    fake::FakeClock clock{virtualClock};
    fake::FakeNetwork network;
    Platform platform{serial, speaker, *this, clock, network};
    Panel p{platform};
    radiosim::RadioEngine radio{670};

  private:
    struct Step {
        int gapMs;
        char key;  // 0: an outside change (change > 0) or a quiet check
        int change;
    };
    int pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }
    void plan();
    void outsideChange(int kind);
    void checkPicture();
    void noteBandsLeft();
    void checkEnd();
    void fail(const std::string& property, const std::string& detail);
    WindowEvent nextEvent();

    std::function<unsigned()> random_;
    std::vector<Step> steps_;
    std::size_t step_ = 0;
    long long waitUntil_ = -1, nextTick_ = 0, quitAt_ = -1, quietFromMs_ = -1, lastSpeechMs_ = 0, lastProgramMs_ = 0;
    std::size_t playedSeen_ = 0;
    bool keyUp_ = false, pressF_ = false;
    int answersSinceLate_ = 0;
    int client_ = 0, chosenMode_ = 0;
    std::string saysF_;  // what F must say, once pressed
    std::string refused_;  // the program's set the radio will refuse, without its ";"
    int requestsSent_ = 0, requestsAnswered_ = 0, refusedRequest_ = 0;  // the program's requests, counted
    std::string repliesSeen_;  // the program's replies not yet counted
    std::map<std::string, std::string> failures_;
    std::map<int, Picture> bandPicture_;  // the last quiet picture of each band
    std::map<int, bool> bandMoved_;       // the radio left that picture on the band since
};

}  // namespace vantor::truth
