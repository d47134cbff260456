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
//                       or no request needs the radio
//   takeCatAnswer       after every command nextCatCommand gave: the radio's
//                       answer, or std::nullopt when none came in time. A set
//                       command expects no answer, so std::nullopt after it
//                       means "sent" and the request succeeds; "?;" after it
//                       is still taken as the radio's refusal.
//   takeOutput          the text to write to the socket
//   wantsClose          true once the client has quit or flooded the port;
//                       write takeOutput first, then close.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A stretch of the spectrum as dump_state lists it. Receive ranges carry no
// power; transmit powers are in milliwatts.
struct FrequencyRange {
    long long lowHertz = 0;
    long long highHertz = 0;
    std::uint64_t modes = 0;  // Hamlib mode bits
    int lowMilliwatts = -1;
    int highMilliwatts = -1;
};

struct RigDescription {
    int model = 0;            // the panel's model number (radioModel), 0 = not yet known
    int frequencyDigits = 9;  // 8 on the radios with 8-digit frequency fields
    int hamlibModel = 2;      // the number Hamlib gives this radio; 2 (a radio over the network) if none
    int maxPowerWatts = 100;
    std::string modeDigits;  // the CAT mode digits the radio has ("MD0" + digit)
    int cwPassband = 2400;   // the passband Hamlib calls normal in CW, and in RTTY and data
    int dataPassband = 500;
    std::vector<FrequencyRange> receiveRanges;
    std::vector<FrequencyRange> transmitRanges;
};

// What the panel knows of a radio by its model number and field width.
RigDescription describeRadio(int radioModel, int frequencyDigits);

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
    getPtt,
    setPtt,
    getLevel,
    getPowerstat,
    getLockMode,
    chkVfo,
    dumpState,
    quit,
    refused
};

struct RigctldRequest {
    RigctldKind kind = RigctldKind::refused;
    bool extended = false;  // the answer is labelled, separated by `separator`, and ends in RPRT
    char separator = '\n';
    std::string header;  // "set_freq: 14250000", the echo an extended answer starts with
    std::vector<std::string> arguments;
    int error = 0;                      // an RPRT code known before the radio is asked
    bool onVfoB = false;                // get_vfo: the VFO the client had selected when it asked
    std::optional<CatCommand> command;  // the one command the request needs, if any
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
// False while the client has many requests waiting or much unread output: the
// network side then leaves further bytes in the socket, so a client that
// sends faster than the radio answers is slowed rather than cut off.
bool acceptsInput(const RigctldClient& client);

}  // namespace vantor
