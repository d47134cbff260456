#include "panel/poll_cycle.h"

#include "cat/conversation.h"
#include "cat/port_watch.h"
#include "cat/radio_identification.h"
#include "cat/transport.h"
#include "core/text.h"
#include "display/status_window.h"
#include "speech/meter_readouts.h"
#include "speech/say.h"

namespace vantor {

namespace {

constexpr int kTickWrap = 20;
// Two ticks between questions: an idle panel reads the frequency every 200 ms
// with a meter reading between. A little less than two periods of the
// window's timer, whose ticks come a few milliseconds early or late.
constexpr long long kQuestionSpacingMs = 90;

// The S-meter field is refreshed on every meter reply, silently: a clip on
// every second poll would drown everything else.
void refreshSMeterSilently(Panel& p) {
    const std::string reading = mid(p.replyText, 4, 3);
    if (!isDigits(reading, 3)) return;  // a garbled reading says nothing about the signal
    p.sMeterValue = roundedValueOf(reading);
    p.sMeterHeard = 1;
    p.wavePrefix = kMutedClipPrefix;
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

// A frequency answer of either VFO; false when it is damaged or of the wrong width.
bool takeFrequencyAnswer(Panel& p, const std::string& answer) {
    p.replyText = answer;
    if (!takeFrequencyReply(p, p.replyText)) return false;
    radioAnswered(p);
    showFrequencyReply(p);
    return true;
}

// Each answer goes to its reader by its letters, however late it came and
// whatever came with it; answers the radio has outdated are gone already.
void takePollAnswers(Panel& p) {
    if (auto answer = takeAnswerFor(p, "ID"); answer && p.radioModel == 0) takeModelNumber(p, *answer, 1);
    if (p.radioModel == 840) {  // not served: its CAT differs too much
        say(p, "ftx");
        p.running = 0;
        return;
    }
    for (const char* vfo : {"FA", "FB"})
        if (auto answer = takeAnswerFor(p, vfo)) takeFrequencyAnswer(p, *answer);
    if (auto answer = takeAnswerFor(p, "SM")) {
        p.replyText = *answer;
        refreshSMeterSilently(p);
    }
    if (auto answer = takeAnswerFor(p, "RM6")) {
        p.replyText = *answer;
        takeSwrReading(p, 1);
    }
    if (auto answer = takeAnswerFor(p, "RM4"); answer && p.micGainMeter > 0) {
        p.replyText = *answer;
        takeAlcReading(p, 1);
    }
}

// The working VFO, a meter, and in split the receiver's VFO A and a meter again.
void askNextQuestion(Panel& p) {
    const int phases = p.splitOn == 1 ? 4 : 2;
    // A working VFO the panel has never heard (split just set by a program)
    // is asked for before anything else.
    if (p.pollPhase >= phases || pictureFrequency(p, workingVfo(p)) == 0) p.pollPhase = 0;
    const int phase = p.pollPhase;
    p.pollPhase = (phase + 1) % phases;
    if (phase == 0) {
        ask(p, "FA");  // goes as FB in split
    } else if (phase == 2) {
        askUnchanged(p, "FA;");
    } else {
        const bool transmitting = p.tuneActive == 1 || p.txState > 0;
        ask(p, p.micGainMeter > 0 ? "RM4" : transmitting ? "RM6" : "SM0");
    }
    p.replyPending = 1;
    p.pollAskedMs = p.platform.clock.monotonicMs();
}

}  // namespace

void pollTick(Panel& p) {
    // Nothing is asked of a port whose device has gone.
    if (p.menuBusy == 1 || p.radioLink.lost) return;
    if (++p.tickCount > kTickWrap) p.tickCount = 0;
    takePollAnswers(p);
    if (p.running == 0) return;
    if (p.replyPending == 1) {
        if (isWaitingFor(p, kPanelSide)) return;  // neither answered nor given up yet
        p.replyPending = 0;
    }
    // The programs sharing the radio go first; the poll never crowds the line.
    if (p.platform.clock.monotonicMs() - p.pollAskedMs < kQuestionSpacingMs || sharingProgramsBusy(p)) return;
    askNextQuestion(p);
}

}  // namespace vantor
