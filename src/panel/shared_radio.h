#pragma once
// The programs that share the radio (a logger, a digital-mode program) on the
// bridge port and the network port. They are served whenever they write and
// while the panel speaks; what the panel learns from them (a frequency, a
// mode, the transmitter keyed) is acted on between keys, where it may speak.

#include "core/panel.h"

namespace vantor {

// Relays what the programs have written and hands them their answers. Speaks
// nothing, prints nothing: it also runs while a clip plays.
void serveSharingPrograms(Panel& p);
// Acts on what the programs did: shows their frequencies and modes, follows
// and announces their keying of the transmitter, and unkeys it for a
// program that went away while it had keyed it.
void applySharedNews(Panel& p);

}  // namespace vantor
