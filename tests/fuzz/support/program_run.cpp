#include "program_run.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/program.h"

namespace vantor::fuzz {

namespace {
// VANTOR_FUZZ_TRACE=1 lists on standard error what the panel sent and said,
// to read what a crasher does.
bool tracing() {
    static const bool on = std::getenv("VANTOR_FUZZ_TRACE") != nullptr;
    return on;
}
}  // namespace

const std::vector<int>& allKeys() {
    static const std::vector<int> keys = [] {
        std::vector<int> codes = {9, 13, 16, 17, 27, 32, 33, 34, 37, 38, 39, 40, 45, 91, 110, 187, 189, 190};
        for (int c = '0'; c <= '9'; ++c) codes.push_back(c);
        for (int c = 'A'; c <= 'Z'; ++c) codes.push_back(c);
        for (int c = 96; c <= 105; ++c) codes.push_back(c);   // keypad digits
        for (int c = 112; c <= 123; ++c) codes.push_back(c);  // F1..F12
        return codes;
    }();
    return keys;
}

std::string configurationFor(int bridgePort, int debug) {
    return "COM=1\nSPEED=38400\nPOWER=100\nSWR=0\nATU=0\nTOPBAND=7\nPOWRON=0\nTSQ=0\n10MOFS+100\n6MOFS-500\n"
           "2MOFS-600\n70MOFS-7600\nBRIDGE=" +
           std::to_string(bridgePort) + "\nDEBUG=" + std::to_string(debug) + "\n";
}

std::vector<WindowEvent> ScriptedScreen::waitEvents() {
    std::vector<WindowEvent> batch = nextBatch ? nextBatch() : std::vector<WindowEvent>{};
    if (batch.empty()) batch.push_back({kCloseRequest, 0});
    return batch;
}

ProgramRun::ProgramRun(int model) : radio(model) {
    radio.setSMeter(130);
    serial.setResponder(1, [this](std::string_view written) {
        checkWrites(written);
        radio.advance(virtualClock.nowMs() - radio.now());
        std::string simulated = radio.handle(written);
        return answer ? answer(written, simulated) : simulated;
    });
}

ProgramRun::~ProgramRun() = default;

void ProgramRun::run(const std::string& configuration,
                     const std::vector<std::pair<std::string, std::string>>& files) {
    WorkDirectory::enterEmpty();
    std::ofstream("vantor.cfg", std::ios::binary) << configuration;
    for (const auto& [name, content] : files) std::ofstream(name, std::ios::binary) << content;
    int startTicks = 0;
    screen.nextBatch = [this, &startTicks]() -> std::vector<WindowEvent> {
        checkPanel();
        // The radio answers the first polls, as it does when the panel starts.
        if (!connected() && startTicks < 60 && p.running != 0) {
            ++startTicks;
            return tick();
        }
        startTicks = 60;
        return events ? events() : std::vector<WindowEvent>{};
    };
    {
        HeldErrors errors;
        runProgram(p);
        checkPanel();
        errors.checkLines();
    }
    require(!keyed_, "the run ended with the transmitter keyed");
}

std::vector<WindowEvent> ProgramRun::tick() {
    virtualClock.advance(50);
    return {{kTimerTick, 1}};
}

std::vector<WindowEvent> ProgramRun::press(int code) { return {{kKeyDown, code}, {kKeyUp, code}}; }

void ProgramRun::checkPanel() {
    require(p.bandIndex >= 1 && p.bandIndex <= 14, "bandIndex " + std::to_string(p.bandIndex));
    for (const std::string& clip : speaker.played) {
        if (tracing()) std::fprintf(stderr, "  said %s\n", clip.c_str());
        require(isShippedClip(clip), "clip not shipped: " + clip);
    }
    speaker.played.clear();
}

void ProgramRun::checkWrites(std::string_view written) {
    if (tracing()) std::fprintf(stderr, "  sent %.*s\n", static_cast<int>(written.size()), written.data());
    if (!relaysForOthers) {
        require(!written.empty() && written.back() == ';',
                "a write not ending in \";\": " + std::string(written));
        for (char c : written)
            require(c >= 0x20 && c < 0x7f, "an unprintable byte in a command: " + std::string(written));
    }
    for (std::size_t start = 0, end; (end = written.find(';', start)) != std::string_view::npos;
         start = end + 1) {
        const std::string_view command = written.substr(start, end - start);
        if (command == "TX1" || command == "TX2") keyed_ = true;
        if (command == "TX0") keyed_ = false;
    }
}

}  // namespace vantor::fuzz
