#include "core/text.h"
#include "controls/vfo.h"
#include "panel/keys.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

using testing::Clips;

class FrequencyKeysTest : public testing::RadioTest {
protected:
    FrequencyKeysTest() { startConnectedPanel(); }
};

// The band and mode follow the typed megahertz; a row remembered in FM is taken in
// AM below 25 MHz, where the digits typed (142 for "14.2") are what is compared. Zeros
// in front change nothing, 999 typed is a number like any other, and a row whose mode
// digit is damaged gives way to the built-in row. From Enter on the panel stands on the
// frequency it sent: F reads it and the next key resends it.
TEST_F(FrequencyKeysTest, TypedFrequenciesTuneTheRadio) {
    type("E14.25\n");
    EXPECT_EQ(heard(), (Clips{"EF", "1", "4", "point", "2", "5", "preamp", "on", "ok"}));
    EXPECT_EQ(radio->frequencyA(), 14250000);
    // clang-format off
    const std::tuple<const char*, int, char, const char*, int, int, Clips> cases[] = {
        // typed, band row given a mode digit first (0: none), the digit, last frequency command, band, mode, F
        {"E7.1\n", 0, 0, "FA007100000;", 4, 1, {"7", "point", "1", "mhz", "lsb.wav"}},
        {"E14.25\n", 0, 0, "FA014250000;", 6, 2, {"1", "4", "point", "2", "5", "mhz", "usb.wav"}},
        {"E145.5\n", 0, 0, "FA145500000;", 12, 5, {"1", "4", "5", "point", "5", "mhz", "fm.wav", "nar.wav"}},
        {"E28\n", 0, 0, "FA028000000;", 10, 2, {"2", "8", "mhz", "usb.wav"}},
        {"E432.1\n", 0, 0, "FA432100000;", 13, 5, {"4", "3", "2", "point", "1", "mhz", "fm.wav", "nar.wav"}},
        {"E445.5\n", 0, 0, "FA445500000;", 13, 5, {"4", "4", "5", "point", "5", "mhz", "fm.wav", "nar.wav"}},
        {"E14.2\n", 6, '7', "FA014200000;", 6, 7, {"1", "4", "point", "2", "mhz", "fm.wav"}},
        {"E14\n", 6, '7', "FA014000000;", 6, 4, {"1", "4", "mhz", "am.wav"}},
        {"E07.1\n", 0, 0, "FA007100000;", 4, 1, {"7", "point", "1", "mhz", "lsb.wav"}},
        {"E0014.2\n", 6, '9', "FA014200000;", 6, 2, {"1", "4", "point", "2", "mhz", "usb.wav"}},
        {"E9.99\n", 0, 0, "FA009990000;", 14, 4, {"9", "point", "9", "9", "mhz", "am.wav"}},
        {"E99.9\n", 0, 0, "FA099900000;", 14, 4, {"9", "9", "point", "9", "mhz", "am.wav"}}};
    // clang-format on
    for (const auto& [typed, row, modeDigit, command, band, mode, readout] : cases) {
        if (row) p.bandTable[row][1] = modeDigit;
        type(typed);
        EXPECT_EQ(p.lastFrequencyCommand, command) << typed;
        EXPECT_EQ(p.bandIndex, band) << typed;
        EXPECT_EQ(p.currentMode, mode) << typed;
        EXPECT_EQ(spoken().back(), "ok") << typed;
        press('F');
        EXPECT_EQ(heard(), readout) << typed;
        sent();
        press('J');  // a key without a row resends the working frequency
        EXPECT_EQ(sent(), command) << typed;
    }
}

// Out of range at the point, no megahertz digit, too many megahertz or hertz digits, or an
// overflow: "invalid", and the radio hears nothing of it.
TEST_F(FrequencyKeysTest, BadEntriesAreRefusedWithInvalid) {
    for (const char* typed : {"E500.", "E450.", "E0.", "E1234.5\n", "E14.2500001\n", "E99999999999999\n", "E\n",
                              "E0\n", "E.\n", "E500\n"}) {
        sent();
        type(typed);
        EXPECT_EQ(heard().back(), "invalid") << typed;
        EXPECT_EQ(sent(), "FA007100000;") << typed;  // only E's own resend
        type("\n");
        spoken();
    }
}

