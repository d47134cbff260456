// The simulated transceiver, driven through the bytes a client sends.

#include "radiosim/radio_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantor::radiosim {
namespace {

struct ModelCase {
    int model;
    std::string sent;
    std::string expected;
};

TEST(RadioEngine, ReplyWidthsFollowTheModel) {
    // clang-format off
    const std::vector<ModelCase> cases = {
        {670, "FA;", "FA014250000;"}, {840, "FB;", "FB014250000;"}, {241, "FA;", "FA14250000;"},
        {310, "FA;", "FA14250000;"}, {251, "FB;", "FB14250000;"}, {362, "FA;", "FA14250000;"},
        {462, "FA;", "FA14250000;"}, {241, "FA014250000;", "?;"}, {670, "FA14250000;", "?;"},
        {310, "ID;", "ID0310;"}, {241, "ID;", "ID0241;"}, {670, "EX032;", "EX0320;"},
        {650, "EX0904;", "EX09040;"},
        {670, "EX0904;", ""},  // menu 090 set to 4
        {840, "EX010316;", "EX0103160;"}, {681, "EX0103;", "?;"}, {650, "EX032;", "?;"},
        {670, "RM6;", "RM6000;"}, {681, "RM6;", "RM6000000;"}, {800, "RM4;", "RM4000000;"},
        {462, "RM4;", "RM4000;"}, {251, "PR;", "PR0;"}, {362, "PR1;", ""},
        {362, "PR01;", "?;"}, {670, "PR0;", "PR00;"}, {670, "PR;", "?;"},
        {462, "PR;", "?;"},
        {570, "IF;", "IF001014250000+000000200000;"}, {241, "IF;", "IF00114250000+000000200000;"},
    };
    // clang-format on
    for (const auto& c : cases) {
        RadioEngine radio(c.model);
        EXPECT_EQ(radio.handle(c.sent), c.expected) << "model " << c.model << " sent " << c.sent;
    }
}

TEST(RadioEngine, KnowsExactlyItsModels) {
    for (int model : knownModels()) {
        RadioEngine radio(model);
        EXPECT_EQ(radio.handle("ID;"),
                  "ID" + std::string(model < 1000 ? "0" : "") + std::to_string(model) + ";");
    }
    for (int unknown : {0, 240, 671, 9999, -670}) {
        EXPECT_FALSE(traitsForModel(unknown).has_value()) << unknown;
        EXPECT_THROW(RadioEngine{unknown}, std::invalid_argument) << unknown;
    }
}

struct RoundTrip {
    std::string set;
    std::string read;
    std::string expected;
};

TEST(RadioEngine, SetCommandsAreSilentAndReadBack) {
    // clang-format off
    const std::vector<RoundTrip> cases = {
        {"FA007100000;", "FA;", "FA007100000;"}, {"FB145500000;", "FB;", "FB145500000;"},
        {"FT3;", "FT;", "FT1;"}, {"FT3;FT2;", "FT;", "FT0;"},
        {"VS1;", "VS;", "VS1;"}, {"MD03;", "MD0;", "MD03;"},
        {"MD0B;", "MD0;", "MD0B;"}, {"MD0E;", "MD0;", "MD0E;"},
        {"SH021;", "SH0;", "SH021;"}, {"NA01;", "NA0;", "NA01;"},
        {"PC005;", "PC;", "PC005;"}, {"RG0020;", "RG0;", "RG0020;"},
        {"AG0250;", "AG0;", "AG0250;"}, {"SQ0007;", "SQ0;", "SQ0007;"},
        {"PA02;", "PA0;", "PA02;"}, {"RA01;", "RA0;", "RA01;"},
        {"NB01;", "NB0;", "NB01;"}, {"NL0010;", "NL0;", "NL0010;"},
        {"NR01;", "NR0;", "NR01;"}, {"RL015;", "RL0;", "RL015;"},
        {"CO011200;", "CO01;", "CO011200;"}, {"CO033200;", "CO03;", "CO033200;"},
        {"CO001200;", "CO00;", "CO001200;"}, {"CO020001;", "CO02;", "CO020001;"},
        {"BC01;", "BC0;", "BC01;"}, {"PR01;", "PR0;", "PR01;"},
        {"PL250;", "PL;", "PL250;"}, {"BI1;", "BI;", "BI1;"},
        {"VX1;", "VX;", "VX1;"}, {"ML0001;", "ML0;", "ML0001;"},
        {"ML1070;", "ML1;", "ML1070;"}, {"KS025;", "KS;", "KS025;"},
        {"MG100;", "MG;", "MG100;"}, {"GT03;", "GT0;", "GT03;"},
        {"AC001;", "AC;", "AC001;"}, {"AC001;AC000;", "AC;", "AC000;"},
        {"TX1;", "TX;", "TX1;"}, {"TX1;TX0;", "TX;", "TX0;"},
        {"CN00012;", "CN00;", "CN00012;"}, {"CN01023;", "CN01;", "CN01023;"},
        {"CT03;", "CT0;", "CT03;"}, {"OS02;", "OS0;", "OS02;"},
        {"EX0321;", "EX032;", "EX0321;"}, {"EX05000+0600;", "EX050;", "EX05000+0600;"},
        {"AI1;", "AI;", "AI0;"}, {"PS1;", "PS;", "PS1;"},
        {"SV;", "FA;", "FA014250000;"}, {"FB007000000;SV;", "FA;FB;", "FA007000000;FB014250000;"},
        {"MD03;ZI;", "MD0;", "MD03;"}, {"FA014074000;MD01;CT01;OS01;", "IF;", "IF001014074000+000000101001;"},
    };
    // clang-format on
    for (const auto& c : cases) {
        RadioEngine radio(670);
        EXPECT_EQ(radio.handle(c.set), "") << c.set;
        EXPECT_EQ(radio.handle(c.read), c.expected) << c.set;
    }
    RadioEngine radio(670);
    radio.handle("FB007000000;FT3;VS1;MD03;TX1;ZI;");
    EXPECT_EQ(radio.frequencyB(), 7000000);
    EXPECT_TRUE(radio.split());
    EXPECT_TRUE(radio.vfoBSelected());
    EXPECT_EQ(radio.mode(), '3');
    EXPECT_TRUE(radio.transmitting());
    EXPECT_EQ(radio.zeroInCount(), 1);
}

TEST(RadioEngine, MalformedCommandsAnswerQuestionMarkAndChangeNothing) {
    // clang-format off
    const std::vector<std::string> bad = {
        ";", "F;", "FA1425;", "FA01407400X;", "FA0140740000;", "FA000010000;",
        "FA500000000;", "fa;", "ZZ;", "Power on;", "\x01" "FA;",
        "\x7f;", "MD0Z;", "MD1;", "MD02X;", "MD;", "SH0999;",
        "SH024;", "PA03;", "PC300;", "PC004;", "RG0-10;", "AC003;",
        "AC01;", "TX3;", "TX11;", "SM1;", "SM0123;", "SM;",
        "RM0;", "RM9;", "RM66;", "RM;", "EX03;", "EX0a2;",
        "EX032\x02;", "ID0670;", "SV1;", "ZI0;", "VS2;", "FT4;",
        "GT07;", "CN00050;", "CN02001;", "CO041200;", "CO0112;", "AI2;",
        "PS2;", "IF0;", "KS003;", "KS061;", "ML0002;", "RL000;",
        "NL0016;",
    };
    // clang-format on
    for (const auto& command : bad) {
        RadioEngine radio(670);
        std::string expected;
        for (char c : command) expected += c == ';' ? "?;" : "";
        EXPECT_EQ(radio.handle(command), expected) << command;
        RadioEngine untouched(670);
        for (const char* query :
             {"FA;", "FB;", "MD0;", "PC;", "PA0;", "SH0;", "AC;", "TX;", "EX032;", "CO01;"}) {
            EXPECT_EQ(radio.handle(query), untouched.handle(query)) << command << " then " << query;
        }
    }
}

TEST(RadioEngine, FramesCommandsAcrossAndWithinWrites) {
    struct Script {
        std::vector<std::string> writes;
        std::string expected;
    };
    const std::vector<Script> scripts = {
        {{"FA014074000;MD03;FA;MD0;"}, "FA014074000;MD03;"},
        {{"F", "A;"}, "FA014250000;"},
        {{"FA0140", "74000", ";F", "A", ";"}, "FA014074000;"},
        {{"ID;;ID;"}, "ID0670;?;ID0670;"},
        {{"FA;\x7f", "\x7f;FA;"}, "FA014250000;?;FA014250000;"},  // a stray byte spoils its command only
        {{"", ";", ""}, "?;"},
        // Too long without ";": one "?;", the rest of it dropped, then business as usual.
        {{std::string(70, 'X'), std::string(200, 'Y'), ";ID;"}, "?;ID0670;"},
        {{std::string(65, 'X') + ";FA;"}, "?;FA014250000;"},
        {{"EX032" + std::string(59, '1') + ";", "EX032;"}, "EX032" + std::string(59, '1') + ";"},
        {{"EX032" + std::string(60, '1') + ";", "EX032;"}, "?;EX0320;"},  // one character too many
    };
    for (const auto& script : scripts) {
        RadioEngine whole(670), bytewise(670);
        std::string replies, byByte, all;
        for (const auto& w : script.writes) {
            replies += whole.handle(w);
            all += w;
        }
        for (char c : all) byByte += bytewise.handle(std::string(1, c));
        EXPECT_EQ(replies, script.expected) << all;
        EXPECT_EQ(byByte, script.expected) << all;
    }
    RadioEngine radio(670);
    const auto exchanges = radio.receive("FA;MD02;X");
    ASSERT_EQ(exchanges.size(), 2u);
    EXPECT_EQ(exchanges[0].command, "FA;");
    EXPECT_EQ(exchanges[0].reply, "FA014250000;");
    EXPECT_EQ(exchanges[1].command, "MD02;");
    EXPECT_EQ(exchanges[1].reply, "");
}

TEST(RadioEngine, SwitchedOffRadioWakesOnBytesThenPs1) {
    struct Script {
        std::vector<std::string> writes;
        std::vector<std::string> replies;
        bool onAtEnd;
    };
    const std::vector<Script> scripts = {
        {{"PS0;", "FA;", "FA;", "PS;"}, {"", "", "", ""}, false},
        {{"PS0;", "PS1;", "FA;"}, {"", "", ""}, false},  // the first bytes only wake it
        {{"PS0;", "Power on;", "PS1;", "FA;"}, {"", "", "", "FA014250000;"}, true},
        {{"PS0;", "X;PS1;", "PS;"}, {"", "", "PS1;"}, true},
        {{"PS0;FA;PS1;FA;"}, {"FA014250000;"}, true},
        {{"PS0;", "PS;", "PS1;", "MD0;PS0;", "PS1;"}, {"", "", "", "MD02;", ""}, false},
    };
    for (const auto& script : scripts) {
        RadioEngine radio(670);
        for (std::size_t i = 0; i < script.writes.size(); ++i) {
            EXPECT_EQ(radio.handle(script.writes[i]), script.replies[i]) << "write " << i;
        }
        EXPECT_EQ(radio.poweredOn(), script.onAtEnd);
    }
    RadioEngine radio(670);
    radio.handle("TX1;PS0;");
    EXPECT_FALSE(radio.transmitting());
}

TEST(RadioEngine, TuningCycleEndsByItself) {
    RadioEngine radio(670);
    radio.advance(5000);
    radio.handle("AC002;");
    EXPECT_TRUE(radio.tuning());
    EXPECT_EQ(radio.handle("AC;"), "AC002;");
    const int early = std::stoi(radio.handle("RM6;").substr(3, 3));
    radio.advance(RadioEngine::kTuneMilliseconds - 100);
    EXPECT_TRUE(radio.tuning());
    const int late = std::stoi(radio.handle("RM6;").substr(3, 3));
    EXPECT_GT(early, late + 50) << "the SWR falls while the tuner works";
    EXPECT_GT(late, 0);
    radio.advance(100);
    EXPECT_FALSE(radio.tuning());
    EXPECT_EQ(radio.handle("AC;RM6;"), "AC001;RM6000;");
    EXPECT_FALSE(radio.transmitting());

    radio.handle("AC002;");
    radio.advance(1000);
    radio.handle("AC000;");  // switching the tuner off stops the cycle
    EXPECT_FALSE(radio.tuning());
    EXPECT_EQ(radio.handle("AC;RM6;"), "AC000;RM6000;");
}

TEST(RadioEngine, TransmitMetersMoveOnlyOnTheAir) {
    struct Case {
        int model;
        std::string meter;
        int low, high;
    };
    const std::vector<Case> cases = {
        {670, "RM6;", 15, 80}, {670, "RM4;", 20, 160}, {670, "RM5;", 150, 220},
        {840, "RM6;", 15, 80}, {241, "RM4;", 20, 160},
    };
    for (const auto& c : cases) {
        RadioEngine radio(c.model);
        const std::size_t width = radio.traits().meterDigits;
        const std::string idle = radio.handle(c.meter);
        EXPECT_EQ(idle, c.meter.substr(0, 3) + std::string(width, '0') + ";") << c.meter;
        radio.handle("TX1;");
        std::set<int> seen;
        for (int i = 0; i < 30; ++i) {
            const std::string reply = radio.handle(c.meter);
            ASSERT_EQ(reply.size(), 4 + width) << reply;
            if (width == 6) {
                EXPECT_EQ(reply.substr(6, 3), "000") << reply;
            }
            const int value = std::stoi(reply.substr(3, 3));
            EXPECT_GE(value, c.low) << c.model << " " << c.meter;
            EXPECT_LE(value, c.high) << c.model << " " << c.meter;
            seen.insert(value);
        }
        EXPECT_GT(seen.size(), 3u) << "a live meter moves: " << c.meter;
        radio.handle("TX0;");
        EXPECT_EQ(radio.handle(c.meter), idle);
    }
}

TEST(RadioEngine, SMeterIsSetOrWandersSlowly) {
    RadioEngine radio(670);
    int previous = std::stoi(radio.handle("SM0;").substr(3, 3));
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string reply = radio.handle("SM0;");
        ASSERT_EQ(reply.size(), 7u);
        const int value = std::stoi(reply.substr(3, 3));
        EXPECT_LE(std::abs(value - previous), 4);
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 255);
        seen.insert(value);
        previous = value;
    }
    EXPECT_GT(seen.size(), 5u);
    for (const auto& [set, reply] : std::vector<std::pair<int, std::string>>{
             {130, "SM0130;"}, {0, "SM0000;"}, {300, "SM0255;"}, {7, "SM0007;"}}) {
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
}

}  // namespace
}  // namespace vantor::radiosim
