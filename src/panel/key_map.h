#pragma once
#include <optional>

#include "app/panel.h"
#include "panel/keys.h"

namespace vantor {

// Runs the first row of the key map that matches keyCode and the panel's
// state; nothing when no row does.
std::optional<KeyOutcome> runKeyRow(Panel& p);

}  // namespace vantor
