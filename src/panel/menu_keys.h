#pragma once
// The radio's setup menu (N, number, Enter, then Enter to hear the value or a
// value and Enter to set it), the tone code (I, code, Enter) and D, which
// switches FM and C4FM on the radios that have it.

#include "core/panel.h"

namespace vantor {

void menuKey(Panel& p);          // N
void menuNumberEnter(Panel& p);  // Enter after the menu number
void menuValueEnter(Panel& p);   // Enter after the menu value, or a second Enter
void toneKey(Panel& p);          // I
void toneEnter(Panel& p);        // Enter after a tone code
void fmC4fmKey(Panel& p);        // D

}  // namespace vantor
