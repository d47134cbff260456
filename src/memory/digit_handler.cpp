#include "memory/digit_handler.h"

#include "speech/say.h"

namespace vantor {

namespace {

// More digits than a frequency can have are kept as "too many" without
// overflowing; the entry's Enter then answers "invalid".
constexpr int kTooManyDigits = 1000000000;

void frequencyDigit(Panel& p, int digit) {
    // Zeros in front of the megahertz change nothing: 07.1 is 7.1 MHz.
    const bool leadingZero = p.enteredNumber == 0 && digit == 0;
    if (p.pointTyped == 0 && !leadingZero) ++p.megahertzDigits;
    p.enteredNumber = p.enteredNumber >= kTooManyDigits / 10 ? kTooManyDigits : p.enteredNumber * 10 + digit;
    say(p, std::to_string(digit));
}

}  // namespace

void handleDigit(Panel& p) {
    if (p.keyCode < '0' || p.keyCode > '9') return;
    const bool entryOpen = p.keyPrefix != 0 || p.freqEntryActive != 0 || p.channelEntry != 0 || p.toneOn != 0;
    if (!entryOpen) return;
    p.commandText.clear();
    const int digit = p.keyCode - '0';
    if (p.keyPrefix == 0 && p.freqEntryActive == 1) frequencyDigit(p, digit);
}

}  // namespace vantor
