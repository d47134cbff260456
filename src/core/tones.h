#pragma once
// The sub-audible tones and digital codes of these radios, in the radios' own
// order (the order of their CAT tone numbers): CTCSS tones in tenths of a hertz,
// DCS codes as their octal digits read as a decimal number.

#include <span>

namespace vantor {

std::span<const int> ctcssTenths();  // 50 tones, 67.0 Hz to 254.1 Hz
std::span<const int> dcsCodes();     // 104 codes, 023 to 754

}  // namespace vantor
