#pragma once
// A Yaesu FT-series transceiver in memory, answering CAT commands the way the
// radios do. Bytes go in through receive() or handle(); replies come back as
// text. The engine never speaks unasked and never waits: time only moves when
// advance() is called, so tests drive the tuner cycle on a clock of their own.

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::radiosim {

// What a model number decides about the command set.
struct ModelTraits {
    int id = 0;
    int frequencyDigits = 9;      // FA/FB fields
    int menuDigits = 3;           // EX menu number
    int meterDigits = 3;          // RM reply field (6: value then "000")
    bool shortProcessor = false;  // "PRx" instead of "PR0x"
    bool receiverWidth = false;   // "SH00xx" (main receiver) instead of "SH0xx"
};

// The traits of a known model (241, 251, 310, ...), or nothing.
std::optional<ModelTraits> traitsForModel(int id);
// Every model number the simulator knows, in ascending order.
const std::vector<int>& knownModels();

// One command as it was framed and the text it produced ("" for a set command
// or when the radio stays quiet).
struct Exchange {
    std::string command;
    std::string reply;
};

class RadioEngine {
  public:
    static constexpr std::size_t kMaxCommandLength = 64;
    static constexpr std::int64_t kTuneMilliseconds = 3000;

    // Throws std::invalid_argument for a model number it does not know.
    explicit RadioEngine(int model);

    // All replies to the complete commands in bytes, concatenated.
    std::string handle(std::string_view bytes);
    // The same, one entry per framed command (for logging and fault timing).
    std::vector<Exchange> receive(std::string_view bytes);
    // Moves the radio's clock on; ends a tuning cycle whose time is up.
    void advance(std::int64_t milliseconds);

    // Faults and meters for tests and the demo.
    void setSMeter(int value);  // 0-255; a negative value restores the random walk
    void setGarbageBeforeReply(std::string text) { garbage_ = std::move(text); }
    void setSilent(bool silent) { silent_ = silent; }
    void setLatencyMs(int ms) { latencyMs_ = ms < 0 ? 0 : ms; }
    void setSplitReplies(bool split) { splitReplies_ = split; }
    // A radio that takes nothing: every command, set or question, gets "?;".
    void setRefuseAll(bool refuse) { refuseAll_ = refuse; }
    // A radio that takes some commands only: those beginning with `prefix`
    // ("TX1", "FA") get "?;"; an empty prefix takes every command again.
    void setRefused(std::string prefix) { refusedPrefix_ = std::move(prefix); }
    int latencyMs() const { return latencyMs_; }
    bool splitReplies() const { return splitReplies_; }
    bool silent() const { return silent_; }

    // The operator turns the main dial: VFO A moves, within the radio's range.
    void turnDial(std::int64_t hertz);

    // State, as the front panel of the radio would show it.
    const ModelTraits& traits() const { return traits_; }
    std::int64_t frequencyA() const { return freqA_; }
    std::int64_t frequencyB() const { return freqB_; }
    char mode() const { return mode_; }
    char modeB() const { return modeB_; }
    // The receive width index and the narrow switch, kept per mode as the radio does.
    int width() const { return widthOf(mode_); }
    bool narrow() const { return narrows_.count(mode_) != 0 && narrows_.at(mode_) != 0; }
    bool split() const { return split_; }
    bool vfoBSelected() const { return vfoB_; }
    bool transmitting() const { return tx_ != 0; }
    bool tuning() const { return tuning_; }
    bool tunerOn() const { return tunerOn_; }
    bool poweredOn() const { return powerOn_; }
    int zeroInCount() const { return zeroIns_; }
    int clarifierHz() const { return clarifierHz_; }
    std::int64_t now() const { return nowMs_; }
    // A stored level or switch by its command prefix ("AG0", "CO01", "PR0", "CN00").
    std::optional<int> setting(std::string_view prefix) const;
    // A menu value as the radio would answer it.
    std::string menu(std::string_view number) const;

  private:
    // The result of one command: a reply, nothing, or "?;".
    struct Outcome {
        bool ok = true;
        std::string reply;
        static Outcome silent() { return {}; }
        static Outcome answer(std::string text) { return {true, std::move(text)}; }
        static Outcome error() { return {false, {}}; }
    };
    // A plain stored value set by prefix + digits and read by prefix alone.
    struct Setting {
        std::string prefix;
        int digits;
        int min;
        int max;
        int value;
    };

    void consume(char c, std::vector<Exchange>& out);
    std::string execute(std::string_view body, bool overlong = false);
    Outcome dispatch(std::string_view body);

    // Groups of commands (radio_vfo.cpp, radio_settings.cpp, radio_meters.cpp).
    Outcome frequency(std::string_view body, std::int64_t& vfo);
    Outcome vfoCommand(std::string_view body);
    Outcome modeCommand(std::string_view body);
    Outcome information(std::string_view body);
    Outcome power(std::string_view body);
    Outcome transmit(std::string_view body);
    Outcome tuner(std::string_view body);
    Outcome menuCommand(std::string_view body);
    Outcome tableSetting(std::string_view body);
    Outcome filter(std::string_view body);
    int widthOf(char mode) const;
    Outcome clarifier(std::string_view body);
    Outcome sMeter(std::string_view body);
    Outcome meter(std::string_view body);
    void installSettings();
    int jitter(int spread);

    ModelTraits traits_;
    std::vector<Setting> settings_;
    std::map<std::string, std::string, std::less<>> menus_;

    std::string pending_;
    bool skipping_ = false;  // dropping bytes up to the next ";"
    std::int64_t nowMs_ = 0;

    std::int64_t freqA_ = 14250000;
    std::int64_t freqB_ = 14250000;
    char mode_ = '2';
    char modeB_ = '2';
    std::map<char, int> widths_;   // by mode; a mode not set yet has the radio's default
    std::map<char, int> narrows_;  // by mode
    bool split_ = false;
    bool vfoB_ = false;
    int tx_ = 0;
    bool tunerOn_ = false;
    bool tuning_ = false;
    std::int64_t tuneEndsAt_ = 0;
    std::int64_t tuneStartedAt_ = 0;
    bool powerOn_ = true;
    bool woken_ = false;
    int zeroIns_ = 0;
    int clarifierHz_ = 0;

    int sMeterFixed_ = -1;
    int sMeterWalk_ = 70;
    std::minstd_rand random_{20240601u};

    std::string garbage_;
    bool silent_ = false;
    int latencyMs_ = 0;
    bool splitReplies_ = false;
    bool refuseAll_ = false;
    std::string refusedPrefix_;
};

}  // namespace vantor::radiosim
