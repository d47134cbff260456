#include "memory/digit_handler.h"

#include "core/text.h"
#include "controls/tone_repeater.h"
#include "controls/vfo.h"
#include "memory/channels.h"
#include "speech/say.h"

namespace vantor {

namespace {

// More digits than a frequency can have are kept as "too many" without
// overflowing; the entry's Enter then answers "invalid".
constexpr int kTooManyDigits = 1000000000;

void sayDigit(Panel& p, int digit) { say(p, std::to_string(digit)); }

void frequencyDigit(Panel& p, int digit) {
    // Zeros in front of the megahertz change nothing: 07.1 is 7.1 MHz.
    const bool leadingZero = p.enteredNumber == 0 && digit == 0;
    if (p.pointTyped == 0 && !leadingZero) ++p.megahertzDigits;
    p.enteredNumber = p.enteredNumber >= kTooManyDigits / 10 ? kTooManyDigits : p.enteredNumber * 10 + digit;
    sayDigit(p, digit);
}

void appendDigit(Panel& p, std::string& text, int digit) {
    if (text.size() < kMaxText) text.push_back(static_cast<char>('0' + digit));
    sayDigit(p, digit);
}

// B then a digit: the band row of that number, 0 standing for row 10.
void bandNumber(Panel& p, int digit) {
    learnBandRow(p);  // the band being left keeps where the operator was
    p.bandIndex = digit == 0 ? 10 : digit;
    applyBandRow(p);  // split ends there too
    p.keyPrefix = 0;
}

// A CTCSS number is typed as one or two digits and gets a "0" in front; a DCS
// number is typed as three digits beginning with 5 or 6.
void toneDigit(Panel& p, int digit) {
    if (p.toneCodeText.empty() && digit < 5) p.toneCodeText.push_back('0');
    appendDigit(p, p.toneCodeText, digit);
}

}  // namespace

void handleDigit(Panel& p) {
    if (p.keyCode < '0' || p.keyCode > '9') return;
    const bool entryOpen = p.keyPrefix != 0 || p.freqEntryActive != 0 || p.channelEntry != 0 || p.toneOn != 0;
    if (!entryOpen) return;
    p.commandText.clear();
    const int digit = p.keyCode - '0';
    if (p.bankDigit == -1) {
        p.bankDigit = digit;
        sayDigit(p, digit);
        say(p, "channel");
    } else if (p.keyPrefix == 8) {
        appendDigit(p, p.menuNumberText, digit);
    } else if (p.keyPrefix == 9) {
        appendDigit(p, p.menuValueText, digit);
    } else if (p.channelEntry == 1) {
        storeChannel(p, digit);
    } else if (p.channelEntry == 2 || p.memoryChannelMode == 1) {
        recallChannel(p, digit);
    } else if (p.keyPrefix == 0 && p.freqEntryActive == 1) {
        frequencyDigit(p, digit);
    } else if (p.keyPrefix == 1) {
        bandNumber(p, digit);
    } else if (p.toneOn == 1 && p.toneEntryOpen == 1) {
        toneDigit(p, digit);  // a code in force is changed only by a new I
    }
}

}  // namespace vantor