// The point only acts inside an entry: after one it neither speaks nor sends.
TEST_F(FrequencyKeysTest, PointOutsideAnEntryDoesNothing) {
    type("E14.2\n");
    sent(), spoken();
    const std::string rows = p.bandTable[6] + p.bandTable[14];
    press(key::point);
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(heard(), Clips{});
    EXPECT_EQ(p.bandTable[6] + p.bandTable[14], rows);
}

// Enter tells the radio when the band row switches split: off (FT2) before VFO A is tuned,
// on (FT3) after VFO A is put back on the row's receive frequency, so that the typed
// frequency goes to VFO B on the same band.
TEST_F(FrequencyKeysTest, EnterTakesSplitFromTheBandRowAndTellsTheRadio) {
    p.lastFrequencyCommand = "FA007100000;";
    press('V');
    ASSERT_TRUE(radio->split());
    type("E14.2\n");
    EXPECT_FALSE(radio->split());
    EXPECT_EQ(radio->frequencyA(), 14200000);
    EXPECT_EQ(p.splitOn, 0);
    p.bandTable[8] = "12A021200000B0212500009991";
    type("E21.3\n");
    EXPECT_TRUE(radio->split());
    EXPECT_EQ(p.splitOn, 1);
    EXPECT_EQ(radio->frequencyA(), 21200000);
    EXPECT_EQ(radio->frequencyB(), 21300000);
    EXPECT_EQ(p.splitSavedText, "A021200000");
}

// A frequency query sent by the poll just before Enter is answered with the old frequency;
// it must not move the panel back to the band it left, nor teach that band the new mode.
TEST_F(FrequencyKeysTest, EnterDropsTheAnswerToAQueryFromBeforeTheEntry) {
    type("E14.2");
    p.pollPhase = 0, p.replyPending = 0;
    tick();  // the poll asks "FA;" while the radio is still on 7.1 MHz
    ASSERT_EQ(p.replyPending, 1);
    type("\n");
    tick(8);
    EXPECT_EQ(p.bandIndex, 6);
    EXPECT_EQ(p.vfoAFrequency, 14200000);
    EXPECT_EQ(p.bandTable[4].substr(0, 12), "01A007100000");
}

TEST_F(FrequencyKeysTest, StepKeysMoveVfoAByTheirStepForModeAndBand) {
    // clang-format off
    const std::tuple<int, int, int, int> cases[] = {  // mode, band, key, VFO A after
        {2, 6, key::plus, 8100000},      {2, 6, key::minus, 6100000},     {2, 6, key::pageUp, 7110000},
        {2, 6, key::pageDown, 7090000},  {5, 12, key::pageUp, 7112500},   {5, 12, key::pageDown, 7087500},
        {7, 12, key::pageDown, 7090000}, {7, 14, key::pageUp, 7110000},   {3, 4, key::right, 7100010},
        {3, 4, key::left, 7099990},      {2, 4, key::right, 7100100},     {1, 4, key::left, 7099900}};
    // clang-format on
    for (const auto& [mode, band, code, expected] : cases) {
        p.currentMode = mode, p.bandIndex = band, p.vfoAFrequency = 7100000;
        press(code);
        EXPECT_EQ(p.vfoAFrequency, expected) << mode << "/" << band << "/" << code;
        EXPECT_EQ(sent(), frequencyCommand(expected) + ";");
    }
    p.vfoAFrequency = 500000;
    press(key::minus);  // would go below 0 Hz: stays
    EXPECT_EQ(sent(), "FA000500000;");
}

TEST_F(FrequencyKeysTest, ArrowsSetTheSquelchInFm) {
    // clang-format off
    const std::tuple<int, int, int, const char*> cases[] = {  // key, from, to, the last word
        {key::right, 19, 20, ""}, {key::right, 20, 30, ""}, {key::right, 250, 255, "max"},
        {key::left, 255, 245, ""}, {key::left, 245, 230, ""}, {key::left, 29, 28, ""}, {key::left, 1, 0, "0"}};
    // clang-format on
    p.currentMode = 7;
    for (const auto& [code, from, to, said] : cases) {
        p.squelchLevel = from;
        press(code);
        EXPECT_EQ(p.squelchLevel, to) << from;
        EXPECT_EQ(sent(), "SQ0" + zeroPadded(to, 3) + ";");  // and no frequency resend
        const Clips clips = spoken();
        EXPECT_EQ(clips.empty() ? "" : clips.back(), said);
    }
}

