#include "app/configuration.h"

#include <iostream>

#include "core/text.h"
#include "platform/files.h"

namespace vantor {

// The last two characters when the line has exactly `twoDigitLength`
// characters, otherwise the last one: how the port numbers are written.
static int portNumber(const std::string& line, std::size_t twoDigitLength) {
    return valueOf(right(line, line.size() == twoDigitLength ? 2 : 1));
}

namespace {

// A repeater shift goes to the radio inside a menu command, so anything but
// digits would garble that command or add one of its own. A line without them
// gives way to its band's shift as vantor.cfg.sample has it.
struct ShiftLine {
    int number;
    int signColumn;  // the digits follow it
    std::size_t fewestDigits;
    std::size_t mostDigits;
    int Panel::*minus;
    std::string Panel::*digits;
    const char* builtIn;  // sign and digits
};

constexpr ShiftLine kShiftLines[] = {
    {9, 7, 3, 3, &Panel::shift10mMinus, &Panel::shift10mDigits, "+100"},
    {10, 6, 3, 3, &Panel::shift6mMinus, &Panel::shift6mDigits, "-500"},
    {11, 6, 3, 3, &Panel::shift2mMinus, &Panel::shift2mDigits, "-600"},
    {12, 7, 3, 4, &Panel::shift70cmMinus, &Panel::shift70cmDigits, "-7600"},
};

// A missing line is not reported here: the file's missing lines are reported together.
void takeRepeaterShift(Panel& p, const ShiftLine& shift, const std::string& line, bool present) {
    const std::string digits = mid(line, shift.signColumn + 1, static_cast<int>(shift.mostDigits));
    if (digits.size() >= shift.fewestDigits && isDigits(digits, digits.size())) {
        p.*shift.minus = charAt(line, shift.signColumn) == '-';
        p.*shift.digits = digits;
        return;
    }
    p.*shift.minus = shift.builtIn[0] == '-';
    p.*shift.digits = shift.builtIn + 1;
    if (!present) return;
    std::cerr << "vantor: vantor.cfg line " << shift.number << " has no repeater shift of "
              << shift.fewestDigits;
    if (shift.mostDigits != shift.fewestDigits) std::cerr << " or " << shift.mostDigits;
    std::cerr << " digits; " << shift.builtIn << " kHz is used\n";
}

}  // namespace

void applyConfigurationLines(Panel& p, const std::vector<std::string>& lines) {
    auto line = [&](int number) -> std::string& {
        p.commandText = number <= static_cast<int>(lines.size()) ? cut(lines[number - 1]) : "";
        return p.commandText;
    };
    p.comHandle = portNumber(line(1), 6);
    p.baudRate = valueOf(mid(line(2), 7));
    const std::string& power = line(3);
    p.powerWatts = power.size() >= 7 && power.size() <= 9 ? valueOf(right(power, static_cast<int>(power.size()) - 6)) : 0;
    if (p.powerWatts < 5) p.powerWatts = 5;
    p.powerMaxWatts = p.powerWatts;
    p.swrReportMode = valueOf(mid(line(4), 5, 1));
    p.tunerState = valueOf(mid(line(5), 5, 1));
    p.topBandCode = mid(line(6), 9, 1);
    p.radioPowerControl = valueOf(mid(line(7), 8, 1));
    p.toneDecodeOn = valueOf(mid(line(8), 5, 1));
    for (const ShiftLine& shift : kShiftLines)
        takeRepeaterShift(p, shift, line(shift.number), shift.number <= static_cast<int>(lines.size()));
    p.bridgePort = portNumber(line(13), 9);
    if (p.bridgePort != 0 && p.bridgePort == p.comHandle) {
        std::cerr << "vantor: vantor.cfg line 13 names the radio's port " << p.comHandle
                  << " as the bridge port; the panel runs without a bridge\n";
        p.bridgePort = 0;
    }
    p.debugLogging = valueOf(mid(line(14), 7, 1));
    p.commandText.clear();
}

bool readConfiguration(Panel& p) {
    std::vector<std::string> lines;
    if (readLines("vantor.cfg", lines, kConfigurationLines, kMaxText) != ReadResult::ok) return false;
    applyConfigurationLines(p, lines);
    // The operator cannot hear these; a sighted helper setting up the file can read them.
    if (lines.size() < kConfigurationLines)
        std::cerr << "vantor: vantor.cfg has " << lines.size()
                  << " of its 14 lines; the missing ones read as empty, "
                     "and missing repeater shifts take the values of vantor.cfg.sample\n";
    if (p.comHandle < 1 || p.comHandle > 256)
        std::cerr << "vantor: vantor.cfg line 1 gives no serial port number from 1 to 256; the radio is not reached\n";
    if (p.baudRate <= 0) std::cerr << "vantor: vantor.cfg line 2 gives no serial speed\n";
    return true;
}

}  // namespace vantor
