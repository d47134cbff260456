#include "speech/meter_readouts.h"

#include <string>

#include "core/text.h"
#include "speech/say.h"

namespace vantor {

namespace {

// The S-meter field on the top row of the window, right of the mode name.
constexpr int kSMeterX = 750, kSMeterY = 45;

struct SUnit {
    int above;  // raw reading the row needs to exceed
    const char* clip;
    const char* shown;  // four columns, overwriting the previous reading
};

// S8 down to S1; S9 and S0 are handled around the table.
constexpr SUnit kSUnits[] = {
    {108, "8.wav", "S8  "}, {96, "7.wav", "S7  "}, {82, "6.wav", "S6  "}, {68, "5.wav", "S5  "},
    {54, "4.wav", "S4  "},  {40, "3.wav", "S3  "}, {20, "2.wav", "S2  "}, {10, "1.wav", "S1  "},
};

}  // namespace

void saySMeter(Panel& p) {
    Screen& screen = p.platform.screen;
    const int reading = p.sMeterValue;
    say(p, "s.wav");
    if (p.sMeterHeard == 0) {  // S0 would be a reading the radio never gave
        say(p, "na");
        return;
    }
    screen.moveTo(kSMeterX, kSMeterY);
    if (reading > 122) {
        say(p, "9.wav");
        screen.print("S9");
        if (reading > 156) {
            say(p, "plus.wav");
            screen.print("+");
        } else {
            screen.print("  ");
        }
        return;
    }
    for (const SUnit& unit : kSUnits) {
        if (reading > unit.above) {
            say(p, unit.clip);
            screen.print(unit.shown);
            return;
        }
    }
    say(p, "0.wav");
    screen.print("S0  ");
}

void saySwr(Panel& p) {
    if (p.tunerState == 0 && p.txState == 0) return;
    // Until the radio has metered this carrier there is no SWR to speak of.
    if (!isDigits(p.swrText, 3)) {
        say(p, "SWR");
        say(p, "na");
        return;
    }
    if (p.swrReportMode < 2) say(p, "SWR");
    const int n = valueOf(p.swrText);
    const char* units = "1";
    int tenths = 0;
    if (n >= 50 && n <= 119) {
        tenths = (n - 50) / 7;
    } else if (n >= 120 && n <= 159) {
        units = "2";
        tenths = (n - 120) / 10;
    } else if (n >= 160 && n <= 179) {
        units = "3";
        tenths = (n - 160) / 2;
    } else if (n >= 180 && n <= 199) {
        units = "4";
        tenths = (4 * (n - 180) + 5) / 10;  // (n - 180) / 2.5, rounded; never a half
    } else if (n >= 200) {
        units = "gt5";
    }
    p.swrTenthsText = std::to_string(tenths);
    say(p, units);
    say(p, "point");
    say(p, p.swrTenthsText);
    if (p.swrReportMode < 2) say(p, "21");
    if (p.swrReportMode == 1) p.swrReportMode = 2;
}

void sayAlc(Panel& p) {
    if (p.micGainMeter == 1) {
        say(p, "alc");
        p.micGainMeter = 2;
    }
    const std::string digits = std::to_string(p.alcPeak < 0 ? -static_cast<long long>(p.alcPeak) : p.alcPeak);
    for (char digit : digits) say(p, std::string(1, digit));
    p.tickCount = 0;
}

}  // namespace vantor