// F reads the frequency, mode and tone; after X it reads the repeater's transmit
// frequency or, in split, VFO A, and leaves the display alone.
TEST_F(FrequencyKeysTest, FReadsTheFrequencyModeAndTone) {
    p.frequencyText = " 14.250000", p.currentMode = 2;
    press('F');
    EXPECT_EQ(spoken(), (Clips{"1", "4", "point", "2", "5", "mhz", "usb.wav"}));
    p.toneOn = 1, p.toneCodeText = "512";
    p.tickCount = 0;  // never silent, whatever the poll is doing
    press('F');
    const Clips clips = spoken();
    EXPECT_EQ(Clips(clips.end() - 4, clips.end()), (Clips{"dcs", "5", "1", "2"}));
    p.toneOn = 0, p.bandIndex = 12, p.currentMode = 7, p.repeaterOn = 1;
    p.shift2mDigits = "600", p.shift2mMinus = 1, p.vfoAFrequency = 145600000, p.frequencyText = "145.600000";
    for (const Clips& expected : {Clips{"repeater", "tx", "1", "4", "5", "mhz", "fm.wav"},
                                  Clips{"vfoa", "1", "4", "point", "2", "mhz", "usb.wav"}}) {
        press('X');
        spoken();
        press('F');
        EXPECT_EQ(spoken(), expected);
        EXPECT_EQ(p.frequencyText, "145.600000");
        EXPECT_EQ(p.keyPrefix, 0);
        p.repeaterOn = 0, p.splitOn = 1, p.bandIndex = 6, p.currentMode = 2;
    }
}

TEST_F(FrequencyKeysTest, SplitKeySwitchesSplitOrTheRepeaterShift) {
    // VFO B starts where the radio's VFO A is now, wherever the panel last sent it.
    p.bandIndex = 6, p.currentMode = 2, p.lastFrequencyCommand = "FA014200000;", p.picture.vfoA = 14250000;
    press('V');
    EXPECT_EQ(sent(), "FT3;FB014250000;");
    EXPECT_EQ(p.splitOn, 1);
    EXPECT_EQ(p.bandTable[6].substr(12, 10), "A014250000");
    EXPECT_EQ(p.bandTable[6].size(), 26u);
    press('V');
    EXPECT_EQ(sent().substr(0, 4), "FT2;");
    const Clips off = spoken();
    EXPECT_EQ(Clips(off.end() - 2, off.end()), (Clips{"split", "off"}));
    p.bandIndex = 14;
    press('V');
    EXPECT_EQ(spoken(), (Clips{"split", "invalid"}));
    // VFO B has wandered outside the bands, and the dial took VFO A elsewhere
    // too: split off leaves VFO A where the receiver is.
    p.splitOn = 1, p.splitSavedText = "A014250000", p.picture.vfoA = 7100000;
    p.keyPrefix = 1;  // a prefix typed before V does not outlive it
    press('V');
    EXPECT_EQ(sent(), "FT2;FA007100000;");
    EXPECT_EQ(heard(), (Clips{"split", "off"}));
    EXPECT_EQ(p.keyPrefix, 0);
    p.bandIndex = 12, p.currentMode = 5, p.shift2mDigits = "600", p.shift2mMinus = 1;
    press('V');
    EXPECT_EQ(p.repeaterOn, 1);
    EXPECT_EQ(p.splitOn, 0);
}

// Z aligns to a whole kilohertz, or zeroes in in CW; S reads the S-meter and goes
// on to the frequency resend, or the SWR while transmitting.
TEST_F(FrequencyKeysTest, ZeroAndSMeterKeys) {
    p.vfoAFrequency = 7100450, p.currentMode = 2;
    press('Z');
    EXPECT_EQ(sent(), "FA007101000;");
    EXPECT_EQ(spoken(), (Clips{"0", "ok"}));
    p.currentMode = 3;
    press('Z');
    EXPECT_EQ(sent(), "ZI;");
    p.vfoAFrequency = 7100000, p.sMeterValue = 130, p.sMeterHeard = 1;
    spoken();
    press('S');
    EXPECT_EQ(sent(), "FA007100000;");
    EXPECT_EQ(spoken(), (Clips{"s.wav", "9.wav"}));
    p.txState = 10, p.swrText = "000";
    press('S');
    EXPECT_EQ(spoken().front(), "SWR");
}

}  // namespace
}  // namespace vantor
