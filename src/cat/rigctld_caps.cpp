#include "cat/rigctld_caps.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "cat/rigctld_filters.h"
#include "cat/rigctld_settings.h"
#include "core/tones.h"

namespace vantor {

namespace {

const char* modelName(int radioModel) {
    struct Name {
        int model;
        const char* name;
    };
    constexpr std::array<Name, 11> kNames{{{241, "FT-450"},
                                           {251, "FT-950"},
                                           {362, "FTDX-5000"},
                                           {462, "FTDX-3000"},
                                           {570, "FT-991"},
                                           {650, "FT-891"},
                                           {670, "FT-991"},
                                           {681, "FTDX-101D"},
                                           {682, "FTDX-101MP"},
                                           {761, "FTDX-10"},
                                           {800, "FT-710"}}};
    for (const Name& name : kNames)
        if (name.model == radioModel) return name.name;
    return "FT series";
}

// The radio's modes among `bits`, in Hamlib's order (that of the bits), each followed by a space.
std::string modeNames(std::uint64_t bits) {
    std::string text;
    for (std::uint64_t bit = 1; bit != 0; bit <<= 1)
        if ((bits & bit) && !modeName(bit).empty()) text += modeName(bit) + " ";
    return text;
}

// As rigctld writes it: the thousands, a point, then the rest unpadded.
std::string kilohertz(int hertz) { return std::to_string(hertz / 1000) + "." + std::to_string(hertz % 1000) + "kHz"; }

std::string decibelList(const std::vector<int>& steps) {
    if (steps.empty()) return " None";
    std::string text;
    for (int db : steps) text += " " + std::to_string(db) + "dB";
    return text;
}

std::string rangeList(const std::vector<FrequencyRange>& ranges) {
    std::string text;
    for (const FrequencyRange& range : ranges)
        text += "\t" + std::to_string(range.lowHertz) + " Hz - " + std::to_string(range.highHertz) + " Hz\n";
    return text;
}

// A width as Hamlib prints one: hertz with one decimal, kilohertz with four.
std::string width(int hertz) {
    if (hertz == 0) return "ANY";
    char text[32];
    if (hertz >= 1000)
        std::snprintf(text, sizeof text, "%d.%04d kHz", hertz / 1000, hertz % 1000 * 10);
    else
        std::snprintf(text, sizeof text, "%d.0 Hz", hertz);
    return text;
}

// The filter list, then for each mode its normal width and the next narrower and wider one in the list.
std::string filterLines(const RigDescription& rig) {
    const auto& groups = filterGroups(rig);
    if (groups.empty()) return "";
    std::string text = "Filters:";
    for (const FilterGroup& group : groups)
        for (int hertz : group.widths) text += "\n\t" + width(hertz) + ":   \t" + modeNames(group.modes);
    text += "\nBandwidths:";
    // rigctld looks at the modes below bit 31 only.
    for (std::uint64_t bit = 1; bit < (1ull << 31); bit <<= 1) {
        if (!(modeBits(rig) & bit)) continue;
        const std::vector<int> widths = filterWidths(rig, bit);
        if (widths.empty() || widths.front() == 0) continue;
        const int normal = widths.front();
        int narrow = 0, wide = 0;
        for (int w : widths) {
            if (!narrow && w < normal) narrow = w;
            if (!wide && w > normal) wide = w;
        }
        text += "\n\t" + modeName(bit) + "\tNormal: " + width(normal) + ",\tNarrow: " + width(narrow) +
                ",\tWide: " + width(wide);
    }
    return text + "\n";
}

}  // namespace

std::string dumpCaps(const RigDescription& rig) {
    const ServedSettings served = servedSettings(rig);
    std::string t = "Caps dump for model: " + std::to_string(rig.hamlibModel) + "\n";
    t += std::string("Model name:\t") + modelName(rig.model) + "\nMfg name:\tYaesu\nBackend version:\tVantor\n";
    t += "Backend copyright:\tLGPL\nBackend status:\tStable\nRig type:\tOther Receiver Transmitter Transceiver \n";
    t += "PTT type:\tRig capable\nDCD type:\tNone\nPort type:\tRS-232\n"
         "Serial speed: 4800..38400 bauds, 8N2 CTS/RTS\nWrite delay: 0mS, timeout 1500mS, 3 retry\n"
         "Post Write delay: 2mS\nHas targetable VFO: N\nHas async data support: N\nAnnounce: 0x0\n";
    t += "Max RIT: -" + kilohertz(served.maxRitHz) + "/+" + kilohertz(served.maxRitHz) + "\n";
    t += "Max XIT: -" + kilohertz(served.maxXitHz) + "/+" + kilohertz(served.maxXitHz) + "\n";
    t += "Max IF-SHIFT: -" + kilohertz(0) + "/+" + kilohertz(0) + "\n";  // not served
    t += "Preamp:" + decibelList(served.preampDecibels) + "\nAttenuator:" + decibelList(served.attenuatorDecibels) +
         "\nAGC levels:\n\n";
    t += "CTCSS:";
    for (int tenths : ctcssTenths()) t += " " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    t += " Hz, " + std::to_string(ctcssTenths().size()) + " tones\nDCS:";
    if (rig.digitalCodes) {
        for (int code : dcsCodes()) t += " " + std::to_string(code);
        t += ", " + std::to_string(dcsCodes().size()) + " codes\n";
    } else {
        t += " None\n";
    }
    const std::string funcs = funcList(rig);
    t += "Get functions: " + funcs + "\nSet functions: " + funcs + "\nExtra functions:\n";
    t += "Get level: " + levelList(rig, false) + "\nSet level: " + levelList(rig, true) + "\nExtra levels:\n";
    t += "Get parameters: \nSet parameters: \nExtra parameters:\n";
    t += "Mode list: " + modeNames(modeBits(rig)) + "\nVFO list: VFOA VFOB \nVFO Ops: \nScan Ops: \n";
    t += "Number of banks:\t0\nMemory name desc size:\t0\nMemories: None\n";
    t += "TX ranges #1 for Operating:\n" + rangeList(rig.transmitRanges) + "RX ranges #1 for Operating:\n" +
         rangeList(rig.receiveRanges);
    for (int list = 2; list <= 5; ++list)
        t += "TX ranges #" + std::to_string(list) + " for TBD:\nRX ranges #" + std::to_string(list) + " for TBD:\n";
    t += "TX ranges #1 status for Operating:\tOK (0)\nRX ranges #1 status for Operating:\tOK (0)\n";
    for (int list = 2; list <= 5; ++list)
        t += "TX ranges #" + std::to_string(list) + " status for TBD:\tOK (0)\nRX ranges #" + std::to_string(list) +
             " status for TBD:\tOK (0)\n";
    t += "Tuning steps:\n";
    for (const TuningStep& step : tuningSteps(rig))
        t += std::string(step.hertz < 1000 ? "\t" + std::to_string(step.hertz) + ".0 Hz:   \t" : "\t1.0000 kHz:   \t") +
             modeNames(step.modes) + "\n";
    t += "Tuning steps status:\tOK (0)\n";
    t += filterLines(rig);
    t += "Spectrum scopes: None\nSpectrum modes: \nSpectrum spans: \nSpectrum averaging modes: \n"
         "Spectrum attenuator: None\nHas priv data:\tN\nHas Init:\tY\nHas Cleanup:\tY\nHas Open:\tY\nHas Close:\tY\n";
    // Y only for what this port serves.
    const bool rit = served.maxRitHz > 0, xit = served.maxXitHz > 0, funcsServed = served.funcs != 0;
    const std::array<std::pair<const char*, bool>, 62> can{{{"set Conf", false},
                                                            {"get Conf", false},
                                                            {"set Frequency", true},
                                                            {"get Frequency", true},
                                                            {"set Mode", true},
                                                            {"get Mode", true},
                                                            {"set VFO", true},
                                                            {"get VFO", true},
                                                            {"set PTT", true},
                                                            {"get PTT", true},
                                                            {"get DCD", false},
                                                            {"set Repeater Duplex", false},
                                                            {"get Repeater Duplex", false},
                                                            {"set Repeater Offset", false},
                                                            {"get Repeater Offset", false},
                                                            {"set Split Freq", true},
                                                            {"get Split Freq", true},
                                                            {"set Split Mode", false},
                                                            {"get Split Mode", false},
                                                            {"set Split VFO", true},
                                                            {"get Split VFO", true},
                                                            {"set Tuning Step", false},
                                                            {"get Tuning Step", false},
                                                            {"set RIT", rit},
                                                            {"get RIT", rit},
                                                            {"set XIT", xit},
                                                            {"get XIT", xit},
                                                            {"set CTCSS", false},
                                                            {"get CTCSS", false},
                                                            {"set DCS", false},
                                                            {"get DCS", false},
                                                            {"set CTCSS Squelch", false},
                                                            {"get CTCSS Squelch", false},
                                                            {"set DCS Squelch", false},
                                                            {"get DCS Squelch", false},
                                                            {"set Power Stat", false},
                                                            {"get Power Stat", true},
                                                            {"Reset", false},
                                                            {"get Ant", false},
                                                            {"set Ant", false},
                                                            {"set Transceive", false},
                                                            {"get Transceive", false},
                                                            {"set Func", funcsServed},
                                                            {"get Func", funcsServed},
                                                            {"set Level", served.levels != 0},
                                                            {"get Level", true},
                                                            {"set Param", false},
                                                            {"get Param", false},
                                                            {"send DTMF", false},
                                                            {"recv DTMF", false},
                                                            {"send Morse", false},
                                                            {"send Voice", false},
                                                            {"decode Events", false},
                                                            {"set Bank", false},
                                                            {"set Mem", false},
                                                            {"get Mem", false},
                                                            {"set Channel", false},
                                                            {"get Channel", false},
                                                            {"ctl Mem/VFO", false},
                                                            {"Scan", false},
                                                            {"get Info", false},
                                                            {"get power2mW", true}}};
    for (const auto& [what, yes] : can) t += std::string("Can ") + what + ":\t" + (yes ? "Y" : "N") + "\n";
    t += "Can get mW2power:\tY\n\nOverall backend warnings: 0   \n";
    return t;
}

}  // namespace vantor
