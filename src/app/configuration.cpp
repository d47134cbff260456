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

static bool isMinus(const std::string& line, int column) { return charAt(line, column) == '-'; }

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
    p.shift10mMinus = isMinus(line(9), 7);
    p.shift10mDigits = mid(p.commandText, 8, 3);
    p.shift6mMinus = isMinus(line(10), 6);
    p.shift6mDigits = mid(p.commandText, 7, 3);
    p.shift2mMinus = isMinus(line(11), 6);
    p.shift2mDigits = mid(p.commandText, 7, 3);
    p.shift70cmMinus = isMinus(line(12), 7);
    p.shift70cmDigits = mid(p.commandText, 8, 4);
    p.bridgePort = portNumber(line(13), 9);
    p.debugLogging = valueOf(mid(line(14), 7, 1));
    p.commandText.clear();
}

bool readConfiguration(Panel& p) {
    std::vector<std::string> lines;
    if (readLines("vantor.cfg", lines, kConfigurationLines, kMaxText) != ReadResult::ok) return false;
    applyConfigurationLines(p, lines);
    // The operator cannot hear these; a sighted helper setting up the file can read them.
    if (lines.size() < kConfigurationLines)
        std::cerr << "vantor: vantor.cfg has " << lines.size() << " of its 14 lines; the missing ones read as empty\n";
    if (p.comHandle < 1 || p.comHandle > 256)
        std::cerr << "vantor: vantor.cfg line 1 gives no serial port number from 1 to 256; the radio is not reached\n";
    if (p.baudRate <= 0) std::cerr << "vantor: vantor.cfg line 2 gives no serial speed\n";
    return true;
}

}  // namespace vantor
