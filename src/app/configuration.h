#pragma once
// "vantor.cfg": 14 fixed-column lines, each a label (never read) and a value.

#include <string>
#include <vector>

#include "core/panel.h"

namespace vantor {

inline constexpr int kConfigurationLines = 14;

// Reads "vantor.cfg" from the working directory into the configuration fields.
// False when the file cannot be read (the operator then hears "cfgnf").
bool readConfiguration(Panel& p);
// The column rules applied to the lines of a file already read; missing lines read as empty.
void applyConfigurationLines(Panel& p, const std::vector<std::string>& lines);

}  // namespace vantor
