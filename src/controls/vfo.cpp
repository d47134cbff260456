#include "controls/vfo.h"

#include "cat/transport.h"
#include "controls/toggles.h"
#include "controls/tone_repeater.h"
#include "core/text.h"
#include "memory/band_defaults.h"

namespace vantor {

namespace {

// The highest frequency the nine-digit field of a frequency command holds.
constexpr int kHighestHertz = 999999999;

}  // namespace

void stepVfoA(Panel& p, long long hertz) {
    const long long stepped = p.vfoAFrequency + hertz;
    if (stepped > 0 && stepped <= kHighestHertz) p.vfoAFrequency = static_cast<int>(stepped);
}

std::string frequencyCommand(int hertz) { return "FA" + zeroPadded(hertz, 9); }

void sendVfoAFrequency(Panel& p) {
    if (p.vfoAFrequency <= 0) return;
    send(p, frequencyCommand(p.vfoAFrequency));
}

bool classifyBand(Panel& p) {
    // Until the radio's frequency is known there is no band to learn.
    if (p.vfoAFrequency <= 0) return false;
    const int band = bandForMegahertz(p.vfoAFrequency / 1000000);
    p.bandIndex = band;
    // The FM family is not stored for the HF bands, nor C4FM below 2 m.
    if (band < 10 && p.currentMode > 4) return false;
    if (band < 12 && p.currentMode == 6) return false;
    return true;
}

void learnBandRow(Panel& p) {
    // The keyer's CW is the operator's only for a moment: the row keeps the mode before it.
    const int mode = p.keyPrefix == 11 ? p.savedMode : p.currentMode;
    if (mode < 1 || mode > 7) return;  // no mode digit to store
    const char modeDigit = static_cast<char>('0' + mode);
    if (!classifyBand(p) || p.bandIndex > 14) return;

    const std::string& row = p.bandTable[static_cast<std::size_t>(p.bandIndex)];
    const std::string working = zeroPadded(p.vfoAFrequency, 9);
    // Outside split VFO B keeps the row's digits; a row damaged by hand
    // editing (or still holding a repeater shift there) takes the working
    // frequency instead, so that the row keeps its layout.
    auto kept = [&](int pos) {
        std::string digits = mid(row, pos, 9);
        return isDigits(digits, 9) ? digits : working;
    };
    std::string vfoA =
        p.splitOn == 1 ? (p.picture.vfoA > 0 ? zeroPadded(p.picture.vfoA, 9) : kept(4)) : working;
    std::string vfoB = p.splitOn == 1 ? working : kept(14);

    // Only a band with a configured shift has a repeater row; on the others
    // the row stays an ordinary one even while the shift is on.
    const std::string shift = p.repeaterOn == 1 ? repeaterShiftField(p) : "";
    std::string body = shift.empty()
                           ? std::string(1, p.splitOn == 1 ? '1' : '0') + modeDigit + "A" + vfoA + "B" + vfoB
                           : std::string("5") + modeDigit + "A" + vfoA + "B" + shift;
    if (p.externalCommand != 0) return;

    // While a tone code is being typed the row keeps the code it had.
    std::string tone = p.toneCodeText;
    if (!isDigits(tone, 3)) tone = mid(row, 23, 3);
    if (!isDigits(tone, 3)) tone = "999";
    p.bandTable[static_cast<std::size_t>(p.bandIndex)] = body + tone + preampColumn(p);
}

void learnStartFrequency(Panel& p) {
    classifyBand(p);
    if (p.bandIndex < 1 || p.bandIndex > 14) return;
    std::string& row = p.bandTable[static_cast<std::size_t>(p.bandIndex)];
    if (isUsableBandRow(row)) row.replace(3, 9, zeroPadded(p.vfoAFrequency, 9));
}

void roundToKilohertz(Panel& p) {
    const long long truncated = p.vfoAFrequency / 1000 * 1000;
    long long hertz = truncated;
    if (truncated == p.vfoAFrequency)
        hertz += p.currentMode == 2 ? 1000 : -1000;
    else if (p.currentMode == 2)
        hertz += 1000;
    // No frequency known yet, or a result the command cannot carry: leave VFO A alone.
    if (p.vfoAFrequency <= 0 || hertz <= 0 || hertz > kHighestHertz) return;
    p.vfoAFrequency = static_cast<int>(hertz);
    send(p, frequencyCommand(p.vfoAFrequency));
}

void setSplit(Panel& p, bool on) {
    if ((p.splitOn == 1) == on) return;
    p.splitOn = on ? 1 : 0;
    send(p, on ? "FT3" : "FT2");
}

void splitOff(Panel& p) {
    p.splitOn = 0;
    send(p, "FT2");
    // The receiver has been on VFO A all along, and the dial or a sharing
    // program may have moved it: VFO A stays where the picture has it. Only
    // while it is unknown does the frequency saved when split went on serve.
    std::string digits = p.picture.vfoA > 0 ? zeroPadded(p.picture.vfoA, 9) : mid(p.splitSavedText, 2);
    if (!isDigits(digits, 9)) return;
    send(p, "FA" + digits);
    if (p.externalCommand != 0 || p.bandIndex < 1 || p.bandIndex > 14) return;
    std::string& row = p.bandTable[static_cast<std::size_t>(p.bandIndex)];
    if (row.size() >= 12) row.replace(3, 9, digits);
}

}  // namespace vantor
