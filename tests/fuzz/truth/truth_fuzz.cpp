// The truth run with every choice taken from the input: keys and their gaps,
// the radio's answer delays, its dial and a network program's changes. After
// every quiet second the panel's picture must be the radio's, and after Q the
// radio must be receiving in the operator's mode with savmem.dat holding each
// band (tests/truth/truth_harness.h). An exhausted input reads as zeros: the
// first gesture, no gaps, prompt answers.

#include <cstddef>
#include <cstdint>

#include "fuzz_checks.h"
#include "fuzz_input.h"
#include "truth/truth_harness.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    fuzz::WorkDirectory::enterEmpty();
    fuzz::HeldErrors errors;
    truth::TruthRun run([&input] { return input.byte() | static_cast<unsigned>(input.byte()) << 8; });
    const std::vector<std::string> failures = run.run();
    if (!failures.empty()) fuzz::broken(failures.front());
    return 0;
}
