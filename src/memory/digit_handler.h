#pragma once
#include "core/panel.h"

namespace vantor {

// Every digit key comes here, whatever entry it belongs to.
void handleDigit(Panel& p);

}  // namespace vantor
