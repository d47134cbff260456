// The panel's picture of the radio against the radio itself, over many
// seeded runs of random keys, late answers, the radio's dial and a program on
// the network port. VANTOR_TRUTH_SEED=N replays one run; VANTOR_TRUTH_SEEDS=N
// runs seeds 1 to N.

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <string>

#include "support/panel_fixture.h"
#include "truth/truth_harness.h"

namespace vantor {
namespace {

constexpr unsigned kDefaultSeeds = 4000;

unsigned fromEnvironment(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

// Each property that fails is reported once: how many seeds broke it, and
// the seed whose run broke it with the fewest keys, to replay.
TEST(Truth, AfterEveryQuietSecondThePanelSaysWhereTheRadioIs) {
    const unsigned one = fromEnvironment("VANTOR_TRUTH_SEED", 0);
    const unsigned first = one != 0 ? one : 1;
    const unsigned last = one != 0 ? one : fromEnvironment("VANTOR_TRUTH_SEEDS", kDefaultSeeds);
    std::map<std::string, std::pair<int, std::string>> broken;  // property: seeds, shortest failure
    for (unsigned seed = first; seed <= last; ++seed) {
        testing::TemporaryDirectory directory;
        std::mt19937 random(seed);
        truth::TruthRun run([&random] { return static_cast<unsigned>(random()); });
        run.debugLog = one != 0;
        for (const std::string& failure : run.run()) {
            auto& [seeds, shortest] = broken[failure.substr(0, failure.find(':'))];
            const std::string text = "seed " + std::to_string(seed) + ": " + failure;
            if (seeds++ == 0 || text.size() < shortest.size()) shortest = text;
        }
        if (run.debugLog) std::cerr << testing::readFile("debug.dat");
    }
    for (const auto& [property, found] : broken)
        ADD_FAILURE() << property << " broken in " << found.first << " of " << last - first + 1 << " runs; "
                      << found.second;
}

}  // namespace
}  // namespace vantor
