#pragma once
// Small helpers for radio data and fixed-column files. Positions count from 1,
// as the CAT replies and file columns are described, and no helper ever reads
// past the end of its text.

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The longest text a panel field holds; longer data from outside is cut.
inline constexpr std::size_t kMaxText = 254;

std::string cut(std::string_view text);                      // first 254 characters
std::string mid(std::string_view text, int pos, int count);  // "" past the end
std::string mid(std::string_view text, int pos);             // from pos to the end
std::string right(std::string_view text, int count);         // last count characters
int findPos(std::string_view text, std::string_view what);   // 1-based, 0 when absent
bool startsWith(std::string_view text, std::string_view prefix);
// Decimal conversion: leading blanks and tabs skipped, optional "-", digits with
// an optional fraction; stops at the first other character; no digits give 0.
double decimalValue(std::string_view text);
int valueOf(std::string_view text);         // truncated toward zero
int roundedValueOf(std::string_view text);  // rounded to the nearest integer
std::string zeroPadded(int value, int width);  // zeroPadded(5, 3) == "005"
// Number-to-text as the debug log writes it: one leading blank for non-negative values.
std::string numberText(int value);
// True when text is exactly `length` decimal digits (radio fields, row columns).
bool isDigits(std::string_view text, std::size_t length);
// True when text is one or more decimal digits and nothing else.
bool allDigits(std::string_view text);
// One character at a given 1-based position, or '\0' past the end.
char charAt(std::string_view text, int pos);
// The `count` characters at `pos` when they are all decimal digits, else nothing:
// a value read from the radio that goes back into a command must be digits.
std::optional<std::string> digitsAt(std::string_view text, int pos, int count);

}  // namespace vantor
