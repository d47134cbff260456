#include "cat/radio_identification.h"

#include <map>

#include "app/radio_startup.h"
#include "controls/toggles.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

class IdentificationTest : public testing::PanelTest {
protected:
    IdentificationTest() {
        fillBandTable(p);
        fake.serial.setResponder(1, [this](std::string_view bytes) {
            auto it = answers.find(std::string(bytes));
            return it == answers.end() ? std::string() : it->second;
        });
    }
    // What the radio answers to each query the identification asks.
    std::map<std::string, std::string> answers{{"ID;", "ID0670;"},  {"GT0;", "GT03;"}, {"AG0;", "AG0120;"},
                                               {"ML0;", "ML0001;"}, {"ML1;", "ML1070;"}, {"PR0;", "PR01;"},
                                               {"NR0;", "NR01;"},   {"VX;", "VX1;"},     {"BI;", "BI1;"}};
};

// A value read back goes into later commands, so an answer without the digits
// its command needs leaves the value the panel had (or the default the radio is
// then given); the good answers are all taken.
TEST_F(IdentificationTest, ReadBacksTakeOnlyTheDigitsTheirCommandsNeed) {
    identifyRadio(p);
    sent();
    EXPECT_EQ(std::tuple(p.radioModel, p.agcStep, p.afGain, p.monitorLevelText),
              std::tuple(670, 3, 120, "070"));
    EXPECT_EQ(std::tuple(p.processorOn, p.nrOn, p.voxOn, p.breakInOn, p.monitorOn), std::tuple(1, 1, 1, 1, 1));
    // clang-format off
    const std::tuple<const char*, const char*, int Panel::*, int> cases[] = {
        // query, bad answer, the value it must not set, its value afterwards
        {"ID;", "ID06x0;", &Panel::radioModel, 0},   {"ID;", "ID067;", &Panel::radioModel, 0},
        {"GT0;", "GT0;;", &Panel::agcStep, 2},        {"AG0;", "AG0;;;;", &Panel::afGain, 80},
        {"AG0;", "AG01x0;", &Panel::afGain, 80},      {"NR0;", "NR0x;", &Panel::nrOn, 9},
        {"VX;", "VX;;", &Panel::voxOn, 1},            {"BI;", "BI-;", &Panel::breakInOn, 1}};
    // clang-format on
    for (const auto& [queried, answer, field, kept] : cases) {
        const std::string good = answers[queried];
        answers[queried] = answer;
        identifyRadio(p);
        EXPECT_EQ(p.*field, kept) << answer;
        answers[queried] = good;
    }
    // Only the two damaged AG answers make the panel give the radio a known gain.
    const std::string commands = sent(), gain = "AG0;AG0080;";
    int gainsSet = 0;
    for (auto at = commands.find(gain); at != std::string::npos; at = commands.find(gain, at + 1)) ++gainsSet;
    EXPECT_EQ(gainsSet, 2);
    p.monitorLevelText = "050", answers["ML1;"] = "ML1;;;";
    identifyRadio(p);
    EXPECT_EQ(p.monitorLevelText, "050");
}

// Each model keeps its repeater offsets in menus of its own numbers, given
// right after it names itself and before the start frequency.
TEST_F(IdentificationTest, EachModelIsGivenItsRepeaterOffsetsInItsOwnMenus) {
    p.shift10mDigits = "100", p.shift6mDigits = "500", p.shift2mDigits = "600", p.shift70cmDigits = "7600";
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"ID0670;", "EX0800100;EX0810500;EX0820600;EX08307600;"},
        {"ID0840;", "EX0103160100;EX0103170500;EX010318600;EX01031907600;"},
        {"ID0800;", "EX0103180100;EX0103190500;"}, {"ID0761;", "EX0103170100;EX0103180500;"},
        {"ID0681;", "EX0103150100;EX0103160500;"}, {"ID0362;", "EX810100;EX820500;"},
        {"ID0462;", "EX0860100;EX0870500;"}, {"ID0241;", "EX050001;"}, {"ID0650;", "EX09040100;"}};
    // clang-format on
    for (const auto& [id, menus] : cases) {
        answers["ID;"] = id;
        sent();
        identifyRadio(p);
        const std::string commands = sent();
        EXPECT_NE(commands.find(std::string("ID;") + menus + "F"), std::string::npos) << id << " " << commands;
    }
}

class ProcessorReadBackTest : public testing::RadioTest {};

// The processor is asked at connection in the form its key switches it in, so
// the panel starts where the radio is and the first F7 switches it over.
TEST_F(ProcessorReadBackTest, TheProcessorIsAskedInTheFormItsKeyUses) {
    // clang-format off
    const std::tuple<int, const char*, const char*, int> cases[] = {
        // model, processor set on the radio, the radio's record, on
        {670, "PR01;", "PR0", 1}, {670, "PR00;", "PR0", 0}, {462, "PR01;", "PR0", 1}, {462, "PR00;", "PR0", 0},
        {362, "PR1;", "PR", 1}, {362, "PR0;", "PR", 0}, {251, "PR1;", "PR", 1}, {251, "PR0;", "PR", 0}};
    // clang-format on
    for (const auto& [model, set, record, on] : cases) {
        useRadio(model);
        startPanel();
        radio->handle(set);
        p.processorOn = 1 - on, p.currentMode = 2;
        identifyRadio(p);
        EXPECT_EQ(p.processorOn, on) << model << " " << set;
        toggleProcessor(p);
        EXPECT_EQ(radio->setting(record), 1 - on) << model << " " << set;
        sent();
        spoken();
    }
}

}  // namespace
}  // namespace vantor
