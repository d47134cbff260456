#pragma once
// The receive filter widths of the radios, as Hamlib lists them for each mode
// and as the radios' width (SH) and narrow (NA) commands select them. A radio
// without a table here has its passband fixed at Hamlib's normal one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cat/rigctld_radio.h"

namespace vantor {

// One line group of dump_state's filter section: the modes and their widths.
struct FilterGroup {
    std::uint64_t modes;
    std::vector<int> widths;  // hertz; 0 is Hamlib's "any width"
};

// The filter section in rigctld's order; empty for a radio without a table.
const std::vector<FilterGroup>& filterGroups(const RigDescription& rig);
// The widths dump_state lists for a mode, its normal one first; empty without a table.
std::vector<int> filterWidths(const RigDescription& rig, std::uint64_t modeBit);
bool hasWidthTable(const RigDescription& rig);

// The commands (with their ";") that set the width for `passband` hertz in a
// mode, after the mode itself: the nearest width the radio has at or above it,
// 0 meaning the mode's normal width. Empty when the mode has no width to set
// (its width is fixed); nothing when the radio refuses that width in the mode.
std::optional<std::vector<std::string>> widthCommands(const RigDescription& rig, std::uint64_t modeBit,
                                                      long long passband);
// The question that reads the width ("SH0;").
inline constexpr std::string_view kWidthQuery = "SH0;";
// The width in hertz the radio's answer to kWidthQuery means in a mode, given
// the field after "SH0"; nothing for a field no width of the mode has.
std::optional<int> widthOfAnswer(const RigDescription& rig, std::uint64_t modeBit, std::string_view field);

}  // namespace vantor
