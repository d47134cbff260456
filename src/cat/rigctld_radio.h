#pragma once
// The radio as the rigctld protocol describes it to a client: its model number
// in Hamlib's list, its modes with Hamlib's names and bits, its frequency ranges
// and powers (dump_state), and the scales of the levels this port serves.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Hamlib's mode bits for the modes these radios have.
namespace hamlib_mode {
inline constexpr std::uint64_t kAm = 0x1, kCw = 0x2, kUsb = 0x4, kLsb = 0x8, kRtty = 0x10, kFm = 0x20,
                               kCwr = 0x80, kRttyr = 0x100, kPktLsb = 0x400, kPktUsb = 0x800, kPktFm = 0x1000,
                               kFmn = 0x200000, kAmn = 0x20000000, kC4fm = 0x200000000, kPktFmn = 0x400000000;
}  // namespace hamlib_mode

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
    bool digitalCodes = false;  // DCS besides the CTCSS tones
    std::vector<FrequencyRange> receiveRanges;
    std::vector<FrequencyRange> transmitRanges;
};

// The FT-991 and FT-991A (models 570 and 670), whose Hamlib driver differs from the others'.
bool isFt991(int radioModel);

// What the panel knows of a radio by its model number and field width.
RigDescription describeRadio(int radioModel, int frequencyDigits);

// A CAT mode digit ("MD0" + digit) with the name and bit Hamlib gives it.
struct HamlibMode {
    char digit;
    const char* name;
    std::uint64_t bit;
};
const HamlibMode* modeByDigit(char digit);            // nullptr for a digit no radio here has
const HamlibMode* modeByName(std::string_view name);  // also "PKTFM" for data FM

// The passband Hamlib calls normal for a mode on this radio, in hertz.
int normalPassband(const RigDescription& rig, std::uint64_t modeBit);

// A raw S-meter reading (0..255) as dB over S9, by Hamlib's calibration for the radio.
int sMeterDecibels(int radioModel, int raw);

// The transmit meters the radio reads out with RM, and the number of each reading.
enum class TransmitMeter { swr, alc, power, watts };
char meterReading(TransmitMeter meter);
// A raw reading (0..255) as rigctld prints it, by Hamlib's calibration for the
// radio: the SWR, the ALC as a share, the output as a share of 100 W or in watts.
std::string meterValue(int radioModel, TransmitMeter meter, int raw);

// A number as rigctld reads an argument: what leads the word, so "1.5" is 1
// where a whole number is wanted; nothing when the word starts with none.
std::optional<double> leadingDecimal(std::string_view text);
std::optional<long long> leadingWhole(std::string_view text);

// Hamlib's power2mW and mW2power for these radios: a power share against the
// radio's full power whatever the frequency and mode; nothing for an argument
// rigctld refuses (a share outside 0 to 1, no milliwatts, not a number).
std::optional<std::string> powerToMilliwatts(const RigDescription& rig, std::string_view share);
std::optional<std::string> milliwattsToPower(const RigDescription& rig, std::string_view milliwatts);

// The power setting in watts as Hamlib's RFPOWER level: a share of the radio's
// full power, 0 to 1, with six decimals.
std::string powerShare(const RigDescription& rig, int watts);
// A level's share as Hamlib prints it: six decimals and a point, whatever the locale.
std::string hamlibFloat(double value);

// The dial steps Hamlib gives these radios: fine in the narrow modes, coarser
// in AM and FM, a normal and a fast one each.
struct TuningStep {
    std::uint64_t modes;
    int hertz;
};
std::vector<TuningStep> tuningSteps(const RigDescription& rig);

// The radio's capabilities in the layout of protocol version 1: ranges, steps,
// filters, the get and set masks, then settings as key=value up to "done".
std::string dumpState(const RigDescription& rig);

// A mode bit's name in Hamlib's list, "" for none here; the radio's mode bits.
std::string modeName(std::uint64_t bit);
std::uint64_t modeBits(const RigDescription& rig);

}  // namespace vantor
