#include "core/text.h"

#include <cmath>
#include <cstdio>

namespace vantor {

std::string cut(std::string_view text) {
    return std::string(text.substr(0, std::min(text.size(), kMaxText)));
}

std::string mid(std::string_view text, int pos, int count) {
    if (pos < 1 || count <= 0 || static_cast<std::size_t>(pos) > text.size()) return "";
    return std::string(text.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(count)));
}

std::string mid(std::string_view text, int pos) {
    if (pos < 1 || static_cast<std::size_t>(pos) > text.size()) return "";
    return std::string(text.substr(static_cast<std::size_t>(pos - 1)));
}

std::string right(std::string_view text, int count) {
    if (count <= 0) return "";
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
    return std::string(text.substr(text.size() - n));
}

int findPos(std::string_view text, std::string_view what) {
    if (what.empty()) return 0;
    auto at = text.find(what);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

double decimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    double value = 0;
    bool anyDigit = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        anyDigit = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value += (text[i] - '0') * scale;
            scale /= 10;
            anyDigit = true;
            ++i;
        }
    }
    if (!anyDigit) return 0;
    return negative ? -value : value;
}

// Values outside the 32-bit range cannot come from a well-formed radio reply or
// configuration line; they are clamped rather than left undefined.
static int clampToInt(double value) {
    if (value > 2147483647.0) return 2147483647;
    if (value < -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

int valueOf(std::string_view text) { return clampToInt(std::trunc(decimalValue(text))); }

int roundedValueOf(std::string_view text) { return clampToInt(std::round(decimalValue(text))); }

std::string zeroPadded(int value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

std::string numberText(int value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

bool isDigits(std::string_view text, std::size_t length) {
    if (text.size() != length) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool allDigits(std::string_view text) { return !text.empty() && isDigits(text, text.size()); }

char charAt(std::string_view text, int pos) {
    if (pos < 1 || static_cast<std::size_t>(pos) > text.size()) return '\0';
    return text[static_cast<std::size_t>(pos - 1)];
}

std::optional<std::string> digitsAt(std::string_view text, int pos, int count) {
    std::string digits = mid(text, pos, count);
    if (count <= 0 || !isDigits(digits, static_cast<std::size_t>(count))) return std::nullopt;
    return digits;
}

}  // namespace vantor
