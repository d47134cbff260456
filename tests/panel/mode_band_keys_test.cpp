#include <algorithm>
#include <functional>

#include "core/text.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

using testing::words;

class ModeBandKeysTest : public testing::RadioTest {
protected:
    ModeBandKeysTest() { startConnectedPanel(); }
};

// FM only from 10 m and 27 MHz up, narrow or wide as fmWide says; C4FM is never
// stepped to. Prefix 14 is X then M: the FM width switches, other modes stay.
TEST_F(ModeBandKeysTest, MStepsTheModesTheBandAllowsAndXMSwitchesTheFmWidth) {
    const char kRadioMode[] = " 1235BE4";  // the radio's mode letter for modes 1..7
    const char* const kClip[] = {"",       "lsb.wav", "usb.wav",  "cw.wav",
                                 "am.wav", "nar.wav", "c4fm.wav", "fm.wav"};
    // band, hertz, fmWide, mode, prefix, modes after each press
    const std::tuple<int, int, int, int, int, std::vector<int>> cases[] = {
        {6, 14200000, 0, 1, 0, {2, 3, 4, 1}}, {12, 145500000, 0, 1, 0, {2, 3, 4, 5, 1}},
        {12, 145500000, 1, 4, 0, {7, 1}},     {10, 28500000, 0, 4, 0, {5}},
        {14, 20000000, 0, 4, 0, {1}},         {12, 145500000, 1, 5, 0, {1}},
        {12, 145500000, 0, 5, 14, {7}},       {6, 14200000, 0, 2, 14, {2}}};
    for (const auto& [band, hertz, wide, mode, prefix, steps] : cases) {
        p.bandIndex = band, p.vfoAFrequency = hertz, p.fmWide = wide, p.currentMode = mode;
        for (int expected : steps) {
            p.keyPrefix = prefix;
            press('M');
            EXPECT_EQ(std::tuple(p.currentMode, radio->mode(), heard().back(), p.keyPrefix),
                      std::tuple(expected, kRadioMode[expected], kClip[expected], 0))
                << band << "/" << mode << "/" << prefix;
        }
        EXPECT_EQ(p.fmWide, p.currentMode == 7 ? 1 : p.currentMode == 5 ? 0 : wide) << mode;
    }
}

// A band beyond the configured top band is refused and still ends B's prefix.
TEST_F(ModeBandKeysTest, BandKeysAfterBTakeTheBandsTheTopBandAllows) {
    const std::tuple<const char*, char, int, const char*> cases[] = {
        // top band, key, band taken (0: refused), what follows "band 40 metres"
        {"1", 'X', 0, "band na"},   {"6", 'X', 11, "6 metres"}, {"6", 'T', 0, "band na"},
        {"2", 'T', 12, "2 metres"}, {"2", 'S', 0, "band na"},   {"7", 'S', 13, "70 metres"},
        {"7", 'U', 14, "band un"},  {"1", 'U', 14, "band un"}};
    for (const auto& [top, code, band, clips] : cases) {
        p.topBandCode = top, p.bandIndex = 4, p.repeaterOn = 0;
        press('B');
        EXPECT_EQ(p.keyPrefix, 1);
        press(code);
        const auto said = heard();
        const auto tail = words(clips);
        EXPECT_EQ(std::vector(said.begin(), said.begin() + 3), words("band 40 metres")) << top << code;
        EXPECT_NE(std::search(said.begin() + 3, said.end(), tail.begin(), tail.end()), said.end())
            << top << code;
        EXPECT_EQ(std::pair(p.keyPrefix, p.bandIndex), std::pair(0, band == 0 ? 4 : band)) << top << code;
        const std::string bytes = sent(), row = p.bandTable[static_cast<std::size_t>(band)];
        EXPECT_TRUE(band == 0 ? bytes.empty() : bytes.find("FA" + mid(row, 4, 9) + ";") != std::string::npos)
            << top << code << bytes;
    }
}

TEST_F(ModeBandKeysTest, OptionsSaysWhatIsOnAndTheTunerSetting) {
    auto allOn = [&](int mode, int contour, const char* tone, int tuner) {
        p.preampOn = p.attOn = p.nbOn = p.nrOn = p.notchOn = p.processorOn = p.breakInOn = p.voxOn =
            p.monitorOn = 1;
        p.currentMode = mode, p.contourState = contour, p.toneCodeText = tone, p.tunerState = tuner;
    };
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { p.tunerState = 0; }, "options tuner is on"},
        {[&] { p.tunerState = 3; }, "options tuner is"},
        {[&] { allOn(2, 2, "654", 2); },
         "options preamp on at on nb on nr on notch on cop spc on vox on mon on dcs 6 5 4 tuner is both"},
        {[&] { allOn(3, 1, "023", 1); },
         "options preamp on at on nb on nr on notch on cod bkin on vox on mon on ctcss 0 2 3 tuner is off"}};
    for (const auto& [setUp, clips] : cases) {
        setUp();
        press('O');
        EXPECT_EQ(heard(), words(clips));
        EXPECT_EQ(sent(), "");
    }
}

}  // namespace
}  // namespace vantor
