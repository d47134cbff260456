#pragma once
// Features switched by one key each: the operator hears the feature and its
// new state, then the command goes to the radio and the feature row is redrawn.

#include "core/panel.h"

namespace vantor {

void togglePreamp(Panel& p);

}  // namespace vantor
