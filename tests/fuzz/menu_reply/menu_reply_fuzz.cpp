// The menu keys: N, a menu number, Enter, then either a value and Enter (a
// set) or Enter alone (a read, whose EX answer is spoken). Every answer to an
// EX command is bytes of the input; the other commands get the simulated
// radio's answers.
//
// Input: a model byte, then rounds: a byte whose low bits choose the number's
// length (mostly the model's own) and whether a value is set, the digits, the
// value's digits, a tick count. Each EX answer takes a length byte and that
// many bytes.

#include <cstddef>
#include <cstdint>
#include <deque>

#include "fuzz_input.h"
#include "panel/keys.h"
#include "program_run.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::vector<int>& models = radiosim::knownModels();
    fuzz::ProgramRun run(models[input.pick(models.size())]);
    run.answer = [&](std::string_view written, const std::string& simulated) {
        return written.rfind("EX", 0) == 0 ? input.bytes(48) : simulated;
    };
    std::deque<std::vector<WindowEvent>> queued;
    run.events = [&]() -> std::vector<WindowEvent> {
        if (queued.empty() && !input.empty()) {
            const int round = input.byte();
            const bool ownLength = (round & 7) != 0;
            const int length = ownLength ? run.radio.traits().menuDigits : (round >> 3) % 7;
            queued.push_back(run.press('N'));
            for (int i = 0; i < length; ++i) queued.push_back(run.press('0' + input.pick(10)));
            queued.push_back(run.press(key::enter));
            if (round & 0x40)
                for (std::size_t i = input.pick(4); i > 0; --i)
                    queued.push_back(run.press(i == 1 && (round & 0x80) ? key::point : '0' + input.pick(10)));
            queued.push_back(run.press(key::enter));
            for (std::size_t i = input.pick(4); i > 0; --i) queued.push_back({{kTimerTick, 1}});
        }
        if (queued.empty()) return {};
        std::vector<WindowEvent> batch = queued.front();
        queued.pop_front();
        if (batch.front().message == kTimerTick) return run.tick();
        return batch;
    };
    run.run(fuzz::configurationFor());
    return 0;
}
