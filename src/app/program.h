#pragma once
#include "core/panel.h"

namespace vantor {

inline constexpr const char* kVersionText = "3.5a";
inline constexpr const char* kWindowTitle = "*** Yaesu Vantor v3.5a ***";
inline constexpr int kPollTimerId = 1;
inline constexpr int kPollPeriodMs = 50;

enum class RunResult { finished, noWindow };

// The whole run: start-up, the event loop until running is cleared, and the
// orderly shut-down. The memories are saved on every path that had them loaded.
RunResult runProgram(Panel& p);
// The end of a run, however it came: whatever the panel had the radio do for
// a moment ends, the memories are saved, the radio's port is closed.
void shutDown(Panel& p);
// The machine is about to sleep, and may not wake (a flat battery): the
// carrier goes down first, then the moment ends and the memories are saved
// as at the shut-down, and the panel runs on if the machine wakes.
void prepareForSleep(Panel& p);
// From now on the screen calls prepareForSleep before the machine sleeps.
void watchForSleep(Panel& p);

}  // namespace vantor
