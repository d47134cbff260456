#pragma once
// The 100 memory channels (10 banks of 10): the radio's state stored into a
// slot, and the radio put back on a stored slot. Slot = bank * 10 + channel,
// the bank being bankDigit.

#include <string_view>

#include "core/panel.h"

namespace vantor {

// True when a slot holds a channel the radio can be put on: at least 28
// characters, a mode digit 1..7, a band 01..14 and a VFO A above 0 Hz. An
// empty slot ("9") and a damaged hand-edited row are not, so nothing out of
// range reaches the radio.
bool isStoredChannel(std::string_view row);
// Stores the radio's frequency, mode, split or repeater shift, tone and preamp
// into the channel, writes the memory file and says "ok"; "invalid" when the
// file could not be written (the channel is kept for the next save).
void storeChannel(Panel& p, int channel);
// Puts the radio on the channel; "invalid" for an empty slot. The next
// frequency reply announces where the radio now is.
void recallChannel(Panel& p, int channel);

}  // namespace vantor
