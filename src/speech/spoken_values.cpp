#include "speech/spoken_values.h"

#include <cstdlib>
#include <string>

#include "core/text.h"
#include "speech/say.h"

namespace vantor {

namespace {

// The frequency text is read no further than this column: three megahertz
// places, the point, six decimals and one spare column.
constexpr int kLastFrequencyColumn = 11;

// Each decimal digit of a value as its own clip, most significant first,
// without a sign.
void sayDigits(Panel& p, int value) {
    const std::string digits = std::to_string(std::abs(static_cast<long long>(value)));
    for (char digit : digits) say(p, std::string(1, digit));
}

}  // namespace

void sayMode(Panel& p) {
    if (p.memoryChannelMode == 1) return;
    switch (p.currentMode) {
        case 1:
            say(p, "lsb.wav");
            break;
        case 2:
            say(p, "usb.wav");
            break;
        case 3:
            say(p, "cw.wav");
            break;
        case 4:
            say(p, "am.wav");
            break;
        case 5:
            say(p, "fm.wav");
            say(p, "nar.wav");
            break;
        case 6:
            say(p, "c4fm.wav");
            break;
        case 7:
            say(p, "fm.wav");
            break;
        default:
            break;  // an unknown mode has no name
    }
}

void sayFrequency(Panel& p) {
    if (p.memoryChannelMode == 1) return;
    const std::string text = p.frequencyText;
    if (text.empty()) {
        say(p, "nc");
        return;
    }
    if (p.splitOn == 0 && p.repeaterOn == 1) say(p, "repeater");
    if (p.txFrequencyReadout == 1 && p.repeaterOn == 1) say(p, "tx");
    // In split the keys tune VFO B, also when a program set split with the shift on.
    if (p.splitOn == 1 && p.txFrequencyReadout == 0) say(p, "vfob");

    // A typed frequency may come without a point: then it is all megahertz.
    const int point = findPos(text, ".");
    const int megahertzEnd = point > 0 ? point - 1 : static_cast<int>(text.size());
    bool leading = true;
    for (int i = 1; i <= megahertzEnd; ++i) {
        const char c = charAt(text, i);
        if (c == ' ') continue;  // the blanked leading zeros
        if (leading && c == '0') continue;
        leading = false;
        say(p, std::string(1, c));
    }

    // Whole megahertz are said without "point".
    if (point == 0 || decimalValue(mid(text, point + 1, kLastFrequencyColumn - point)) == 0) {
        say(p, "mhz");
        return;
    }
    say(p, "point");
    for (int i = point + 1; i <= kLastFrequencyColumn; ++i) {
        const char c = charAt(text, i);
        if (c != '\0' && c != ' ') say(p, std::string(1, c));
        // Trailing zeros are not spoken.
        if (decimalValue(mid(text, i + 1, kLastFrequencyColumn - i)) == 0) break;
    }
    say(p, "mhz");
}

void sayBandwidth(Panel& p) {
    const int w = p.widthCode;
    say(p, "bw");
    if (p.currentMode == 1 || p.currentMode == 2) {
        // Sideband widths in kilohertz, one decimal.
        say(p, w < 11 ? "1.wav" : w <= 19 ? "2.wav" : "3.wav");
        say(p, "point");
        if (w == 9) say(p, "8.wav");
        if (w == 10) say(p, "9.wav");
        if (w >= 11 && w <= 19) say(p, std::string(1, static_cast<char>('0' + w % 10)));
        if (w == 20) say(p, "0.wav");
        if (w == 21) say(p, "1.wav");
        say(p, "khz");
        return;
    }
    // CW, AM and FM widths in hertz.
    if (w == 11) {
        say(p, "8");
        say(p, "0");
    } else if (w == 12) {
        say(p, "1");
        say(p, "2");
        say(p, "0");
    } else {
        const int half = w / 2;
        // Digit by digit: a two-digit half would otherwise pick up an
        // unrelated recording such as the band name "12".
        if (half > 0) sayDigits(p, half);
        say(p, w % 2 == 0 ? "0" : "5");
    }
    say(p, "0");
    say(p, "hz");
}

void sayPower(Panel& p) {
    sayDigits(p, p.powerWatts);
    say(p, "watts");
}

void sayBand(Panel& p) {
    static const char* const kBandNames[] = {
        "", "160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6", "2", "70", "un",
    };
    if (p.bandIndex >= 1 && p.bandIndex <= 14) say(p, kBandNames[p.bandIndex]);
    if (p.bandIndex < 14) say(p, "metres");
}

void sayKeyerSpeed(Panel& p) {
    sayDigits(p, p.keyerSpeed);
    say(p, "wpm");
}

}  // namespace vantor
