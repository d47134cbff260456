#include "app/text.h"
#include "controls/vfo.h"
#include "panel/keys.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

std::vector<std::string> last(const std::vector<std::string>& clips, std::size_t count) {
    return {clips.end() - static_cast<long>(std::min(count, clips.size())), clips.end()};
}

std::vector<std::string> words(std::vector<std::string> clips) {
    std::erase(clips, "delay");
    return clips;
}

// Keys by the characters an operator would type: "E14.25\n".
std::vector<int> keysFor(const std::string& typed) {
    std::vector<int> codes;
    for (char c : typed) codes.push_back(c == '.' ? key::point : c == '\n' ? key::enter : c);
    return codes;
}

class FrequencyKeysTest : public testing::RadioTest {
protected:
    FrequencyKeysTest() { startConnectedPanel(); }
    void type(const std::string& typed) {
        for (int code : keysFor(typed)) press(code);
    }
    // The frequency commands among what went to the radio.
    std::string frequencyCommandsSent() {
        std::string all = sent(), commands;
        for (int at = findPos(all, "FA"); at > 0; at = findPos(all, "FA")) {
            if (charAt(all, at + 11) == ';') commands += mid(all, at, 12);
            all = mid(all, at + 2);
        }
        return commands;
    }
};

TEST_F(FrequencyKeysTest, TypedFrequenciesTuneTheRadio) {
    struct Case {
        std::string typed;
        std::string command;  // the last frequency command sent
        int band;
        int mode;
    } cases[] = {
        {"E7.1\n", "FA007100000;", 4, 1},
        {"E14.25\n", "FA014250000;", 6, 2},
        {"E145.5\n", "FA145500000;", 12, 5},
        {"E28\n", "FA028000000;", 10, 2},        // no point: the megahertz alone
        {"E\n", "FA000000000;", 14, 4},          // no digits: general coverage
        {"E432.1\n", "FA432100000;", 13, 5},
    };
    for (const auto& c : cases) {
        type(c.typed);
        const std::string commands = frequencyCommandsSent();
        EXPECT_EQ(right(commands, 12), c.command) << c.typed;
        EXPECT_EQ(p.bandIndex, c.band) << c.typed;
        EXPECT_EQ(p.currentMode, c.mode) << c.typed;
        EXPECT_EQ(spoken().back(), "ok") << c.typed;
    }
}

TEST_F(FrequencyKeysTest, EntrySpeaksEachKeyAndEndsWithOk) {
    type("E14.25\n");
    EXPECT_EQ(words(spoken()), (std::vector<std::string>{"EF", "1", "4", "point", "2", "5", "preamp", "on", "ok"}));
    EXPECT_EQ(radio->frequencyA(), 14250000);
}

TEST_F(FrequencyKeysTest, BadEntriesAreRefusedWithInvalid) {
    struct Case {
        std::string typed;
        std::vector<std::string> lastWords;
    } cases[] = {
        {"E500.", {"invalid"}},           // above 439 MHz at the point
        {"E0.", {"invalid"}},             // below 1 MHz
        {"E1234.5\n", {"invalid"}},       // four megahertz digits
        {"E14.2500001\n", {"invalid"}},   // more digits than hertz
        {"E99999999999999\n", {"invalid"}},  // far too many: no overflow
    };
    for (const auto& c : cases) {
        sent();
        type(c.typed);
        const auto heard = words(spoken());
        EXPECT_EQ(heard.back(), c.lastWords.back()) << c.typed;
        EXPECT_EQ(radio->frequencyA(), 7100000) << c.typed;  // only E's own resend reached the radio
        press(key::enter);  // closes anything left open
        spoken();
    }
}

TEST_F(FrequencyKeysTest, FmBelow25MegahertzBecomesAm) {
    p.bandTable[6][1] = '7';  // 20 m row remembered in FM
    type("E14\n");
    EXPECT_EQ(p.currentMode, 4);
    p.bandTable[6][1] = '7';
    type("E14.2\n");
    EXPECT_EQ(p.currentMode, 7);  // 142 (the digits typed) is not below 25
}

TEST_F(FrequencyKeysTest, StepKeysMoveVfoAByTheirStepForModeAndBand) {
    struct Case {
        int mode;
        int band;
        int code;
        int expected;
    } cases[] = {
        {2, 6, key::plus, 8100000},      {2, 6, key::minus, 6100000},     {2, 6, key::pageUp, 7110000},
        {2, 6, key::pageDown, 7090000},  {5, 12, key::pageUp, 7112500},   {5, 12, key::pageDown, 7087500},
        {7, 12, key::pageDown, 7090000}, {7, 14, key::pageUp, 7110000},   {3, 4, key::right, 7100010},
        {3, 4, key::left, 7099990},      {2, 4, key::right, 7100100},     {1, 4, key::left, 7099900},
    };
    for (const auto& c : cases) {
        p.currentMode = c.mode;
        p.bandIndex = c.band;
        p.vfoAFrequency = 7100000;
        press(c.code);
        EXPECT_EQ(p.vfoAFrequency, c.expected) << c.mode << "/" << c.band << "/" << c.code;
        EXPECT_EQ(sent(), frequencyCommand(c.expected) + ";");
    }
    p.vfoAFrequency = 500000;
    press(key::minus);  // would go below 0 Hz: stays
    EXPECT_EQ(sent(), "FA000500000;");
}

