#include "core/text.h"
#include "panel/keys.h"
#include "support/transcript.h"

namespace vantor {
namespace {

class LevelKeysTest : public testing::TranscriptTest {
protected:
    LevelKeysTest() { p.powerWatts = 90, p.powerMaxWatts = 100, p.breakInOn = 1, p.preampLevel = 2; }
};

constexpr const char* kResend = "FA007100000;";

// One operator's session, key after key (a mode other than 0 is set before the key): prefixes
// speak and choose; up and down speak the value for P, W and K and resend the frequency only
// without a prefix or under W; K enters CW with break-in off and leaves by K or silently by
// another key; F1 takes the first amplifier; F6 cycles the contour.
TEST_F(LevelKeysTest, KeysSpeakChooseAndReachTheRadioInOrder) {
    using namespace std::string_literals;
    const std::string toCw = "MD03; NA00; "s + kResend + " SH011;";
    const std::string toUsb = "MD02; NA00; "s + kResend + " SH014;";
    // clang-format off
    const std::tuple<int, int, std::string> steps[] = {
        {'K', 2, "ks " + toCw + " KS; on BI0; 2 0 wpm"},
        {key::up, 0, "KS021; 2 1 wpm"},
        {'K', 0, "ks off 2 1 wpm " + toUsb + " BI1;"},
        {'K', 0, "ks " + toCw + " KS; on BI0; 2 1 wpm"},
        {'S', 0, toUsb + " BI1; s.wav na " + kResend},  // the poll has not metered yet
        {'A', 0, "af"}, {key::up, 0, "AG0060;"},
        {'R', 0, "rf"}, {key::down, 0, "RG0230;"},
        {'P', 0, "Power 9 0 watts"}, {key::up, 0, "max PC100; 1 0 0 watts"},
        {'W', 4, "bw na"}, {'W', 2, "bw 2.wav point 4 khz"},
        {key::down, 0, "SH013; bw 2.wav point 3 khz "s + kResend},
        {'L', 0, "lev"},
        {key::f1, 0, "preamp on PA01; "s + kResend}, {'L', 0, "preamp lev"},
        {key::up, 0, "max preamp on PA02;"},
        {key::f6, 0, "cod CO011200;"}, {'L', 0, "co lev"}, {key::up, 0, "CO011300;"},
        {key::f6, 0, "cop CO031200;"}, {key::f6, 0, "co off CO001200; "s + kResend},
        {key::up, 0, "FA007101000;"}, {key::down, 3, "FA007100500;"},
        {key::f5, 0, "notch on BC01; FA007100500;"},
        {key::f2, 0, "at on RA01; FA007100500;"},
        {key::f3, 0, "nb on NB01; NL0; FA007100500;"},
        {key::f4, 0, "nr on NR01; RL0; FA007100500;"},
        {key::f7, 0, "na"}, {key::f7, 2, "spc on PR01; PL;"},
        {key::f8, 0, "vox on VX1; FA007100500;"}, {key::f8, 3, "bkin off BI0; FA007100500;"}};
    // clang-format on
    for (const auto& [code, mode, said] : steps) {
        if (mode) p.currentMode = mode;
        press(code);
        EXPECT_EQ(transcript(), said) << "key " << code;
    }
    EXPECT_EQ(std::tuple(p.keyerSpeed, p.afGain, p.rfGain, p.powerWatts, p.widthCode),
              std::tuple(21, 60, 230, 100, 13));
}

// The gain is spoken, the poll meters the ALC instead of the S-meter and speaks its peak,
// up starts a new peak with the new gain, and F11 ends the run with the gain and "off".
TEST_F(LevelKeysTest, MicrophoneGainRunMetersTheAlcPeak) {
    radio->handle("TX1;");  // the ALC moves only on the air
    press(key::f11);
    EXPECT_EQ(transcript(), "micgain lev MG; 5 0");
    std::string said;
    for (int i = 0; i < 40 && said.find("alc") == std::string::npos; ++i) {
        tick();
        said += transcript() + " ";
    }
    std::string peak;
    for (char digit : std::to_string(p.alcPeak)) peak += std::string(" ") + digit;
    EXPECT_NE(said.find("RM4; alc" + peak), std::string::npos) << said;
    EXPECT_EQ(said.find("SM0;"), std::string::npos) << said;
    press(key::up);
    EXPECT_EQ(transcript(), "MG051;");
    EXPECT_EQ(p.alcPeak, 0);
    press(key::f11);
    EXPECT_EQ(transcript(), "micgain lev 5 1 off");
    EXPECT_EQ(std::tuple(p.micGainMeter, p.alcPeak, p.keyPrefix), std::tuple(0, 0, 12));
}

// A read-back the level cannot mean (marker at the end, short, no digits, out of range, an
// error) leaves the level as it was; a good one is taken even after other bytes.
TEST_F(LevelKeysTest, BadReadBacksLeaveTheLevel) {
    struct Case {
        int code, mode;
        const char *query, *marker;
        int Panel::*level;
        const char *good, *outOfRange;
    } cases[] = {{'K', 2, "KS;", "KS", &Panel::keyerSpeed, "030", "061"},
                 {key::f11, 2, "MG;", "MG", &Panel::micGainValue, "070", "101"},
                 {key::f3, 2, "NL0;", "NL0", &Panel::nbLevel, "007", "011"},
                 {key::f4, 2, "RL0;", "RL0", &Panel::nrLevel, "09", "16"},
                 {key::f7, 2, "PL;", "PL", &Panel::processorLevel, "070", "101"}};
    for (const auto& c : cases) {
        const std::string marker = c.marker, good = c.good;
        const std::string garbled = marker + std::string(good.size(), 'x') + ";";
        const std::string replies[] = {marker, marker + good.substr(1), garbled, marker + c.outOfRange + ";",
                                       "?;", "?;" + marker + good + ";"};
        for (const std::string& reply : replies) {
            p.keyPrefix = p.micGainMeter = p.nbOn = p.nrOn = p.processorOn = 0, p.currentMode = c.mode;
            p.*c.level = 4;
            answers = {{c.query, reply}};
            press(c.code);
            EXPECT_EQ(p.*c.level, reply == replies[5] ? valueOf(good) : 4) << reply;
            transcript();
        }
    }
}

}  // namespace
}  // namespace vantor
