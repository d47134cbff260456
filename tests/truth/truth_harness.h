#pragma once
// The truth run: a whole program run on the fakes against the simulated radio,
// which answers late and out of step, while its dial and a program on the
// network port move it. After every quiet second the panel's picture must be
// the radio, F must say it, and the band row must hold its mode; after Q the
// radio is receiving in the operator's mode and savmem.dat holds each band.
// The caller runs it in a fresh working directory.

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/text.h"
#include "display/status_window.h"
#include "memory/band_defaults.h"
#include "panel/keys.h"
#include "panel/window_events.h"
#include "platform/fake/fake_platform.h"
#include "radiosim/radio_engine.h"

namespace vantor::truth {

// What the operator believes, or what the radio is; -1 where it says nothing.
struct Picture {
    long long vfoA = -1, vfoB = -1;
    int split = 0, mode = 0, tone = 0, toneCode = -1, shift = 0, onAir = 0, tune = 0;
};

// The one place that reads the panel's picture of the radio.
inline Picture viewOf(const Panel& p) {
    Picture v;
    v.split = p.splitOn;
    // In split the panel tunes VFO B and keeps VFO A as it left it.
    const std::string savedA = mid(p.splitSavedText, 2);
    if (p.splitOn == 1) {
        v.vfoB = p.vfoAFrequency;
        v.vfoA = isDigits(savedA, 9) ? valueOf(savedA) : -2;
    } else {
        v.vfoA = p.vfoAFrequency;
    }
    const std::string* modes[] = {
        nullptr,          &p.modeCommandLsb,      &p.modeCommandUsb,  &p.modeCommandCw,
        &p.modeCommandAm, &p.modeCommandFmNarrow, &p.modeCommandC4fm, &p.modeCommandFm};
    // A tune puts out an AM carrier whatever the operator's mode.
    const std::string* mode = p.tuneActive == 1 ? &p.modeCommandAm : modes[std::clamp(p.currentMode, 0, 7)];
    v.mode = mode && mode->size() == 4 ? (*mode)[3] : 0;
    const bool tone = p.toneOn == 1 && isDigits(p.toneCodeText, 3) && p.toneCodeText != "999";
    v.tone = tone ? (p.dcsSelected == 1 ? 3 : 1) : 0;
    if (tone && p.dcsSelected == 0) v.toneCode = valueOf(p.toneCodeText);
    v.shift = p.repeaterOn == 1;
    v.onAir = p.txState > 0 || p.tuneActive == 1;
    v.tune = p.tuneActive == 1;
    return v;
}

inline Picture radioPicture(const radiosim::RadioEngine& r) {
    Picture v;
    v.split = r.split();
    v.vfoA = r.frequencyA();
    if (r.split()) v.vfoB = r.frequencyB();
    v.mode = r.mode();
    v.tone = r.setting("CT0").value_or(0);
    if (v.tone == 1) v.toneCode = r.setting("CN00").value_or(0);
    v.shift = r.setting("OS0").value_or(0) != 0;
    v.onAir = r.transmitting() || r.tuning();
    v.tune = r.tuning() || (r.transmitting() && r.mode() == '5' && r.setting("PC") == 5);
    return v;
}

struct Property {
    const char* name;
    long long Picture::*field;
    int Picture::*flag;
};
inline const Property kProperties[] = {
    {"VFO A", &Picture::vfoA, nullptr},  {"VFO B", &Picture::vfoB, nullptr},
    {"split", nullptr, &Picture::split}, {"mode", nullptr, &Picture::mode},
    {"tone", nullptr, &Picture::tone},   {"tone code", nullptr, &Picture::toneCode},
    {"shift", nullptr, &Picture::shift}, {"transmit", nullptr, &Picture::onAir},
    {"tune", nullptr, &Picture::tune},
};

// The clips F says for the radio's state: "vfob" in split, the megahertz
// without leading zeros, the decimals to the last that is not zero, the mode.
inline std::vector<std::string> spokenFor(const Picture& radio) {
    std::vector<std::string> clips;
    if (radio.split) clips.push_back("vfob");
    if (!radio.split && radio.shift) clips.push_back("repeater");
    const long long hz = radio.split ? radio.vfoB : radio.vfoA;
    if (hz >= 1000000)  // below 1 MHz only the decimals are said
        for (char c : std::to_string(hz / 1000000)) clips.emplace_back(1, c);
    std::string decimals = zeroPadded(static_cast<int>(hz % 1000000), 6);
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    if (!decimals.empty()) clips.push_back("point");
    for (char c : decimals) clips.emplace_back(1, c);
    clips.push_back("mhz");
    const std::map<int, std::vector<std::string>> names{
        {'1', {"lsb.wav"}}, {'2', {"usb.wav"}},           {'3', {"cw.wav"}},  {'5', {"am.wav"}},
        {'4', {"fm.wav"}},  {'B', {"fm.wav", "nar.wav"}}, {'E', {"c4fm.wav"}}};
    if (names.count(radio.mode))
        clips.insert(clips.end(), names.at(radio.mode).begin(), names.at(radio.mode).end());
    if (radio.tone == 1) {
        clips.push_back("ctcss");
        for (char c : zeroPadded(radio.toneCode, 3)) clips.emplace_back(1, c);
    }
    return clips;
}

class TruthRun : public fake::FakeScreen {
  public:
    explicit TruthRun(unsigned seed);
    // The run to its end; the first failure of each property, or nothing.
    std::vector<std::string> run();
    // The keys, gaps and outside changes so far, as one line.
    std::string transcript;
    std::vector<WindowEvent> waitEvents() override;

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
        std::vector<int> keys;  // empty: an outside change (kind > 0) or a quiet check
        int change = 0;
    };
    void plan();
    void outsideChange(int kind);
    void checkPicture();
    void checkSpoken();
    void checkEnd();
    void fail(const std::string& property, const std::string& detail);
    void sample();
    WindowEvent nextEvent();

    std::mt19937 random_;
    std::vector<Step> steps_;
    std::size_t step_ = 0, key_ = 0;
    long long waitUntil_ = -1, nextTick_ = 0, quitAt_ = -1;
    bool keyUp_ = false, fPressed_ = false;
    int client_ = 0, chosenMode_ = 0;
    std::vector<std::string> spokenExpected_;
    std::map<std::string, std::string> failures_;
    std::map<int, Picture> bandPicture_;  // the last quiet picture of each band
    std::map<int, bool> bandMovedSince_;
};

}  // namespace vantor::truth
