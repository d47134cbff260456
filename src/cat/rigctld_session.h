#pragma once
// One client of the network port, speaking the rigctld text protocol that
// programs using Hamlib's "NET rigctl" model expect. This is only the protocol:
// bytes from the client go in, the CAT commands its requests need come out one
// at a time, the radio's answers go in, and the text for the client comes out.
// The sockets and the turn-taking with the panel's own traffic live elsewhere.
//
// The scheduler's side, for each client:
//   takeClientBytes     whatever the socket delivered (only while acceptsInput)
//   nextCatCommand      a command to send, or nothing while one is outstanding
//                       or no request needs the radio; a request may need
//                       several, given one at a time
//   takeCatAnswer       after every command nextCatCommand gave: the radio's
//                       answer, or std::nullopt when none came in time. For
//                       a set: "?;" when the radio refused it, any other
//                       text when it took it, std::nullopt when no verdict
//                       came (RPRT -5).
//   takeOutput          the text to write to the socket
//   wantsClose          true once the client has quit or flooded the port;
//                       write takeOutput first, then close.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cat/rigctld_radio.h"

namespace vantor {

// Hamlib's RPRT codes for what went wrong.
namespace rprt {
inline constexpr int kInvalid = -1, kTimeout = -5, kProtocol = -8, kRejected = -9, kNotAvailable = -11;
}  // namespace rprt

struct CatCommand {
    std::string text;  // with its ";"
    bool expectsAnswer = false;
    bool operator==(const CatCommand&) const = default;
};

enum class RigctldKind {
    getFreq,
    setFreq,
    getMode,
    setMode,
    getVfo,
    setVfo,
    getSplitVfo,
    setSplitVfo,
    getSplitFreq,
    setSplitFreq,
    getSplitMode,
    setSplitMode,
    getPtt,
    setPtt,
    getLevel,
    setLevel,
    getFunc,
    setFunc,
    getRit,
    setRit,
    getXit,
    setXit,
    getPowerstat,
    getLockMode,
    chkVfo,
    dumpState,
    dumpCaps,
    powerToMilliwatts,
    milliwattsToPower,
    quit,
    refused
};

struct RigctldRequest {
    RigctldKind kind = RigctldKind::refused;
    bool extended = false;  // the answer is labelled, separated by `separator`, and ends in RPRT
    char separator = '\n';
    std::string header;  // "set_freq: 14250000", the echo an extended answer starts with
    std::vector<std::string> arguments;
    int error = 0;          // an RPRT code known before the radio is asked
    int errorWhenSent = 0;  // the code once every command went through (a mode set, a width refused)
    bool onVfoB = false;    // get_vfo: the VFO the client had selected when it asked
    // The commands the request needs, sent one after another, and the radio's
    // answer to each sent so far ("" for a set that needs none).
    std::vector<CatCommand> commands;
    std::vector<std::string> answers;
};

struct RigctldClient {
    std::string partialLine;              // input after the last end of line
    bool skippingLongLine = false;        // an overlong line is being dropped up to its end
    char pendingSeparator = 0;            // a separator character sent on its own, for the next command
    bool onVfoB = false;                  // the client selected VFO B: its f and F read and set FB
    std::deque<RigctldRequest> requests;  // answered strictly in order
    bool commandOutstanding = false;      // the front request's command is with the scheduler
    std::string output;
    bool closing = false;
};

void takeClientBytes(RigctldClient& client, std::string_view bytes, const RigDescription& rig);
std::optional<CatCommand> nextCatCommand(RigctldClient& client);
void takeCatAnswer(RigctldClient& client, std::optional<std::string> answer, const RigDescription& rig);
std::string takeOutput(RigctldClient& client);
bool wantsClose(const RigctldClient& client);
// True while requests of the client wait for their answers.
bool hasRequests(const RigctldClient& client);
// False while the client has many requests waiting or much unread output: the
// network side then leaves further bytes in the socket, so a client that
// sends faster than the radio answers is slowed rather than cut off.
bool acceptsInput(const RigctldClient& client);

}  // namespace vantor
