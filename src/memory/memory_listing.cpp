#include "memory/memory_listing.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "platform/files.h"

namespace vantor {

namespace {

constexpr const char* kListingName = "memory.txt";
constexpr int kBanks = 10;
constexpr int kChannelsPerBank = 10;

// Channel row columns (1-based): 1 split flag ("0" simplex, "1" split,
// "5" repeater), 2 mode digit, 3-4 band, 5 "A", 6-14 VFO A in Hz, 15 "B",
// 16-24 VFO B in Hz or, on a repeater, sign and shift in kHz, 25-27 tone code,
// 28 preamp ("0" off, "1" AMP1, "2" AMP2).
constexpr char kSplit = '1';
constexpr char kRepeater = '5';

bool occupied(const std::string& row) { return !row.empty() && row.front() != '9'; }

// Whole megahertz from the first three digits of a 9-digit frequency.
std::string megahertzText(std::string_view digits) { return std::to_string(valueOf(digits)); }

// The six digits below the megahertz, trailing zeros dropped but the first
// digit always kept: 250000 -> "25", 000000 -> "0".
std::string fractionText(std::string_view digits) {
    std::string text = mid(digits, 1, 1);
    for (int k = 2; k <= 6 && valueOf(mid(digits, k)) != 0; ++k) text += mid(digits, k, 1);
    return text;
}

std::string frequencyText(std::string_view row, int pos) {
    return megahertzText(mid(row, pos, 3)) + "." + fractionText(mid(row, pos + 3, 6));
}

std::string modeText(char digit) {
    static constexpr const char* kModes[] = {"  LSB", "  USB", "  CW", "  AM", "  FMN", "  C4FM", "  FMW"};
    if (digit < '1' || digit > '7') return "";
    return kModes[digit - '1'];
}

std::string shiftText(std::string_view digits) {
    const auto first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) return "0";
    return std::string(digits.substr(first));
}

std::string slotText(int channel, const std::string& row) {
    const char kind = charAt(row, 1);
    std::string line = "Slot " + std::to_string(channel) + " A=" + frequencyText(row, 6);
    if (kind != kRepeater) line += "  B=" + frequencyText(row, 16);
    line += modeText(charAt(row, 2));
    if (kind == kRepeater) {
        line += "  Repeater";
        line += charAt(row, 16) == '+' ? "  +" : "  -";
        line += shiftText(mid(row, 17, 8)) + "Khz";
    }
    line += kind == kSplit ? "  split" : "       ";
    const std::string tone = mid(row, 25, 3);
    if (tone != "999") line += std::string("   ") + (charAt(tone, 1) > '4' ? "DCS=" : "CTCSS=") + tone;
    return line;
}

}  // namespace

void writeMemoryListing(Panel& p) {
    std::vector<std::string> lines{"Memory Bank Information", "  "};
    const std::size_t titleLines = lines.size();
    for (int bank = 0; bank < kBanks; ++bank) {
        bool bankNamed = false;
        for (int channel = 0; channel < kChannelsPerBank; ++channel) {
            const std::string& row = p.memoryTable[bank * kChannelsPerBank + channel];
            if (!occupied(row)) continue;
            if (!bankNamed) {
                lines.push_back("  ");
                lines.push_back("Bank" + std::to_string(bank));
                bankNamed = true;
            }
            lines.push_back(slotText(channel, row));
        }
    }
    if (lines.size() == titleLines) lines.push_back("Empty");
    errno = 0;
    if (writeLinesSafely(kListingName, lines)) return;
    const int error = errno;
    std::cerr << "vantor: cannot write " << kListingName << ": "
              << (error != 0 ? std::strerror(error) : "write failed") << '\n';
}

}  // namespace vantor
