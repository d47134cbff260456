#pragma once
// Polls, within a bound, for what another thread, process or the kernel does.

#include <chrono>
#include <thread>

namespace vantor::testing {

// Asks at most 500 times, 10 ms apart; true at the first yes, so a condition
// that uses up what it saw (input taken) is asked no more after it.
template <typename Condition>
bool eventually(Condition condition) {
    for (int tries = 0; tries < 500; ++tries) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace vantor::testing
