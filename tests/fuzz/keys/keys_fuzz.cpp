// Any sequence of the keys the platform delivers, with the radio answering,
// falling silent, answering with stray bytes or garbage in front, the timer
// running between, and the window closed at any point. The program run checks
// after every key that the band stays 1..14, commands are printable and end in
// ";", every clip is a shipped one, and that the close leaves the transmitter
// unkeyed.
//
// Input: a model byte, a debug-log byte, then events: below 200 a key (of the
// whole key map), then a tick, radio silence on/off, one stray answer (a
// length byte and its bytes), garbage before the answers, the close request.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_input.h"
#include "program_run.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::vector<int>& models = radiosim::knownModels();
    fuzz::ProgramRun run(models[input.pick(models.size())]);
    const int debug = input.byte() & 1;
    std::optional<std::string> stray;
    run.answer = [&](std::string_view, const std::string& simulated) {
        std::string reply = stray.value_or(simulated);
        stray.reset();
        return reply;
    };
    run.events = [&]() -> std::vector<WindowEvent> {
        if (input.empty()) return {};
        const int choice = input.byte();
        const std::vector<int>& keys = fuzz::allKeys();
        if (choice < 200) return run.press(keys[static_cast<std::size_t>(choice) % keys.size()]);
        if (choice < 230) return run.tick();
        if (choice < 238) {
            run.radio.setSilent(!run.radio.silent());
        } else if (choice < 246) {
            stray = input.bytes(32);
        } else if (choice < 252) {
            run.radio.setGarbageBeforeReply(input.bytes(8));
        } else {
            return {{kCloseRequest, 0}};
        }
        return run.tick();
    };
    run.run(fuzz::configurationFor(0, debug));
    return 0;
}
