// A program on the bridge port (port 3) writing anything at all, while the
// simulated radio answers on port 1 and the panel's own timer and keys go on.
// Its bytes reach the radio as it wrote them, so the radio's writes are not
// checked as the panel's own commands; everything else is.
//
// Input: events. A byte below 0x80 is a write of the client (a length byte
// and that many bytes follow) announced as input, one below 0xE0 a tick, the
// others a key (the next byte chooses it).

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "program_run.h"

using namespace vantor;

namespace {
constexpr int kBridgePort = 3;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    fuzz::ProgramRun run;
    run.relaysForOthers = true;
    run.events = [&]() -> std::vector<WindowEvent> {
        if (input.empty()) return {};
        const int choice = input.byte();
        if (choice < 0x80) {
            run.serial.pushIncoming(kBridgePort, input.bytes(80));
            run.virtualClock.advance(10);
            return {{kInputReady, 0}};
        }
        if (choice < 0xE0) return run.tick();
        return run.press(fuzz::allKeys()[input.pick(fuzz::allKeys().size())]);
    };
    run.run(fuzz::configurationFor(kBridgePort));
    return 0;
}
