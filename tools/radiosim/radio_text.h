#pragma once
// Small text helpers for CAT fields: fixed-width decimal numbers and checks.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor::radiosim {

inline bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a field made only of decimal digits (at most 18), else nothing.
inline std::optional<std::int64_t> digitsValue(std::string_view field) {
    if (field.empty() || field.size() > 18) return std::nullopt;
    std::int64_t value = 0;
    for (char c : field) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// value as exactly width decimal digits with leading zeros (value >= 0).
inline std::string padded(std::int64_t value, int width) {
    std::string text = std::to_string(value < 0 ? 0 : value);
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
    return text;
}

}  // namespace vantor::radiosim
