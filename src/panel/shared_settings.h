#pragma once
// Levels and switches a program sharing the radio set: the panel takes them
// as its own keys would leave them, so the window shows them and the next key
// steps on from the program's value.

#include <string>

#include "core/panel.h"

namespace vantor {

// True when `command` (with its ";") was such a setting and has been taken.
// Levels are taken silently: a program may set them on every transmission,
// and the next key says the value it steps to. A switch is said, with the
// words of its key, only when it really changes.
bool followSettingCommand(Panel& p, const std::string& command);

}  // namespace vantor
