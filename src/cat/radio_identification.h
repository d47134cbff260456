#pragma once

#include <cstddef>
#include <string_view>

#include "core/panel.h"

namespace vantor {

// Takes the model number from the four digits after the "ID" found at `at` in
// reply (310 is the same radio as 241), and with a known model the width of
// its frequency fields. Anything but four digits leaves the model as it was.
void takeModelNumber(Panel& p, std::string_view reply, int at);

// Runs once, at the radio's first frequency reply: learns the model from its
// "ID" reply, sets the repeater shifts in the radio's menu, brings the radio
// and the panel into a known condition, reads back the settings the panel
// mirrors, and opens the bridge port.
void identifyRadio(Panel& p);

// Digits of a menu number in the model's "EX" commands.
std::size_t menuNumberLength(int model);

}  // namespace vantor
