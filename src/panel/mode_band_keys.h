#pragma once
// M (the next operating mode), B with its band keys, and O (every option that
// is on, in words).

#include "core/panel.h"

namespace vantor {

void nextModeKey(Panel& p);    // M
void bandPrefixKey(Panel& p);  // B: the next key chooses the band
// X, T, S or U after B: 6 m, 2 m, 70 cm or general coverage; false for any
// other key, which B's prefix leaves to the rest of the key map.
bool bandChoiceKey(Panel& p);
void optionsKey(Panel& p);  // O

}  // namespace vantor
