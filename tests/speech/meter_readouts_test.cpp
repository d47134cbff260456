#include "speech/meter_readouts.h"

#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::Clips;

using testing::words;

class MeterReadoutsTest : public testing::PanelTest {
  protected:
    // Text printed since the last call, which must start in the S-meter field.
    std::string printedInField() {
        auto& prints = fake.screen.prints;
        EXPECT_EQ(std::pair(prints.at(0).x, prints.at(0).y), std::pair(750, 45));
        std::string text;
        for (const auto& print : prints) text += print.text;
        prints.clear();
        return text;
    }
};

TEST_F(MeterReadoutsTest, SMeterThresholdsAreSpokenAndShownEvenWhenMuted) {
    // clang-format off
    const std::tuple<int, const char*, const char*> cases[] = {
        {-4, "0", "S0  "}, {10, "0", "S0  "}, {11, "1", "S1  "}, {20, "1", "S1  "}, {21, "2", "S2  "},
        {40, "2", "S2  "}, {41, "3", "S3  "}, {54, "3", "S3  "}, {55, "4", "S4  "}, {68, "4", "S4  "},
        {69, "5", "S5  "}, {82, "5", "S5  "}, {83, "6", "S6  "}, {96, "6", "S6  "}, {97, "7", "S7  "},
        {108, "7", "S7  "}, {109, "8", "S8  "}, {122, "8", "S8  "}, {123, "9", "S9  "}, {156, "9", "S9  "},
        {157, "9.wav plus", "S9+"}, {255, "9.wav plus", "S9+"}};
    // clang-format on
    p.sMeterHeard = 1;
    for (const auto& [reading, units, shown] : cases) {
        p.sMeterValue = reading;
        saySMeter(p);
        EXPECT_EQ(spoken(), words("s.wav " + std::string(units) + ".wav")) << "reading " << reading;
        EXPECT_EQ(printedInField(), shown) << "reading " << reading;
    }
    p.wavePrefix = "xx";  // the poll's silent refresh
    saySMeter(p);
    EXPECT_EQ(spoken(), (Clips{"xxs.wav", "xx9.wav", "xxplus.wav"}));
    EXPECT_EQ(printedInField(), "S9+");
    // No reading since the radio connected: no S0 the radio never gave.
    p.wavePrefix = "wave\\", p.sMeterHeard = 0, p.sMeterValue = 0;
    saySMeter(p);
    EXPECT_EQ(spoken(), words("s.wav na"));
    EXPECT_TRUE(fake.screen.prints.empty());
}

TEST_F(MeterReadoutsTest, SwrReadingsMapToUnitsAndTenths) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "na", ""}, {"06", "na", ""}, {"x7", "na", ""}, {"000", "1", "0"}, {"049", "1", "0"}, {"050", "1", "0"}, {"056", "1", "0"},
        {"057", "1", "1"}, {"119", "1", "9"}, {"120", "2", "0"}, {"129", "2", "0"}, {"130", "2", "1"},
        {"159", "2", "3"}, {"160", "3", "0"}, {"179", "3", "9"}, {"180", "4", "0"}, {"181", "4", "0"},
        {"182", "4", "1"}, {"187", "4", "3"}, {"199", "4", "8"}, {"200", "gt5", "0"}, {"255", "gt5", "0"}};
    // clang-format on
    p.tunerState = 1, p.swrReportMode = 2;
    for (const auto& [reading, units, tenths] : cases) {
        p.swrText = reading, p.swrTenthsText = "";
        saySwr(p);
        // Without a reading the operator hears that there is none, framed or not.
        const Clips said = std::string(units) == "na" ? Clips{"SWR", "na"} : Clips{units, "point", tenths};
        EXPECT_EQ(spoken(), said) << "\"" << reading << "\"";
        EXPECT_EQ(p.swrTenthsText, tenths) << "\"" << reading << "\"";
    }
}

// Mode 1 frames the first report only; mode 2 never does. Without tuner or
// transmission nothing is said and the mode stays.
TEST_F(MeterReadoutsTest, SwrReportIsFramedByItsModeAndNeedsTunerOrTransmission) {
    const std::tuple<int, int, int, const char*, const char*, int> cases[] = {
        {1, 0, 0, "SWR 2 point 0 21", "SWR 2 point 0 21", 0},
        {1, 0, 1, "SWR 2 point 0 21", "2 point 0", 2},
        {0, 1, 2, "2 point 0", "2 point 0", 2},
        {0, 0, 1, "", "", 1}};
    p.swrText = "120";
    for (const auto& [tx, tuner, mode, first, second, modeAfter] : cases) {
        p.txState = tx, p.tunerState = tuner, p.swrReportMode = mode, p.swrTenthsText = "";
        saySwr(p);
        EXPECT_EQ(spoken(), words(first)) << "tx " << tx << " tuner " << tuner << " mode " << mode;
        EXPECT_EQ(p.swrTenthsText, *first ? "0" : "");
        saySwr(p);
        EXPECT_EQ(spoken(), words(second)) << "tx " << tx << " tuner " << tuner << " mode " << mode;
        EXPECT_EQ(p.swrReportMode, modeAfter);
    }
}

TEST_F(MeterReadoutsTest, AlcPeakIsSpokenAsItsDigits) {
    const std::tuple<int, int, const char*, int> cases[] = {{1, 0, "alc 0", 2},
                                                            {2, 127, "1 2 7", 2},
                                                            {1, 255, "alc 2 5 5", 2},
                                                            {0, 40, "4 0", 0},
                                                            {2, -8, "8", 2}};
    for (const auto& [meter, peak, clips, meterAfter] : cases) {
        p.micGainMeter = meter, p.alcPeak = peak, p.tickCount = 17;
        sayAlc(p);
        EXPECT_EQ(spoken(), words(clips)) << "peak " << peak;
        EXPECT_EQ(p.micGainMeter, meterAfter);
        EXPECT_EQ(p.tickCount, 0);
    }
}

}  // namespace
}  // namespace vantor
