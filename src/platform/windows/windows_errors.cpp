#include "platform/windows/windows_errors.h"

#include <windows.h>

#include <cstdio>

namespace vantor {

namespace {

// The system's words for the code, or "" when it has none.
std::string lookUp(unsigned long error) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text ? std::string(text, length) : "";
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == '.' ||
                                message.back() == ' '))
        message.pop_back();
    return message;
}

}  // namespace

std::string systemMessage(unsigned long error) {
    const std::string message = lookUp(error);
    return message.empty() ? "system error " + std::to_string(error) : message;
}

std::string hresultMessage(long result) {
    const unsigned long code = static_cast<unsigned long>(result) & 0xFFFFFFFFul;
    char number[24];
    std::snprintf(number, sizeof number, "0x%08lX", code);
    const std::string words = lookUp(code);
    return std::string("HRESULT ") + number + (words.empty() ? "" : " (" + words + ")");
}

}  // namespace vantor
