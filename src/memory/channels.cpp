#include "memory/channels.h"

#include <algorithm>

#include "cat/transport.h"
#include "controls/toggles.h"
#include "controls/tone_repeater.h"
#include "controls/vfo.h"
#include "core/text.h"
#include "display/status_window.h"
#include "memory/memory_file.h"
#include "speech/say.h"

namespace vantor {

namespace {

constexpr int kGeneralCoverage = 14;

// A hand-edited row is read by position; anything there but a digit counts as 0.
std::string digitsOf(std::string_view row, int pos, int count) {
    std::string digits = mid(row, pos, count);
    for (char& c : digits)
        if (c < '0' || c > '9') c = '0';
    return digits;
}

int slotOf(const Panel& p, int channel) { return std::clamp(p.bankDigit, 0, 9) * 10 + channel; }

void sayDigit(Panel& p, int digit) { say(p, std::to_string(digit)); }

// VFO A is the working frequency, except in split, where that is VFO B and
// VFO A is the receiver in the picture (the band row while it is unknown).
std::string vfoADigits(const Panel& p, int band) {
    if (p.splitOn == 0) return zeroPadded(p.vfoAFrequency, 9);
    if (p.picture.vfoA > 0) return zeroPadded(p.picture.vfoA, 9);
    const std::string kept = mid(p.bandTable[static_cast<std::size_t>(band)], 4, 9);
    return isDigits(kept, 9) ? kept : zeroPadded(p.vfoAFrequency, 9);
}

std::string channelRow(Panel& p) {
    const int band = p.bandIndex >= 1 && p.bandIndex <= kGeneralCoverage ? p.bandIndex : kGeneralCoverage;
    const std::string modeAndBand = std::to_string(p.currentMode) + zeroPadded(band, 2);
    p.vfoAText = "A" + vfoADigits(p, band);
    // Only 10 m, 6 m, 2 m and 70 cm have a shift to store; elsewhere a channel
    // taken with the shift on is a plain one.
    const std::string shift = p.repeaterOn == 1 ? repeaterShiftField(p) : "";
    std::string row;
    if (!shift.empty()) {
        row = "5" + modeAndBand + p.vfoAText + "B" + shift;
    } else {
        // In split VFO B is the working frequency, where the panel last sent
        // it or the radio last reported it, never an older reply.
        const std::string vfoB = "B" + (p.splitOn == 1 ? zeroPadded(p.vfoAFrequency, 9) : p.vfoAText.substr(1));
        row = (p.splitOn == 1 ? "1" : "0") + modeAndBand + p.vfoAText + vfoB;
    }
    // A code still being typed is no code.
    row += p.toneOn == 1 && isDigits(p.toneCodeText, 3) ? p.toneCodeText : "999";
    return row + preampColumn(p);
}

void recallSplit(Panel& p, char flag) {
    if (flag == '5') {
        setSplit(p, false);
        return;
    }
    const bool split = flag == '1';
    if (split && p.memoryChannelMode != 1) say(p, "split");
    // The radio hears the channel's split even when the panel's is unchanged:
    // a program on the bridge port may have switched it meanwhile.
    p.splitOn = split ? 0 : 1;
    setSplit(p, split);
}

void recallTone(Panel& p, const std::string& code) {
    if ((p.currentMode == 5 || p.currentMode == 7) && code != "999") {
        p.toneOn = 1;
        p.toneCodeText = code;
        p.dcsSelected = valueOf(code) > 499 ? 1 : 0;
        p.toneFromKeyboard = 0;
        applyToneCode(p);
        return;
    }
    switchToneOff(p);
}

}  // namespace

bool isStoredChannel(std::string_view row) {
    const char mode = charAt(row, 2);
    const int band = valueOf(digitsOf(row, 3, 2));
    return row.size() >= 28 && row.front() != '9' && mode >= '1' && mode <= '7' && band >= 1 &&
           band <= kGeneralCoverage && valueOf(digitsOf(row, 6, 9)) > 0;
}

void storeChannel(Panel& p, int channel) {
    sayDigit(p, channel);
    p.memoryTable[static_cast<std::size_t>(slotOf(p, channel))] = channelRow(p);
    say(p, saveMemoryFile(p) ? "ok" : "invalid");
    p.channelEntry = 0;
}

void recallChannel(Panel& p, int channel) {
    sayDigit(p, channel);
    p.memoryBank = std::clamp(p.bankDigit, 0, 9);
    p.memoryChannel = channel;
    const std::string row = p.memoryTable[static_cast<std::size_t>(slotOf(p, channel))];
    p.channelEntry = 0;
    if (!isStoredChannel(row)) {
        say(p, "invalid");
        p.memoryBank = 99;
        return;
    }
    p.tickCount = 0;
    const char flag = charAt(row, 1);
    const std::string vfoA = digitsOf(row, 6, 9), vfoB = digitsOf(row, 16, 9);
    // The shift goes off before the channel's split is set: switching it off
    // later (with the mode) would take the split with it.
    if (p.repeaterOn == 1) toggleRepeater(p);
    recallSplit(p, flag);
    // The band and the working frequency (VFO B in split) come before the
    // mode: applying the mode remembers it in the band row and resends the frequency.
    p.bandIndex = valueOf(digitsOf(row, 3, 2));
    p.vfoAFrequency = valueOf(p.splitOn == 1 ? vfoB : vfoA);
    p.currentMode = charAt(row, 2) - '0';
    showMode(p);
    p.splitSavedText = "A" + vfoA;
    if (p.splitOn == 1) {
        p.splitOn = 0;  // for this one command only: in split the transport sends FA as FB
        send(p, "FA" + vfoA);
        p.splitOn = 1;
        send(p, "FB" + vfoB);
    } else {
        send(p, "FA" + vfoA);
    }
    if (flag == '5') {
        p.repeaterOn = 0;
        toggleRepeater(p);
    }
    p.recallAnnouncePending = 1;
    recallTone(p, digitsOf(row, 25, 3));
    restorePreamp(p, charAt(row, 28));
}

}  // namespace vantor
