#pragma once
// C stores, G recalls, B inside either chooses the bank, U steps to the next
// stored channel of the bank last recalled. The digits go to the digit handler.

#include "core/panel.h"

namespace vantor {

void storeKey(Panel& p);        // C
void recallKey(Panel& p);       // G
void bankOrBandKey(Panel& p);   // B: the bank inside a channel entry, else the band prefix
void nextChannelKey(Panel& p);  // U

}  // namespace vantor
