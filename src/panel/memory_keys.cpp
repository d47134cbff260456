#include "panel/memory_keys.h"

#include "memory/channels.h"
#include "panel/mode_band_keys.h"
#include "speech/say.h"
#include "speech/spoken_values.h"

namespace vantor {

namespace {

constexpr int kChannelsPerBank = 10;

// A channel entry takes the digits that follow, so it ends a menu entry that
// would otherwise catch them first.
void startChannelEntry(Panel& p, int entry, const char* clip) {
    if (p.keyPrefix == 8 || p.keyPrefix == 9) p.keyPrefix = 0;
    p.channelEntry = entry;
    say(p, clip);
}

}  // namespace

void storeKey(Panel& p) { startChannelEntry(p, 1, "sch"); }

void recallKey(Panel& p) { startChannelEntry(p, 2, "gch"); }

void bankOrBandKey(Panel& p) {
    if (p.channelEntry > 0) {
        say(p, "bank");
        p.bankDigit = -1;
        return;
    }
    bandPrefixKey(p);
}

void nextChannelKey(Panel& p) {
    if (p.memoryBank >= 0 && p.memoryBank < kChannelsPerBank) {
        // Once round the bank at most, back to the channel recalled last: a bank
        // whose channels are all empty or damaged must not hold the panel.
        for (int step = 0; step < kChannelsPerBank; ++step) {
            p.memoryChannel = (p.memoryChannel + 1) % kChannelsPerBank;
            if (!isStoredChannel(p.memoryTable[static_cast<std::size_t>(p.memoryBank * kChannelsPerBank +
                                                                        p.memoryChannel)]))
                continue;
            p.keyCode = '0' + p.memoryChannel;
            say(p, "channel");
            p.channelEntry = 2;
            p.memoryChannelMode = 1;
            p.bankDigit = p.memoryBank;
            recallChannel(p, p.memoryChannel);
            return;
        }
    }
    say(p, "ncs");
    p.memoryBank = 99;
}

}  // namespace vantor
