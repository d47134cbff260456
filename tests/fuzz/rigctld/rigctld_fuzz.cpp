// A client of the network port sending anything at all, one rigctld session
// on its own: the client's bytes in pieces, each CAT command the session asks
// for answered by the simulated radio, by bytes of the input or not at all,
// and its output taken now and then. Every command must be a printable one
// ending in ";", whatever the client wrote.
//
// Input: a model byte (0 also tries the radio before its model is known), a
// field-width byte, then steps: the low two bits of a byte choose client
// bytes (a length byte and its bytes), the radio's turn, or taking the output.

#include <cstddef>
#include <cstdint>

#include "cat/rigctld_session.h"
#include "fuzz_checks.h"
#include "fuzz_input.h"
#include "radiosim/radio_engine.h"

using namespace vantor;

namespace {

void checkCommand(const CatCommand& command) {
    fuzz::require(!command.text.empty() && command.text.back() == ';',
                  "a command not ending in \";\": " + command.text);
    for (char c : command.text)
        fuzz::require(c >= 0x20 && c < 0x7f, "an unprintable byte in a command: " + command.text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::vector<int>& models = radiosim::knownModels();
    const std::size_t modelChoice = input.pick(models.size() + 1);
    radiosim::RadioEngine radio(models[modelChoice % models.size()]);
    radio.setSMeter(130);
    const RigDescription rig = describeRadio(modelChoice == models.size() ? 0 : radio.traits().id,
                                             input.byte() & 1 ? radio.traits().frequencyDigits : 9);
    RigctldClient client;
    while (!input.empty() && !wantsClose(client)) {
        const int step = input.byte();
        if ((step & 3) <= 1) {
            const std::string bytes = input.bytes(96);
            if (acceptsInput(client)) takeClientBytes(client, bytes, rig);
        } else if ((step & 3) == 2) {
            const std::optional<CatCommand> command = nextCatCommand(client);
            if (!command) continue;
            checkCommand(*command);
            std::optional<std::string> answer;
            if ((step & 0x0C) == 0) {
                answer = input.bytes(32);
            } else if ((step & 0x0C) == 4) {
                answer = std::nullopt;  // no answer in time
            } else {
                answer = radio.handle(command->text);
                if (answer->empty() && command->expectsAnswer) answer = std::nullopt;
            }
            takeCatAnswer(client, answer, rig);
        } else {
            takeOutput(client);
        }
        fuzz::require(client.output.size() < (1u << 20), "the client's output grows without bound");
    }
    return 0;
}
