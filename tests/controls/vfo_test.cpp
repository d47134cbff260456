#include "controls/vfo.h"

#include "core/text.h"
#include "memory/band_defaults.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using VfoTest = testing::PanelTest;

// FM (modes 5 and 7) is not learnt below 10 m, nor C4FM (6) below 2 m; no frequency known moves nothing.
TEST_F(VfoTest, RepliesAreFiledUnderTheirBandAndFmIsNotLearntOnHf) {
    // clang-format off
    const std::tuple<const char*, int, int, bool> cases[] = {
        {"FA001900000", 1, 1, 1}, {"FA003600000", 1, 2, 1}, {"FA005400000", 2, 3, 1},
        {"FA007074000", 1, 4, 1}, {"FA010100000", 3, 5, 1}, {"FA014200000", 2, 6, 1},
        {"FA018100000", 2, 7, 1}, {"FA021200000", 2, 8, 1}, {"FA024890000", 2, 9, 1},
        {"FA028500000", 5, 10, 1}, {"FA029600000", 7, 10, 1}, {"FA054000000", 7, 11, 1},
        {"FA144000000", 6, 12, 1}, {"FB148900000", 7, 12, 1}, {"FA430000000", 5, 13, 1},
        {"FA449999999", 7, 13, 1}, {"FA002000000", 1, 14, 1}, {"FA004000000", 1, 14, 1},
        {"FA006000000", 1, 14, 1}, {"FA055000000", 2, 14, 1}, {"FA149000000", 7, 14, 1},
        {"FA450000000", 7, 14, 1}, {"FA014200000", 7, 6, 0}, {"FA024890000", 5, 9, 0},
        {"FA050100000", 6, 11, 0}, {"FA01420?000", 1, 0, 0}};
    // clang-format on
    for (const auto& [reply, mode, band, learn] : cases) {
        p.vfoAFrequency = isDigits(reply + 2, 9) ? valueOf(reply + 2) : 0, p.currentMode = mode, p.bandIndex = 0;
        EXPECT_EQ(classifyBand(p), learn) << reply << " mode " << mode;
        EXPECT_EQ(p.bandIndex, band) << reply;
    }
}

// Split learns VFO B only; FM on HF and the bridge's commands teach nothing; a row
// keeps its tone while one is typed; 20 m has no shift; a damaged row is rebuilt.
TEST_F(VfoTest, TheCurrentBandRowLearnsWhatTheRadioReports) {
    // clang-format off
    using Case = std::tuple<int, int, int, int, int, const char*, int, const char*, const char*, const char*>;
    const Case cases[] = {
        // split, repeater, bridge, preamp, mode, tone, band, its row before ("": built in), reply, row after
        {0, 0, 0, 1, 2, "999", 6, "", "FA014250000", "02A014250000B0142000009991"},
        {1, 0, 0, 1, 2, "999", 6, "", "FB014300000", "12A014200000B0143000009991"},
        {0, 0, 0, 0, 7, "999", 6, "", "FA014250000", "02A014200000B0142000009991"},
        {0, 0, 1, 0, 2, "999", 6, "", "FA014250000", "02A014200000B0142000009991"},
        {0, 1, 0, 0, 7, "012", 12, "", "FA145500000", "57A145500000B-000006000120"},
        {0, 1, 0, 0, 5, "999", 13, "", "FA439000000", "55A439000000B+000076009990"},
        {0, 0, 0, 0, 7, "1", 12, "07A145000000B1450000000880", "FA145200000", "07A145200000B1450000000880"},
        {0, 1, 0, 0, 2, "999", 6, "", "FA014250000", "02A014250000B0142000009990"},
        {0, 0, 0, 0, 2, "999", 6, "02A0142", "FA014250000", "02A014250000B0142500009990"}};
    // clang-format on
    p.shift2mMinus = 1, p.shift2mDigits = "600", p.shift70cmDigits = "7600";
    for (const auto& [split, repeater, bridge, preamp, mode, tone, band, before, reply, after] : cases) {
        p.bandTable[band] = *before ? before : kBuiltInBandRows[band];
        p.splitOn = split, p.repeaterOn = repeater, p.externalCommand = bridge, p.preampOn = preamp;
        p.currentMode = mode, p.toneCodeText = tone, p.vfoAFrequency = valueOf(reply + 2);
        learnBandRow(p);
        EXPECT_EQ(p.bandTable[band], after) << reply;
    }
}

// VFO A holds what was sent; unknown (0 Hz) or beyond nine digits it is left alone.
TEST_F(VfoTest, ZeroKeyMovesToAWholeKilohertzUpInUsbAndDownOtherwise) {
    // clang-format off
    const std::tuple<int, int, std::string> cases[] = {
        {7074500, 1, "FA007074000;"}, {7074500, 2, "FA007075000;"}, {7074000, 1, "FA007073000;"},
        {7074000, 2, "FA007075000;"}, {7074999, 4, "FA007074000;"}, {500500, 7, "FA000500000;"},
        {0, 1, ""}, {1000, 1, ""}, {999999500, 2, ""}};
    // clang-format on
    for (const auto& [hertz, mode, command] : cases) {
        p.vfoAFrequency = hertz, p.currentMode = mode;
        roundToKilohertz(p);
        EXPECT_EQ(sent(), command) << hertz << " mode " << mode;
        EXPECT_EQ(p.vfoAFrequency, command.empty() ? hertz : std::stoi(command.substr(2))) << hertz;
    }
}

// VFO A stays where the receiver is (the picture, which follows the dial);
// only while that is unknown does the text saved at split on serve. The
// bridge's commands leave the band row alone; with neither there is nothing to restore.
TEST_F(VfoTest, SplitOffRestoresVfoAOnTheRadioAndInTheBandRow) {
    const std::tuple<const char*, int, int, const char*, const char*> cases[] = {
        {"A014200000", 0, 0, "FT2;FA014200000;", "12A014200000B0143000009991"},
        {"A014200000", 0, 14210000, "FT2;FA014210000;", "12A014210000B0143000009991"},
        {"A014200000", 1, 0, "FT2;FA014200000;", "12A014250000B0143000009991"},
        {"", 0, 0, "FT2;", "12A014250000B0143000009991"}};
    for (const auto& [saved, bridge, receiver, commands, row] : cases) {
        p.bandIndex = 6, p.bandTable[6] = "12A014250000B0143000009991", p.splitOn = 1;
        p.splitSavedText = saved, p.externalCommand = bridge, p.picture.vfoA = receiver;
        splitOff(p);
        EXPECT_EQ(p.splitOn, 0);
        EXPECT_EQ(sent(), commands) << saved;
        EXPECT_EQ(p.bandTable[6], row) << saved << " bridge " << bridge;
    }
}

}  // namespace
}  // namespace vantor
