#pragma once
// "debug.dat": one line per CAT command, reply, bridge transfer and key press,
// written as it happens so that a crash still leaves the story behind.

#include <string>

#include "core/panel.h"

namespace vantor {

// Creates "debug.dat" anew with its two header lines (version, date and time;
// port and speed).
void openDebugLog(Panel& p);
// Appends one line when the debug log is on.
void writeDebugLine(Panel& p, const std::string& line);
void closeDebugLog(Panel& p);

}  // namespace vantor
