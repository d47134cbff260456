#pragma once
// V (split or repeater shift), Z (zero-in or whole kilohertz) and the
// extended prefix X with its second keys.

#include "core/panel.h"

namespace vantor {

void splitKey(Panel& p);          // V
void zeroKey(Panel& p);           // Z
void extendedPrefixKey(Panel& p); // X: the prefix on, or off again
void agcKey(Panel& p);            // X then A
void vfoSwapKey(Panel& p);        // X then S
void fmWidthKey(Panel& p);        // X then M

}  // namespace vantor
