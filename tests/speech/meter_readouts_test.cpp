#include "speech/meter_readouts.h"

#include "support/panel_fixture.h"

namespace vantor {
namespace {

using Clips = std::vector<std::string>;

class MeterReadoutsTest : public testing::PanelTest {
  protected:
    // Texts printed since the last call; all must start in the S-meter field.
    std::vector<std::string> printedInField() {
        std::vector<std::string> texts;
        auto& prints = fake.screen.prints;
        if (!prints.empty()) {
            EXPECT_EQ(prints.front().x, 750);
            EXPECT_EQ(prints.front().y, 45);
        }
        for (const auto& print : prints) texts.push_back(print.text);
        prints.clear();
        return texts;
    }
};

TEST_F(MeterReadoutsTest, SMeterThresholdsAreSpokenAndShown) {
    struct Case {
        int reading;
        Clips clips;
        std::vector<std::string> printed;
    } cases[] = {
        {0, {"s.wav", "0.wav"}, {"S0  "}},
        {10, {"s.wav", "0.wav"}, {"S0  "}},
        {11, {"s.wav", "1.wav"}, {"S1  "}},
        {20, {"s.wav", "1.wav"}, {"S1  "}},
        {21, {"s.wav", "2.wav"}, {"S2  "}},
        {40, {"s.wav", "2.wav"}, {"S2  "}},
        {41, {"s.wav", "3.wav"}, {"S3  "}},
        {54, {"s.wav", "3.wav"}, {"S3  "}},
        {55, {"s.wav", "4.wav"}, {"S4  "}},
        {68, {"s.wav", "4.wav"}, {"S4  "}},
        {69, {"s.wav", "5.wav"}, {"S5  "}},
        {82, {"s.wav", "5.wav"}, {"S5  "}},
        {83, {"s.wav", "6.wav"}, {"S6  "}},
        {96, {"s.wav", "6.wav"}, {"S6  "}},
        {97, {"s.wav", "7.wav"}, {"S7  "}},
        {108, {"s.wav", "7.wav"}, {"S7  "}},
        {109, {"s.wav", "8.wav"}, {"S8  "}},
        {122, {"s.wav", "8.wav"}, {"S8  "}},
        {123, {"s.wav", "9.wav"}, {"S9", "  "}},
        {156, {"s.wav", "9.wav"}, {"S9", "  "}},
        {157, {"s.wav", "9.wav", "plus.wav"}, {"S9", "+"}},
        {255, {"s.wav", "9.wav", "plus.wav"}, {"S9", "+"}},
        {-4, {"s.wav", "0.wav"}, {"S0  "}},
    };
    for (const auto& c : cases) {
        p.sMeterValue = c.reading;
        saySMeter(p);
        EXPECT_EQ(spoken(), c.clips) << "reading " << c.reading;
        EXPECT_EQ(printedInField(), c.printed) << "reading " << c.reading;
    }
}

TEST_F(MeterReadoutsTest, MutedSMeterStillUpdatesTheField) {
    p.wavePrefix = "xx";  // the poll's silent refresh
    p.sMeterValue = 200;
    saySMeter(p);
    EXPECT_EQ(spoken(), (Clips{"xxs.wav", "xx9.wav", "xxplus.wav"}));
    EXPECT_EQ(printedInField(), (std::vector<std::string>{"S9", "+"}));
}

TEST_F(MeterReadoutsTest, SwrReadingsMapToUnitsAndTenths) {
    struct Case {
        std::string reading;
        std::string units, tenths;
    } cases[] = {
        {"", "1", "0"},    {"000", "1", "0"}, {"049", "1", "0"}, {"050", "1", "0"},   {"056", "1", "0"},
        {"057", "1", "1"}, {"119", "1", "9"}, {"120", "2", "0"}, {"129", "2", "0"},   {"130", "2", "1"},
        {"159", "2", "3"}, {"160", "3", "0"}, {"179", "3", "9"}, {"180", "4", "0"},   {"181", "4", "0"},
        {"182", "4", "1"}, {"187", "4", "3"}, {"199", "4", "8"}, {"200", "gt5", "0"}, {"255", "gt5", "0"},
        {"x7", "1", "0"},
    };
    p.tunerState = 1;
    p.swrReportMode = 2;
    for (const auto& c : cases) {
        p.swrText = c.reading;
        saySwr(p);
        EXPECT_EQ(spoken(), (Clips{c.units, "point", c.tenths})) << "\"" << c.reading << "\"";
        EXPECT_EQ(p.swrTenthsText, c.tenths) << "\"" << c.reading << "\"";
    }
}

TEST_F(MeterReadoutsTest, SwrReportIsFramedByItsMode) {
    const Clips framed = {"SWR", "2", "point", "0", "21"};
    const Clips bare = {"2", "point", "0"};
    struct Case {
        int mode;
        Clips first, second;
        int modeAfter;
    } cases[] = {
        {0, framed, framed, 0},
        {1, framed, bare, 2},
        {2, bare, bare, 2},
    };
    p.txState = 1;
    p.swrText = "120";
    for (const auto& c : cases) {
        p.swrReportMode = c.mode;
        saySwr(p);
        EXPECT_EQ(spoken(), c.first) << "mode " << c.mode;
        saySwr(p);
        EXPECT_EQ(spoken(), c.second) << "mode " << c.mode;
        EXPECT_EQ(p.swrReportMode, c.modeAfter);
    }
}

TEST_F(MeterReadoutsTest, SwrIsSilentWithoutTunerOrTransmission) {
    struct Case {
        int tuner, tx;
        bool heard;
    } cases[] = {{0, 0, false}, {1, 0, true}, {0, 1, true}, {2, 1, true}};
    p.swrText = "165";
    for (const auto& c : cases) {
        p.tunerState = c.tuner;
        p.txState = c.tx;
        p.swrReportMode = 1;
        p.swrTenthsText = "";
        saySwr(p);
        EXPECT_EQ(spoken().empty(), !c.heard) << c.tuner << " " << c.tx;
        EXPECT_EQ(p.swrTenthsText, c.heard ? "2" : "");
        EXPECT_EQ(p.swrReportMode, c.heard ? 2 : 1);
    }
}

TEST_F(MeterReadoutsTest, AlcPeakIsSpokenAsItsDigits) {
    struct Case {
        int meter, peak;
        Clips clips;
        int meterAfter;
    } cases[] = {
        {1, 0, {"alc", "0"}, 2},
        {2, 127, {"1", "2", "7"}, 2},
        {1, 255, {"alc", "2", "5", "5"}, 2},
        {0, 40, {"4", "0"}, 0},
        {2, -8, {"8"}, 2},
    };
    for (const auto& c : cases) {
        p.micGainMeter = c.meter;
        p.alcPeak = c.peak;
        p.tickCount = 17;
        sayAlc(p);
        EXPECT_EQ(spoken(), c.clips) << "peak " << c.peak;
        EXPECT_EQ(p.micGainMeter, c.meterAfter);
        EXPECT_EQ(p.tickCount, 0);
    }
}

}  // namespace
}  // namespace vantor
