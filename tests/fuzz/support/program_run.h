#pragma once
// A whole run of the program (start-up, event loop, shut-down) on the fake
// platform, with the simulated radio on port 1 and the window's events taken
// from the fuzzer's input. After every batch of events, and after the run,
// the panel's promises are checked:
//   - bandIndex stays 1..14;
//   - each write to the radio is printable commands, each ending in ";"
//     (unless relayed for a sharing program, whose bytes are its own);
//   - every clip played is one the program ships;
//   - the run ends with no "TX1" (or "TX2") left without a later "TX0";
//   - standard error carries only "vantor: " lines.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/panel.h"
#include "fuzz_checks.h"
#include "platform/fake/fake_platform.h"
#include "radiosim/radio_engine.h"

namespace vantor::fuzz {

// Every virtual-key code the platform delivers (platform/linux/key_codes.cpp).
const std::vector<int>& allKeys();

// A vantor.cfg for the radio on port 1 at 38400 baud; bridge 0 for none.
std::string configurationFor(int bridgePort = 0, int debug = 0);

// The screen whose events come from a function instead of a queue; an empty
// batch closes the window, so every run ends.
class ScriptedScreen : public fake::FakeScreen {
  public:
    std::vector<WindowEvent> waitEvents() override;
    std::function<std::vector<WindowEvent>()> nextBatch;
};

class ProgramRun {
  public:
    // The radio is a simulated `model`; its bytes may be replaced with `answer`.
    explicit ProgramRun(int model = 670);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Writes vantor.cfg and the other files (name, content) into the emptied
    // working directory and runs the program to its end, checking as it goes.
    void run(const std::string& configuration,
             const std::vector<std::pair<std::string, std::string>>& files = {});

    // Event helpers for nextBatch. A tick moves the virtual clock by the
    // timer's period first.
    std::vector<WindowEvent> tick();
    std::vector<WindowEvent> press(int code);
    bool connected() const { return p.vfoAFrequency != 0; }

    fake::VirtualClock virtualClock;
    fake::FakeSerialPorts serial{virtualClock};
    fake::FakeSpeaker speaker{virtualClock};
    ScriptedScreen screen;
    fake::FakeClock clock{virtualClock};
    fake::FakeNetwork network;
    Platform platform{serial, speaker, screen, clock, network};
    Panel p{platform};
    radiosim::RadioEngine radio;

    // The events of the run, after start-up; none ends it.
    std::function<std::vector<WindowEvent>()> events;
    // Replaces the simulator's answer to the bytes the panel wrote; set to
    // nothing to let the simulator answer.
    std::function<std::string(std::string_view written, const std::string& simulated)> answer;
    // The radio's writes carry bytes of other programs: they are not checked
    // as the panel's own commands.
    bool relaysForOthers = false;

  private:
    void checkPanel();
    void checkWrites(std::string_view written);
    bool keyed_ = false;
    std::unique_ptr<HeldErrors> errors_;
};

}  // namespace vantor::fuzz
