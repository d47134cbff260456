#include "cat/port_watch.h"

#include "cat/transport.h"
#include "panel/temporary_states.h"
#include "speech/say.h"

namespace vantor {

namespace {

constexpr long long kRetryMs = 1000;

void retryLater(Panel& p, PortWatch& watch) {
    watch.lost = true;
    watch.awaitingAnswer = false;
    watch.retryAtMs = p.platform.clock.monotonicMs() + kRetryMs;
}

bool openWatched(Panel& p, int port, PortWatch& watch) {
    if (!openCatPort(p, port)) {
        retryLater(p, watch);
        return false;
    }
    watch.lost = false;
    return true;
}

// True when the port's device went away since the last look; the port is then closed.
bool noticeLoss(Panel& p, int port, PortWatch& watch) {
    if (watch.lost || !p.platform.serial.isLost(port)) return false;
    p.platform.serial.close(port);
    retryLater(p, watch);
    return true;
}

// True when a lost port has just opened again.
bool reopened(Panel& p, int port, PortWatch& watch) {
    if (!watch.lost || p.platform.clock.monotonicMs() < watch.retryAtMs) return false;
    return openWatched(p, port, watch);
}

void radioGone(Panel& p) {
    // Nothing asked of a radio that is not there will be answered.
    CatConversation& c = p.conversation;
    c.onLine.reset();
    c.waiting.clear();
    c.recentSets.clear();
    c.heard.clear();
    p.replyPending = 0;
    // The radio that comes back may be another: it is identified afresh.
    p.radioConnected = 0;
    if (p.radioLink.announced) return;
    p.radioLink.announced = true;
    say(p, "radio");
    say(p, "lost");
}

}  // namespace

void openRadioPort(Panel& p) { openWatched(p, p.comHandle, p.radioLink); }

void openBridgePort(Panel& p) { openWatched(p, p.bridgePort, p.bridgeLink); }

void watchPorts(Panel& p) {
    if (noticeLoss(p, p.comHandle, p.radioLink)) radioGone(p);
    if (reopened(p, p.comHandle, p.radioLink)) p.radioLink.awaitingAnswer = true;
    if (p.bridgePort <= 0) return;
    noticeLoss(p, p.bridgePort, p.bridgeLink);
    reopened(p, p.bridgePort, p.bridgeLink);
}

bool radioAway(const Panel& p) { return p.radioLink.lost || p.radioLink.awaitingAnswer; }

void radioAnswered(Panel& p) {
    PortWatch& watch = p.radioLink;
    if (!watch.awaitingAnswer) return;
    watch.awaitingAnswer = false;
    if (watch.announced) {
        watch.announced = false;
        say(p, "radio");
        say(p, "back");
    }
    // A radio that went away keyed may come back keyed: the carrier goes down.
    // Whatever else the panel had it doing for a moment ends too, as its key
    // would end it, before the radio is connected again and its settings are
    // read back. The answer that brought it back is still to be shown.
    const std::string answer = p.replyText;
    endTemporaryStates(p);
    p.replyText = answer;
}

}  // namespace vantor