TEST_F(FrequencyKeysTest, ArrowsSetTheSquelchInFm) {
    struct Case {
        int code;
        int from;
        int to;
        std::string said;
    } cases[] = {
        {key::right, 19, 20, ""}, {key::right, 20, 30, ""},  {key::right, 250, 255, "max"},
        {key::left, 255, 245, ""}, {key::left, 245, 230, ""}, {key::left, 29, 28, ""},
        {key::left, 1, 0, "0"},
    };
    p.currentMode = 7;
    for (const auto& c : cases) {
        p.squelchLevel = c.from;
        press(c.code);
        EXPECT_EQ(p.squelchLevel, c.to) << c.from;
        EXPECT_EQ(sent(), "SQ0" + zeroPadded(c.to, 3) + ";");  // and no frequency resend
        const auto heard = spoken();
        EXPECT_EQ(heard.empty() ? "" : heard.back(), c.said);
    }
}

TEST_F(FrequencyKeysTest, FReadsTheFrequencyModeAndTone) {
    p.frequencyText = " 14.250000";
    p.currentMode = 2;
    press('F');
    EXPECT_EQ(spoken(), (std::vector<std::string>{"1", "4", "point", "2", "5", "mhz", "usb.wav"}));
    p.toneOn = 1;
    p.toneCodeText = "512";
    press('F');
    EXPECT_EQ(last(spoken(), 4), (std::vector<std::string>{"dcs", "5", "1", "2"}));
    p.tickCount = 1;  // just after an entry: the poll has not brought the frequency yet
    press('F');
    EXPECT_TRUE(spoken().empty());
}

TEST_F(FrequencyKeysTest, XThenFReadsTheRepeaterTransmitFrequencyOrVfoA) {
    p.bandIndex = 12;
    p.currentMode = 7;
    p.repeaterOn = 1;
    p.shift2mDigits = "600";
    p.shift2mMinus = 1;
    p.vfoAFrequency = 145600000;
    p.frequencyText = "145.600000";
    press('X');
    spoken();
    press('F');
    EXPECT_EQ(spoken(), (std::vector<std::string>{"repeater", "tx", "1", "4", "5", "mhz", "fm.wav"}));
    EXPECT_EQ(p.frequencyText, "145.600000");
    EXPECT_EQ(p.keyPrefix, 0);
    p.repeaterOn = 0;
    p.splitOn = 1;
    p.bandIndex = 6;
    p.currentMode = 2;
    press('X');
    spoken();
    press('F');
    EXPECT_EQ(spoken(), (std::vector<std::string>{"vfoa", "1", "4", "point", "2", "mhz", "usb.wav"}));
}

TEST_F(FrequencyKeysTest, SplitKeySwitchesSplitOrTheRepeaterShift) {
    p.bandIndex = 6;
    p.currentMode = 2;
    p.lastFrequencyCommand = "FA014250000;";
    press('V');
    EXPECT_EQ(sent(), "FT3;FB014250000;");
    EXPECT_EQ(p.splitOn, 1);
    EXPECT_EQ(p.bandTable[6].substr(12, 10), "A014250000");
    EXPECT_EQ(p.bandTable[6].size(), 26u);
    press('V');
    EXPECT_EQ(sent().substr(0, 4), "FT2;");
    EXPECT_EQ(last(spoken(), 2), (std::vector<std::string>{"split", "off"}));
    p.bandIndex = 14;
    press('V');
    EXPECT_EQ(spoken(), (std::vector<std::string>{"split", "invalid"}));
    p.bandIndex = 12;
    p.currentMode = 5;
    p.shift2mDigits = "600";
    p.shift2mMinus = 1;
    press('V');
    EXPECT_EQ(p.repeaterOn, 1);
    EXPECT_EQ(p.splitOn, 0);
}

TEST_F(FrequencyKeysTest, ZeroKeyAlignsToWholeKilohertzOrZeroesInInCw) {
    p.vfoAFrequency = 7100450;
    p.currentMode = 2;
    press('Z');
    EXPECT_EQ(sent(), "FA007101000;");
    EXPECT_EQ(spoken(), (std::vector<std::string>{"0", "ok"}));
    p.currentMode = 3;
    press('Z');
    EXPECT_EQ(sent(), "ZI;");
}

TEST_F(FrequencyKeysTest, SReadsTheSMeterOrTheSwrWhileTransmitting) {
    p.sMeterValue = 130;
    press('S');
    EXPECT_EQ(sent(), "FA007100000;");  // the key goes on to the frequency resend
    EXPECT_FALSE(spoken().empty());
    p.txState = 10;
    p.swrText = "000";
    press('S');
    EXPECT_EQ(spoken().front(), "SWR");
}

}  // namespace
}  // namespace vantor
