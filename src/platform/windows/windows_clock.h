#pragma once
// The machine's local date and time.

#include "platform/platform.h"

namespace vantor {

class WindowsClock : public Clock {
public:
    LocalTime now() override;
    long long monotonicMs() override;
};

}  // namespace vantor
