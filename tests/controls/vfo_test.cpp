#include "controls/vfo.h"

#include <functional>

#include "app/radio_startup.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

class VfoTest : public testing::PanelTest {
  protected:
    VfoTest() { fillBandTable(p); }
};

TEST_F(VfoTest, RepliesAreFiledUnderTheirBandAndFmIsNotLearntOnHf) {
    struct Case {
        std::string reply;
        int mode, band;
        bool learn;
    } cases[] = {
        {"FA001900000", 1, 1, 1},  {"FA003600000", 1, 2, 1},  {"FA005400000", 2, 3, 1},
        {"FA007074000", 1, 4, 1},  {"FA010100000", 3, 5, 1},  {"FA014200000", 2, 6, 1},
        {"FA018100000", 2, 7, 1},  {"FA021200000", 2, 8, 1},  {"FA024890000", 2, 9, 1},
        {"FA028500000", 5, 10, 1}, {"FA029600000", 7, 10, 1}, {"FA054000000", 7, 11, 1},
        {"FA144000000", 6, 12, 1}, {"FB148900000", 7, 12, 1}, {"FA430000000", 5, 13, 1},
        {"FA449999999", 7, 13, 1}, {"FA002000000", 1, 14, 1}, {"FA004000000", 1, 14, 1},
        {"FA006000000", 1, 14, 1}, {"FA055000000", 2, 14, 1}, {"FA149000000", 7, 14, 1},
        {"FA450000000", 7, 14, 1}, {"FA014200000", 7, 6, 0},  {"FA024890000", 5, 9, 0},
        {"FA050100000", 6, 11, 0}, {"FA01420?000", 1, 0, 0},  // garbled: nothing moves
    };
    for (const auto& c : cases) {
        p.lastFrequencyReply = c.reply, p.currentMode = c.mode, p.bandIndex = 0;
        EXPECT_EQ(classifyBand(p), c.learn) << c.reply << " mode " << c.mode;
        EXPECT_EQ(p.bandIndex, c.band) << c.reply;
    }
}

TEST_F(VfoTest, TheCurrentBandRowLearnsWhatTheRadioReports) {
    struct Case {
        std::function<void()> setUp;
        std::string reply, row;
    } cases[] = {
        {[&] { p.preampOn = 1; }, "FA014250000", "02A014250000B0142000009991"},
        {[&] { p.splitOn = p.preampOn = 1; }, "FB014300000", "12A014200000B0143000009991"},  // VFO B only
        {[&] { p.currentMode = 7; }, "FA014250000", "02A014200000B0142000009991"},           // FM on HF
        {[&] { p.externalCommand = 1; }, "FA014250000", "02A014200000B0142000009991"},       // bridge
        {[&] {
             p.repeaterOn = p.shift2mMinus = 1, p.shift2mDigits = "600", p.toneCodeText = "012",
             p.currentMode = 7;
         },
         "FA145500000", "57A145500000B-000006000120"},
        {[&] { p.repeaterOn = 1, p.shift70cmDigits = "7600", p.currentMode = 5; }, "FA439000000",
         "55A439000000B+000076009990"},
        {[&] { p.currentMode = 7, p.toneCodeText = "1", p.bandTable[12] = "07A145000000B1450000000880"; },
         "FA145200000", "07A145200000B1450000000880"},                             // tone being typed
        {[&] { p.repeaterOn = 1; }, "FA014250000", "02A014250000B0142000009990"},  // 20 m has no shift
        {[&] { p.bandTable[6] = "02A0142"; }, "FA014250000", "02A014250000B0142500009990"},  // damaged row
    };
    for (const auto& c : cases) {
        fillBandTable(p);
        p.splitOn = p.repeaterOn = p.externalCommand = p.preampOn = 0, p.toneCodeText = "999",
        p.currentMode = 2;
        c.setUp();
        p.lastFrequencyReply = c.reply;
        learnBandRow(p);
        EXPECT_EQ(p.bandTable[static_cast<std::size_t>(p.bandIndex)], c.row) << c.reply;
    }
}

TEST_F(VfoTest, ZeroKeyMovesToAWholeKilohertzUpInUsbAndDownOtherwise) {
    struct Case {
        int hertz, mode, after;
        std::string command;
    } cases[] = {
        {7074500, 1, 7074000, "FA007074000;"},
        {7074500, 2, 7075000, "FA007075000;"},
        {7074000, 1, 7073000, "FA007073000;"},
        {7074000, 2, 7075000, "FA007075000;"},
        {7074999, 4, 7074000, "FA007074000;"},
        {500500, 7, 500000, "FA000500000;"},
        {0, 1, 0, ""},
        {1000, 1, 1000, ""},
        {999999500, 2, 999999500, ""},  // unknown, 0 Hz, beyond nine digits
    };
    for (const auto& c : cases) {
        p.vfoAFrequency = c.hertz, p.currentMode = c.mode;
        roundToKilohertz(p);
        EXPECT_EQ(p.vfoAFrequency, c.after) << c.hertz << " mode " << c.mode;
        EXPECT_EQ(sent(), c.command) << c.hertz << " mode " << c.mode;
    }
}

TEST_F(VfoTest, SplitOffRestoresVfoAOnTheRadioAndInTheBandRow) {
    struct Case {
        std::string saved;
        int external;
        std::string commands, row;
    } cases[] = {
        {"A014200000", 0, "FT2;FA014200000;", "12A014200000B0143000009991"},
        {"A014200000", 1, "FT2;FA014200000;", "12A014250000B0143000009991"},
        {"", 0, "FT2;", "12A014250000B0143000009991"},
    };
    for (const auto& c : cases) {
        p.bandIndex = 6, p.bandTable[6] = "12A014250000B0143000009991", p.splitOn = 1;
        p.splitSavedText = c.saved, p.externalCommand = c.external;
        splitOff(p);
        EXPECT_EQ(p.splitOn, 0);
        EXPECT_EQ(sent(), c.commands) << c.saved;
        EXPECT_EQ(p.bandTable[6], c.row) << c.saved << " external " << c.external;
    }
}

}  // namespace
}  // namespace vantor
