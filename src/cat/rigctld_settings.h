#pragma once
// The levels, switches and clarifier of the rigctld protocol (L, l, U, u, J,
// j, Z, z): Hamlib's names and scales for each radio, turned into the radio's
// own commands (cat/setting_commands.h) and its answers back into rigctld's
// values. What a radio lacks is "not available", as rigctld says it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cat/rigctld_radio.h"
#include "cat/rigctld_session.h"

namespace vantor {

// Labelled values of an answer ("RIT", "100"); an empty label prints the value alone.
using RigctldValues = std::vector<std::pair<std::string, std::string>>;

// True for the requests served here (get_level only for the levels named here).
bool servesSetting(const RigctldRequest& request);
// Fills the request's commands, or its error; false when the request is not served here.
bool prepareSetting(RigctldRequest& request, const RigDescription& rig);
// The values of the field the radio answered the request's question with,
// or nothing when the field cannot be such an answer.
std::optional<RigctldValues> settingValues(const RigctldRequest& request, std::string_view field,
                                           const RigDescription& rig);

// What this radio serves of them, as dump_state lists it: Hamlib's bits of
// the levels that are set and read and of the switches, the amplifier and
// attenuator steps in dB, and the clarifier's reach.
struct ServedSettings {
    std::uint64_t levels = 0;
    std::uint64_t funcs = 0;
    std::vector<int> preampDecibels;
    std::vector<int> attenuatorDecibels;
    int maxRitHz = 0;
    int maxXitHz = 0;
    std::uint64_t meters = 0;  // the levels that are only read: the S-meter and the transmit meters
};
ServedSettings servedSettings(const RigDescription& rig);

// The served levels as dump_caps lists them, each with its range and step
// ("AF(0..1/0.00392157) "), the read-only meters too unless only the settable
// are wanted; and the served switches' names.
std::string levelList(const RigDescription& rig, bool settableOnly);
std::string funcList(const RigDescription& rig);

}  // namespace vantor
