#include "platform/windows/windows_clock.h"

#include <windows.h>

namespace vantor {

LocalTime WindowsClock::now() {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

long long WindowsClock::monotonicMs() { return static_cast<long long>(::GetTickCount64()); }

}  // namespace vantor
