#pragma once
#include <optional>

#include "core/panel.h"
#include "panel/keys.h"

namespace vantor {

// Runs the first row of the key map that matches keyCode and the panel's
// state; nothing when no row does.
std::optional<KeyOutcome> runKeyRow(Panel& p);
// The second keys of the extended prefix that come before every other rule
// (A: AGC, S: VFO swap); false when the key is not one of them.
bool runExtendedFirstKey(Panel& p);

}  // namespace vantor
