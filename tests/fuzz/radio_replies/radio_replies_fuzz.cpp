// Whatever the radio sends, once it is connected: every write of the panel is
// answered with bytes of the input instead of the radio's own answer, and the
// window's timer and some keys run between. The panel must keep speaking only
// its clips and sending only well-formed commands.
//
// Input: a model byte, then events: a byte below 0xC0 is a tick, the others a
// key (the next byte chooses it). Each answer the radio gives takes a length
// byte and that many bytes.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "program_run.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::vector<int>& models = radiosim::knownModels();
    fuzz::ProgramRun run(models[input.pick(models.size())]);
    bool fuzzedAnswers = false;
    run.answer = [&](std::string_view, const std::string& simulated) {
        return fuzzedAnswers ? input.bytes(64) : simulated;
    };
    run.events = [&]() -> std::vector<WindowEvent> {
        fuzzedAnswers = true;
        if (input.empty()) return {};
        if (input.byte() < 0xC0) return run.tick();
        return run.press(fuzz::allKeys()[input.pick(fuzz::allKeys().size())]);
    };
    run.run(fuzz::configurationFor());
    return 0;
}
