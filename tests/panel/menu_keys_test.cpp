#include "core/text.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

using testing::Clips;
using testing::words;

class MenuKeysTest : public testing::RadioTest {
  protected:
    MenuKeysTest() { startConnectedPanel(), p.radioModel = 670; }
};

// A number of the model's length is taken; a value is set, then read back from the radio.
TEST_F(MenuKeysTest, MenuNumberHasTheModelsLengthAndItsValueIsSetAndRead) {
    for (const auto& [model, number, digits] : {std::tuple{670, "01", "0 1"},
                                                {670, "001", "0 0 1"},
                                                {650, "001", "0 0 1"},
                                                {650, "0001", "0 0 0 1"},
                                                {800, "0103", "0 1 0 3"},
                                                {800, "010316", "0 1 0 3 1 6"}}) {
        useRadio(model), p.radioModel = model;
        const bool valid = radio->traits().menuDigits == static_cast<int>(std::string(number).size());
        type(std::string("N") + number + "\n");
        EXPECT_EQ(heard(), words(std::string("mn ") + digits + (valid ? " mp" : " invalid"))) << number;
        if (!valid) continue;
        type("15\nN" + std::string(number) + "\n\n");
        EXPECT_EQ(sent(), std::string("EX") + number + "15;EX" + number + ";");
        EXPECT_EQ(heard(), words(std::string("1 5 ok mn ") + digits + " mp 1 5"));
        EXPECT_EQ(p.keyPrefix, 0);
    }
}

// Only digits and the point are spoken, from the echo of the number to the first ";";
// with no ";" nothing is, and the poll is let go in every case.
TEST_F(MenuKeysTest, MenuReadSpeaksOnlyWhatHasAClip) {
    p.radioModel = 670;
    for (const auto& [reply, said] : {std::pair{"EX0011.5;", "1 point 5"},
                                      {"xxEX00107;EX0019;", "0 7"},
                                      {"EX001/x\\..;", "point point"},
                                      {"EX0015", ""},
                                      {"?;", ""}}) {
        fake.serial.setResponder(1,
                                 [reply](std::string_view bytes) { return bytes == "EX001;" ? reply : ""; });
        type("N001\n\n");
        EXPECT_EQ(heard(), words(std::string("mn 0 0 1 mp ") + said)) << reply;
        EXPECT_EQ(p.menuBusy, 0);
    }
}

// Typed digits and tone decoding give the words after the digits, the commands and the code.
// A code in force goes off with I again; outside FM I is refused. While a tone is on, N
// only resends; a key that cannot go on with an unfinished code drops it.
TEST_F(MenuKeysTest, ToneCodesAreTakenInTheirRangesOnly) {
    // clang-format off
    const std::tuple<const char*, int, const char*, const char*, const char*> cases[] = {
        {"12", 0, "ctcss on", "CN00012;CT01;", "012"}, {"8", 0, "ctcss on", "CN00008;CT01;", "008"},
        {"523", 1, "dcs on", "EX0860;CN01023;CT03;", "523"}, {"603", 1, "dcs on", "EX0860;CN01103;CT03;", "603"},
        {"523", 0, "invalid", "CT00;", "999"}, {"604", 1, "invalid", "CT00;", "999"},
        {"50", 0, "invalid", "CT00;", "999"}, {"100", 0, "invalid", "CT00;", "999"},
        {"5234", 1, "invalid", "CT00;", "999"}, {"", 0, "invalid", "CT00;", "999"}};
    // clang-format on
    p.currentMode = 7;
    for (const auto& [typed, decode, said, commands, code] : cases) {
        p.toneDecodeOn = decode;
        type(std::string("I") + typed + "\n");
        std::string digits;
        for (const char* c = typed; *c; ++c) digits += std::string(" ") + *c;
        EXPECT_EQ(heard(), words((decode ? "ecd" : "ec") + digits + " " + said)) << typed;
        EXPECT_EQ(sent(), commands) << typed;
        EXPECT_EQ(p.toneCodeText, code);
        if (p.toneOn == 0) continue;
        press('I');
        EXPECT_EQ(heard(), words(code[0] > '4' ? "dcs off" : "ctcss off"));
        EXPECT_EQ(sent(), "CT00;");
    }
    p.toneOn = 1, p.toneCodeText = "012";
    type("N");
    EXPECT_EQ(sent(), "FA007100000;");
    p.toneOn = 0, p.toneCodeText = "999", p.currentMode = 2;
    type("NI");
    EXPECT_EQ(heard(), words("mn wrong mode"));
}

// Only digits between I and its Enter make the code: digits typed while a code is in force
// leave it, on the panel and on the radio, and an Enter then gives the radio the same code.
TEST_F(MenuKeysTest, DigitsAfterTheEnterLeaveTheCodeInForce) {
    // clang-format off
    const std::tuple<const char*, int, const char*, const char*, const char*, const char*> cases[] = {
        // entry, decode, typed later, heard then, sent then, code in force
        {"I12\n", 0, "3", "", "", "012"}, {"I12\n", 0, "34\n", "ctcss on", "CN00012;CT01;", "012"},
        {"I523\n", 1, "6", "", "", "523"}, {"I8\n", 0, "1\n", "ctcss on", "CN00008;CT01;", "008"},
        {"I", 0, "12\n", "1 2 ctcss on", "CN00012;CT01;", "012"}};
    // clang-format on
    p.currentMode = 5;
    for (const auto& [entry, decode, later, said, commands, code] : cases) {
        p.toneDecodeOn = decode;
        type(entry);
        heard(), sent();
        type(later);
        EXPECT_EQ(heard(), words(said)) << entry << " then " << later;
        EXPECT_EQ(sent(), commands) << entry << " then " << later;
        EXPECT_EQ(std::tuple(p.toneOn, p.toneCodeText), std::tuple(1, std::string(code)))
            << entry << " then " << later;
        EXPECT_EQ(radio->setting(code[0] > '4' ? "CN01" : "CN00"),
                  valueOf(code) % 100 + (code[0] == '6' ? 100 : 0));
        type("I");
        heard(), sent();
    }
}

// D switches FM to C4FM and back with the tone, on the two models that have C4FM only.
TEST_F(MenuKeysTest, DSwitchesFmAndC4fmAndBringsTheToneBack) {
    // clang-format off
    const std::tuple<int, int, int, const char*, std::vector<std::string>, const char*> cases[] = {
        {670, 7, 1, "012", {"MD0E;", "MD04;", "CN00012;", "CT01;"}, "c4fm.wav ctcss 0 1 2 fm.wav"},
        {570, 5, 0, "523", {"MD0E;", "MD0B;", "EX0860;", "CN01023;", "CT03;"}, "c4fm.wav dcs on fm.wav nar.wav"},
        {241, 7, 1, "012", {}, ""}, {670, 2, 1, "012", {}, ""}};
    // clang-format on
    for (const auto& [model, mode, wide, tone, commands, said] : cases) {
        p.radioModel = model, p.currentMode = mode, p.fmWide = wide, p.toneOn = 1, p.toneCodeText = tone;
        type("DD");
        EXPECT_EQ(heard(), words(said)) << model;
        expectSent(commands, commands.empty() ? ";" : "MD03;");
        EXPECT_EQ(p.currentMode, mode);
    }
}

}  // namespace
}  // namespace vantor
