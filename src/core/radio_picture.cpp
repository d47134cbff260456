#include "core/radio_picture.h"

#include <utility>

#include "core/text.h"

namespace vantor {

namespace {

// The hertz of a frequency set of the radio's field width, 0 when the command is none.
int hertzOfSet(const Panel& p, std::string_view command) {
    const std::size_t digits = static_cast<std::size_t>(p.frequencyDigits);
    if (command.size() != digits + 3 || command.back() != ';') return 0;
    if (!startsWith(command, "FA") && !startsWith(command, "FB")) return 0;
    if (!isDigits(command.substr(2, digits), digits)) return 0;
    return valueOf(command.substr(2, digits));
}

// The working frequency follows the VFO it is on, once that VFO is known.
void followWorkingVfo(Panel& p) {
    const int hertz = pictureFrequency(p, workingVfo(p));
    if (hertz <= 0) return;
    p.vfoAFrequency = hertz;
    p.frequencyText = megahertzTextOf(zeroPadded(hertz, 9));
    // The band is where the working frequency is, however it got there: a
    // step key, a program, the dial.
    p.bandIndex = bandForMegahertz(hertz / 1000000);
}

}  // namespace

char workingVfo(const Panel& p) { return p.splitOn == 1 ? 'B' : 'A'; }

int pictureFrequency(const Panel& p, char vfo) { return vfo == 'B' ? p.picture.vfoB : p.picture.vfoA; }

std::string megahertzTextOf(const std::string& nineDigits) {
    std::string megahertz = mid(nineDigits, 1, 3);
    for (int i = 0; i < 2 && startsWith(megahertz, "0"); ++i) megahertz.erase(0, 1);
    return megahertz + "." + mid(nineDigits, 4);
}

void takeFrequencyIntoPicture(Panel& p, char vfo, int hertz) {
    if (hertz <= 0) return;
    const std::string digits = zeroPadded(hertz, 9);
    if (vfo == 'B') {
        p.picture.vfoB = hertz;
        p.vfoBText = "B" + digits;
    } else {
        p.picture.vfoA = hertz;
        p.vfoAText = "A" + digits;
    }
    if (vfo == workingVfo(p)) followWorkingVfo(p);
}

void takeCommandIntoPicture(Panel& p, std::string_view command) {
    if (const int hertz = hertzOfSet(p, command)) {
        p.lastFrequencyCommand = std::string(command.substr(0, 2)) + zeroPadded(hertz, 9) + ";";
        takeFrequencyIntoPicture(p, command[1], hertz);
    } else if (command == "FT2;" || command == "FT3;" || command == "FT0;" || command == "FT1;") {
        p.splitOn = command == "FT3;" || command == "FT1;" ? 1 : 0;
        followWorkingVfo(p);
    } else if (command.size() == 5 && startsWith(command, "MD0") && command.back() == ';') {
        p.picture.mode = command[3];
    } else if (command == "AB;") {
        p.picture.modeB = p.picture.mode;
        takeFrequencyIntoPicture(p, 'B', p.picture.vfoA);
    } else if (command == "SV;") {
        std::swap(p.picture.vfoA, p.picture.vfoB);
        if (p.picture.vfoA > 0) p.vfoAText = "A" + zeroPadded(p.picture.vfoA, 9);
        if (p.picture.vfoB > 0) p.vfoBText = "B" + zeroPadded(p.picture.vfoB, 9);
        followWorkingVfo(p);
    }
}

int bandForMegahertz(int megahertz) {
    struct Band {
        int lowest, highest, row;
    };
    static constexpr Band
        kBands[] = {{1, 1, 1},    {3, 3, 2},      {5, 5, 3},     {7, 7, 4},   {10, 10, 5},
                    {14, 14, 6},  {18, 18, 7},    {21, 21, 8},   {24, 24, 9}, {28, 29, 10},
                    {50, 54, 11}, {144, 148, 12}, {430, 449, 13}};  // 440-449: the US repeaters of 70 cm
    for (const Band& band : kBands)
        if (megahertz >= band.lowest && megahertz <= band.highest) return band.row;
    return 14;
}

int modeNumberFor(const Panel& p, std::string_view modeCommand) {
    const std::string* commands[] = {&p.modeCommandLsb, &p.modeCommandUsb,      &p.modeCommandCw,
                                     &p.modeCommandAm,  &p.modeCommandFmNarrow, &p.modeCommandC4fm,
                                     &p.modeCommandFm};
    for (int mode = 1; mode <= 7; ++mode)
        if (*commands[mode - 1] == modeCommand) return mode;
    return 0;
}

}  // namespace vantor
