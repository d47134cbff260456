#pragma once
// The file that keeps what the panel writes to standard error where a window
// program has none (Windows): one line each, stamped with the local time.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// The log never grows much past this: older lines make way for newer ones.
inline constexpr std::uintmax_t kErrorLogCapBytes = 1 << 20;
// A line longer than this (a runaway message) is cut into pieces.
inline constexpr std::size_t kErrorLogLineLength = 4000;

// "2024-05-01 14:03:22 " + line + CR LF, Notepad's line end.
std::string stampedLine(const LocalTime& time, std::string_view line);

// Whole lines out of what arrives in pieces (a pipe hands over whatever it
// holds). A line ends at LF; a CR before it is dropped.
class LineCollector {
  public:
    std::vector<std::string> add(std::string_view bytes);
    // What is left without a line end, when no more will come; "" when nothing.
    std::string rest();

  private:
    std::string partial_;
};

// Appends text to the file. When the file would grow past capBytes, it is
// first renamed to the same name with ".old" added (replacing an older one),
// so the newest lines are always there and the two together stay within
// twice the cap. False when the text could not be written.
bool appendCapped(const std::filesystem::path& file, std::string_view text, std::uintmax_t capBytes);

}  // namespace vantor
