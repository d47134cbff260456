#include "cat/rigctld_filters.h"

#include <algorithm>
#include <charconv>

#include "cat/setting_commands.h"

namespace vantor {

namespace {

using namespace hamlib_mode;

enum class Family { none, ft991, ftdx101 };

Family familyOf(const RigDescription& rig) {
    if (isFt991(rig.model)) return Family::ft991;
    switch (rig.model) {
        case 681:
        case 682:
        case 761:
            return Family::ftdx101;
        default:
            return Family::none;
    }
}

constexpr std::uint64_t kSsb = kUsb | kLsb;
constexpr std::uint64_t kCwModes = kCw | kCwr;
constexpr std::uint64_t kDataModes = kRtty | kRttyr | kPktLsb | kPktUsb;

// The width each SH index selects, index 1 first; index 0 is the mode's normal width.
struct IndexTable {
    std::uint64_t modes;
    std::vector<int> widths;
};

const std::vector<IndexTable>& indexTables(Family family) {
    static const std::vector<IndexTable> ft991{
        {kCwModes | kDataModes,
         {50, 100, 150, 200, 250, 300, 350, 400, 450, 500, 800, 1200, 1400, 1700, 2000, 2400, 3000}},
        {kSsb, {200,  400,  600,  850,  1100, 1350, 1500, 1650, 1800, 1950, 2100,
                2200, 2300, 2400, 2500, 2600, 2700, 2800, 2900, 3000, 3200}}};
    static const std::vector<IndexTable> ftdx101{
        {kCwModes | kDataModes,
         {50, 100, 150, 200, 250, 300, 350, 400, 450, 500, 600, 800, 1200, 1400, 1700, 2000, 2400, 3000}},
        {kSsb, {300,  400,  600,  850,  1100, 1200, 1500, 1650, 1800, 1950, 2100, 2200,
                2300, 2400, 2500, 2600, 2700, 2800, 2900, 3000, 3200, 3500, 4000}}};
    static const std::vector<IndexTable> none;
    return family == Family::ft991 ? ft991 : family == Family::ftdx101 ? ftdx101 : none;
}

const IndexTable* indexTableFor(const RigDescription& rig, std::uint64_t modeBit) {
    for (const IndexTable& table : indexTables(familyOf(rig)))
        if (table.modes & modeBit) return &table;
    return nullptr;
}

std::string narrow(bool on) { return narrowFilterCommand(on) + ";"; }

}  // namespace

const std::vector<FilterGroup>& filterGroups(const RigDescription& rig) {
    static const std::vector<FilterGroup> ft991{
        {kDataModes,
         {500, 300, 3000, 2400, 2000, 1700, 1400, 1200, 800, 450, 400, 350, 250, 200, 150, 100, 50}},
        {kCwModes,
         {2400, 500, 3000, 2000, 1700, 1400, 1200, 800, 450, 400, 350, 300, 250, 200, 150, 100, 50}},
        {kSsb, {2400, 1500, 3200, 3000, 2900, 2800, 2700, 2600, 2500, 2300,
                2200, 2100, 1950, 1650, 1350, 1100, 850,  600,  400,  200}},
        {kAm, {9000}},
        {kAmn, {6000}},
        {kFm | kPktFm | kC4fm, {16000}},
        {kFmn, {9000}}};
    static const std::vector<FilterGroup> ftdx101{{kCwModes | kDataModes, {600, 300, 2400, 1200}},
                                                  {kSsb, {2400, 1800, 3000}},
                                                  {kAm, {9000}},
                                                  {kAmn, {6000}},
                                                  {kFm | kPktFm, {16000}},
                                                  {kFmn | kPktFmn, {9000}},
                                                  {kCwModes | kDataModes | kSsb, {0}}};
    static const std::vector<FilterGroup> none;
    const Family family = familyOf(rig);
    return family == Family::ft991 ? ft991 : family == Family::ftdx101 ? ftdx101 : none;
}

bool hasWidthTable(const RigDescription& rig) { return familyOf(rig) != Family::none; }

std::vector<int> filterWidths(const RigDescription& rig, std::uint64_t modeBit) {
    std::vector<int> widths;
    for (const FilterGroup& group : filterGroups(rig))
        if (group.modes & modeBit)
            for (int width : group.widths)
                if (width > 0) widths.push_back(width);
    return widths;
}

std::optional<std::vector<std::string>> widthCommands(const RigDescription& rig, std::uint64_t modeBit,
                                                      long long passband) {
    const Family family = familyOf(rig);
    if (family == Family::none) return std::vector<std::string>{};
    // Hamlib asks for the mode's normal width by its number, never by index 0.
    const long long width = passband == 0 ? normalPassband(rig, modeBit) : passband;
    std::vector<std::string> commands;
    if (const IndexTable* table = indexTableFor(rig, modeBit)) {
        // The narrow switch goes first: it decides which widths the radio offers.
        if (family == Family::ft991) commands.push_back(narrow(width <= (modeBit & kSsb ? 1800 : 500)));
        const auto at = std::find_if(table->widths.begin(), table->widths.end(),
                                     [&](int hertz) { return width <= hertz; });
        const int index = static_cast<int>(
            std::min(at - table->widths.begin() + 1, static_cast<std::ptrdiff_t>(table->widths.size())));
        const std::string digits = (index < 10 ? "0" : "") + std::to_string(index);
        commands.push_back(widthCommand(rig.model) + digits + ";");
        return commands;
    }
    // The modes of one width: the narrow switch picks it, where the radio has one.
    const int normal = normalPassband(rig, modeBit);
    if (family == Family::ft991) {
        if (modeBit == kC4fm) {
            if (width != 16000 && width != 9000) return std::nullopt;
            commands.push_back(narrow(width == 16000));
        } else if (modeBit == kPktFm) {
            commands.push_back(narrow(width > 0 && width < normal));
        } else if (width == normal) {
            commands.push_back(narrow(modeBit == kAmn || modeBit == kFmn));
        }
    } else if (modeBit == kAm || modeBit == kFm || modeBit == kPktFm) {
        commands.push_back(narrow(width > 0 && width < normal));
    }
    return commands;
}

std::optional<int> widthOfAnswer(const RigDescription& rig, std::uint64_t modeBit, std::string_view field) {
    // "xx" on the FT-991, "0xx" (the width not switched on) on the FTDX101 and FTDX10.
    const std::size_t digits = familyOf(rig) == Family::ftdx101 ? 3 : 2;
    int index = -1;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), index);
    if (field.size() != digits || error != std::errc() || end != field.data() + field.size() || index < 0)
        return std::nullopt;
    const IndexTable* table = indexTableFor(rig, modeBit);
    if (!table || index == 0) return normalPassband(rig, modeBit);
    if (static_cast<std::size_t>(index) > table->widths.size()) return std::nullopt;
    return table->widths[static_cast<std::size_t>(index) - 1];
}

}  // namespace vantor
