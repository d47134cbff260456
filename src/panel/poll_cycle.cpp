#include "panel/poll_cycle.h"

#include "core/text.h"
#include "cat/conversation.h"
#include "cat/port_watch.h"
#include "cat/radio_identification.h"
#include "cat/transport.h"
#include "display/status_window.h"
#include "speech/meter_readouts.h"
#include "speech/say.h"

namespace vantor {

namespace {

constexpr int kTickWrap = 20;
constexpr long long kLateReadMs = 100;  // two ticks

void identifyModelFromReply(Panel& p) {
    if (p.radioModel != 0) return;
    if (int at = findPos(p.replyText, "ID")) takeModelNumber(p, p.replyText, at);
}

// The S-meter field is refreshed on every meter reply, silently: a clip on
// every second poll would drown everything else.
void refreshSMeterSilently(Panel& p) {
    const std::string reading = mid(p.replyText, 4, 3);
    if (!isDigits(reading, 3)) return;  // a garbled reading says nothing about the signal
    p.sMeterValue = roundedValueOf(reading);
    p.sMeterHeard = 1;
    p.wavePrefix = "xx";
    saySMeter(p);
    p.wavePrefix = "wave\\";
}

void takeSwrReading(Panel& p, int at) {
    const std::string reading = mid(p.replyText, at + 3, 3);
    const bool peakHold = p.txState > 0 && p.swrSettleCount == 0;
    if (!peakHold || roundedValueOf(reading) > roundedValueOf(p.swrText)) p.swrText = reading;
    if (p.swrReportMode > 0 || p.txState == 0) saySwr(p);
    if (p.txState == 20) p.txState = 0;
    if (p.swrSettleCount > 0) --p.swrSettleCount;
}

void takeAlcReading(Panel& p, int at) {
    const int reading = roundedValueOf(mid(p.replyText, at + 3, 3));
    if (reading > p.alcPeak) p.alcPeak = reading;
    if (p.tickCount > 10) sayAlc(p);
}

void readAnswer(Panel& p) {
    p.replyPending = 0;
    receive(p);
    if (p.replyText.empty()) return;  // no answer in time: the next tick asks again
    const bool frequencyReply = takeFrequencyReply(p, p.replyText);
    if (frequencyReply) radioAnswered(p);
    identifyModelFromReply(p);
    if (p.radioModel == 840) {  // not served: its CAT differs too much
        say(p, "ftx");
        p.running = 0;
        return;
    }
    if (frequencyReply) showFrequencyReply(p);
    if (startsWith(p.replyText, "SM")) refreshSMeterSilently(p);
    if (int at = findPos(p.replyText, "RM6")) takeSwrReading(p, at);
    if (int at = findPos(p.replyText, "RM4"); at > 0 && p.micGainMeter > 0) takeAlcReading(p, at);
}

std::string nextQuery(Panel& p) {
    if (p.pollPhase == 0) return "FA";
    if (p.micGainMeter > 0) return "RM4";
    return p.tuneActive == 1 || p.txState > 0 ? "RM6" : "SM0";
}

}  // namespace

void pollTick(Panel& p) {
    // Nothing is asked of a port whose device has gone.
    if (p.menuBusy == 1 || p.radioLink.lost) return;
    if (++p.tickCount > kTickWrap) p.tickCount = 0;
    if (p.replyPending == 1) {
        // An answer read long after its question means speech held the panel:
        // the poll then asks again at once instead of a tick later.
        const bool late = p.platform.clock.monotonicMs() - p.pollAskedMs >= kLateReadMs;
        readAnswer(p);
        if (!late || p.replyPending == 1 || p.running == 0) return;
    }
    // The programs sharing the radio go first; the poll never crowds the line.
    if (sharingProgramsBusy(p)) return;
    const std::string query = nextQuery(p);
    p.pollPhase = 1 - p.pollPhase;
    ask(p, query);
    p.replyPending = 1;
    p.pollAskedMs = p.platform.clock.monotonicMs();
}

}  // namespace vantor
