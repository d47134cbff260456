// The simulated transceiver, driven through the bytes a client sends.

#include "radiosim/radio_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace vantor::radiosim {
namespace {

// The replies to bytes sent at once, and the same bytes sent one at a time.
void expectReplies(int model, const std::string& sent, const std::string& expected) {
    RadioEngine whole(model), bytewise(model);
    std::string byByte;
    for (char c : sent) byByte += bytewise.handle(std::string(1, c));
    EXPECT_EQ(whole.handle(sent), expected) << model << " " << sent;
    EXPECT_EQ(byByte, expected) << model << " " << sent << " byte by byte";
}

using Script = std::pair<std::string, std::string>;  // bytes sent, replies

TEST(RadioEngine, ReplyWidthsFollowTheModel) {
    // clang-format off
    const std::vector<std::tuple<int, std::string, std::string>> cases = {
        {670, "FA;", "FA014250000;"}, {840, "FB;", "FB014250000;"}, {241, "FA;", "FA14250000;"},
        {310, "FA;", "FA14250000;"}, {251, "FB;", "FB14250000;"}, {362, "FA;", "FA14250000;"},
        {462, "FA;", "FA14250000;"}, {241, "FA014250000;", "?;"}, {670, "FA14250000;", "?;"},
        {670, "EX032;", "EX0320;"}, {650, "EX0904;", "EX09040;"}, {670, "EX0904;EX090;", "EX0904;"},
        {840, "EX010316;", "EX0103160;"}, {681, "EX0103;", "?;"}, {650, "EX032;", "?;"},
        {670, "RM6;", "RM6000;"}, {681, "RM6;", "RM6000000;"}, {800, "RM4;", "RM4000000;"},
        {462, "RM4;", "RM4000;"}, {251, "PR;", "PR0;"}, {362, "PR1;PR;", "PR1;"}, {362, "PR01;", "?;"},
        {670, "PR0;", "PR00;"}, {670, "PR;", "?;"}, {462, "PR;", "?;"}, {462, "PR01;PR0;", "PR01;"},
        {251, "PR1;PR0;PR;", "PR0;"},
        {670, "NA0;", "NA00;"}, {670, "NA01;NA0;", "NA01;"}, {681, "NA01;NA00;NA0;", "NA00;"}, {670, "NA1;", "?;"},
        {670, "SH0;", "SH013;"}, {670, "SH0021;", "?;"}, {462, "SH007;SH0;", "SH007;"},
        {681, "SH0021;SH00;", "SH0021;"}, {682, "SH021;", "?;"}, {761, "SH0;", "SH0013;"}, {800, "SH00;", "SH0013;"},
        {840, "SH0005;SH00;", "SH0005;"},
        // Each mode keeps its own width and narrow switch, as the radio does.
        {670, "SH009;NA01;MD03;SH0;NA0;SH016;MD02;SH0;NA0;MD03;SH0;", "SH013;NA00;SH009;NA01;SH016;"},
        {681, "MD03;SH0005;MD02;SH0;SH00;", "SH0013;SH0013;"},
        // VFO A copied to VFO B, frequency and mode; OI tells of VFO B as IF of VFO A.
        {670, "FA007074000;MD0C;AB;MD02;OI;FB;IF;", "OI001007074000+000000C00000;FB007074000;IF001007074000+000000200000;"},
        {670, "FB014076000;SV;OI;AB1;", "OI001014250000+000000200000;?;"},
        {570, "IF;", "IF001014250000+000000200000;"}, {241, "IF;", "IF00114250000+000000200000;"},
        // The clarifier: offset and switches in IF, stepped within +-9999; the
        // FT-891 has none of these commands, the FT-450 no TX clarifier.
        {670, "RU0150;RT1;XT1;IF;", "IF001014250000+015011200000;"}, {670, "RD0200;RT;XT;", "RT0;XT0;"},
        {670, "RU9000;RU9000;IF;", "IF001014250000+999900200000;"}, {670, "RD0020;RC;IF;", "IF001014250000+000000200000;"},
        {241, "RD0020;RT1;IF;", "IF00114250000-002010200000;"}, {241, "XT1;XT;", "?;?;"}, {650, "RT;XT1;", "?;?;"},
        {670, "RU10;RUX100;RT2;", "?;?;?;"},
    };
    // clang-format on
    for (const auto& [model, sent, expected] : cases) expectReplies(model, sent, expected);
    for (int model : knownModels()) expectReplies(model, "ID;", "ID0" + std::to_string(model) + ";");
    for (int unknown : {0, 240, 671, 9999, -670})
        EXPECT_THROW(RadioEngine{unknown}, std::invalid_argument) << unknown;
}

TEST(RadioEngine, SetCommandsAreSilentAndTakeEffect) {
    // "SH0|21": "SH021;" is silent, then "SH0;" answers "SH021;".
    // clang-format off
    const char* echoes[] = {
        "FA|007100000", "FB|145500000", "VS|1", "MD0|E", "SH0|21", "NA0|1", "PC|005", "RG0|020", "AG0|250",
        "SQ0|007", "PA0|2", "RA0|1", "NB0|1", "NL0|010", "NR0|1", "RL0|15", "CO00|1200", "CO01|1200",
        "CO02|0001", "CO03|3200", "BC0|1", "PR0|1", "PL|250", "BI|1", "VX|1", "ML0|001", "ML1|070",
        "KS|025", "MG|100", "GT0|3", "CN00|012", "CN01|023", "CT0|3", "OS0|2", "RT|1", "XT|1", "EX032|1", "EX050|00+0600",
        "PS|1", "TX|1", "AC|001",
    };
    std::vector<Script> scripts = {
        {"FT3;FT;", "FT1;"}, {"FT3;FT2;FT;", "FT0;"}, {"AI1;AI;", "AI0;"}, {"AC001;AC000;AC;", "AC000;"},
        {"TX1;TX0;TX;", "TX0;"}, {"MD03;ZI;MD0;", "MD03;"},
        {"FB007000000;SV;FA;FB;", "FA007000000;FB014250000;"},
        {"FA014074000;MD01;CT01;OS01;IF;", "IF001014074000+000000101001;"},
        // Switched off, the radio answers nothing; the first command wakes it, then PS1 switches it on.
        {"PS0;FA;FA;PS;", ""}, {"PS0;PS1;FA;PS;", ""}, {"PS0;PS;PS1;MD0;PS0;PS1;PS;", "MD02;"},
        {"TX1;PS0;Power on;PS1;TX;FA;PS;", "TX0;FA014250000;PS1;"},
    };
    // clang-format on
    for (const std::string e : echoes) {
        const std::string query = e.substr(0, e.find('|')), set = query + e.substr(e.find('|') + 1) + ";";
        scripts.push_back({set + query + ";", set});
    }
    for (const auto& [sent, expected] : scripts) expectReplies(670, sent, expected);
    RadioEngine radio(670);
    radio.handle("FB007000000;FT3;VS1;MD03;TX1;ZI;");
    EXPECT_TRUE(radio.frequencyB() == 7000000 && radio.split() && radio.vfoBSelected());
    EXPECT_TRUE(radio.mode() == '3' && radio.transmitting() && radio.zeroInCount() == 1);
}

TEST(RadioEngine, MalformedCommandsAnswerQuestionMarkAndChangeNothing) {
    // clang-format off
    const char* bad[] = {
        ";", "F;", "FA1425;", "FA01407400X;", "FA0140740000;", "FA000010000;", "FA500000000;", "fa;", "ZZ;",
        "Power on;", "\x01" "FA;", "\x7f;", "MD0Z;", "MD1;", "MD02X;", "MD;", "SH0999;", "SH024;", "PA03;",
        "PC300;", "PC004;", "RG0-10;", "AC003;", "AC01;", "TX3;", "TX11;", "SM1;", "SM0123;", "SM;", "RM0;",
        "RM9;", "RM66;", "RM;", "EX03;", "EX0a2;", "EX032\x02;", "ID0670;", "SV1;", "ZI0;", "VS2;", "FT4;",
        "GT07;", "CN00050;", "CN02001;", "CO041200;", "CO0112;", "AI2;", "PS2;", "IF0;", "KS003;", "KS061;",
        "ML0002;", "RL000;", "NL0016;",
    };
    // clang-format on
    const std::string state = "FA;FB;MD0;PC;PA0;SH0;AC;TX;EX032;CO01;";
    const std::string fresh = RadioEngine(670).handle(state);
    for (const std::string command : bad) expectReplies(670, command + state, "?;" + fresh);
}

TEST(RadioEngine, FramesCommandsAndDropsOverlongOnes) {
    const std::string long59 = "EX032" + std::string(59, '1') + ";";
    const std::vector<Script> scripts = {
        {"FA014074000;MD03;FA;MD0;", "FA014074000;MD03;"},
        {"ID;;ID;", "ID0670;?;ID0670;"},
        {"FA;\x7f\x7f;FA;", "FA014250000;?;FA014250000;"},  // a stray byte spoils its command only
        // Too long without ";": one "?;", the rest of it dropped, then business as usual.
        {std::string(270, 'X') + ";ID;", "?;ID0670;"},
        {std::string(65, 'X') + ";FA;", "?;FA014250000;"},
        {long59 + "EX032;", long59},
        {"EX032" + std::string(60, '1') + ";EX032;", "?;EX0320;"},  // one character too many
    };
    for (const auto& [sent, expected] : scripts) expectReplies(670, sent, expected);
    const auto ex = RadioEngine(670).receive("FA;MD02;X");
    ASSERT_EQ(ex.size(), 2u);
    EXPECT_EQ(ex[0].command + ex[0].reply + "|" + ex[1].command + ex[1].reply, "FA;FA014250000;|MD02;");
}

TEST(RadioEngine, TuningCycleEndsByItselfOrWithTheTuner) {
    RadioEngine radio(670);
    radio.advance(5000);
    radio.handle("AC002;");
    const std::string early = radio.handle("AC;RM6;");  // the SWR falls while the tuner works
    radio.advance(RadioEngine::kTuneMilliseconds - 100);
    const std::string late = radio.handle("AC;RM6;");
    EXPECT_EQ(early.substr(0, 9) + late.substr(0, 9), "AC002;RM6AC002;RM6");
    EXPECT_GT(std::stoi(early.substr(9, 3)), std::stoi(late.substr(9, 3)) + 50) << early << late;
    radio.advance(100);
    EXPECT_EQ(radio.handle("AC;RM6;TX;"), "AC001;RM6000;TX0;");
    radio.handle("AC002;");
    radio.advance(1000);
    radio.handle("AC000;");
    EXPECT_EQ(radio.handle("AC;RM6;"), "AC000;RM6000;");
}

// The operator's dial moves VFO A only, and never past the radio's range.
TEST(RadioEngine, TheDialMovesVfoAWithinRange) {
    const struct {
        const char* start;
        long long turn;
        const char* reply;
    } cases[] = {
        {"FA014074000;", 1500, "FA014075500;FB014250000;"},
        {"FA014074000;", -74000, "FA014000000;FB014250000;"},
        {"FA000040000;", -20000, "FA000030000;FB014250000;"},  // the lowest frequency
        {"FA469999000;", 5000, "FA470000000;FB014250000;"},    // the top of 70 cm
    };
    for (const auto& c : cases) {
        RadioEngine radio(670);
        radio.handle(c.start);
        radio.turnDial(c.turn);
        EXPECT_EQ(radio.handle("FA;FB;"), c.reply) << c.start << " turned " << c.turn;
    }
}

TEST(RadioEngine, TransmitMetersMoveOnlyOnTheAir) {
    const std::vector<std::tuple<int, std::string, std::string, int, int>> cases = {
        {670, "RM6;", "RM6000;", 15, 80},
        {670, "RM4;", "RM4000;", 20, 160},
        {670, "RM5;", "RM5000;", 150, 220},
        {840, "RM6;", "RM6000000;", 15, 80}};
    for (const auto& [model, meter, idle, low, high] : cases) {
        RadioEngine radio(model);
        EXPECT_EQ(radio.handle(meter), idle);
        radio.handle("TX1;");
        std::set<int> seen;
        for (int i = 0; i < 30; ++i) {
            const std::string reply = radio.handle(meter);
            const int value = std::stoi(reply.substr(3, 3));
            EXPECT_TRUE(reply.substr(6) == idle.substr(6) && value >= low && value <= high) << reply;
            seen.insert(value);
        }
        EXPECT_GT(seen.size(), 3u) << "a live meter moves: " << meter;
        EXPECT_EQ(radio.handle("TX0;" + meter), idle);
    }
}

TEST(RadioEngine, SMeterIsSetOrWandersSlowly) {
    RadioEngine radio(670);
    int previous = std::stoi(radio.handle("SM0;").substr(3, 3));
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        const int value = std::stoi(radio.handle("SM0;").substr(3, 3));
        EXPECT_TRUE(std::abs(value - previous) <= 4 && value >= 0 && value <= 255) << previous << value;
        seen.insert(previous = value);
    }
    EXPECT_GT(seen.size(), 5u);
    for (const auto& [set, reply] :
         std::vector<std::pair<int, std::string>>{{0, "SM0000;"}, {300, "SM0255;"}, {7, "SM0007;"}}) {
        radio.setSMeter(set);
        EXPECT_EQ(radio.handle("SM0;SM0;"), reply + reply);
    }
}

TEST(RadioEngine, InjectedFaults) {
    RadioEngine radio(670);
    radio.setGarbageBeforeReply(std::string("\0\xff#", 3));
    EXPECT_EQ(radio.handle("FA;MD01;X;"), std::string("\0\xff#FA014250000;\0\xff#?;", 20));
    radio.setGarbageBeforeReply("");
    radio.setSilent(true);
    EXPECT_EQ(radio.handle("FA;FA007000000;PS0;"), "");
    EXPECT_EQ(radio.receive("ID;").size(), 1u) << "a silent radio still frames what it is sent";
    radio.setSilent(false);
    EXPECT_EQ(radio.handle("FA;PS;"), "FA014250000;PS1;");
    radio.setRefuseAll(true);
    EXPECT_EQ(radio.handle("FA;FA007000000;ID;"), "?;?;?;");
    EXPECT_EQ(radio.frequencyA(), 14250000) << "a refused set changes nothing";
}

}  // namespace
}  // namespace vantor::radiosim
