#include <functional>

#include "core/text.h"
#include "display/status_window.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

using testing::Clips;

class PollTest : public testing::RadioTest {
protected:
    PollTest() {
        // The panel as configured by the sample vantor.cfg.
        p.powerWatts = p.powerMaxWatts = 100;
        p.shift10mDigits = "100", p.shift6mDigits = "500", p.shift2mDigits = "600", p.shift70cmDigits = "7600";
        startPanel();
        radioStartup(p);
        // Anything start-up left unread in the port goes, as the first
        // poll would read (and drop) it.
        fake.virtualClock.advance(50);
        fake.serial.read(1, 255);
        sent();
        spoken();
    }
};

// An answer nobody reads any more never hides the frequency answer behind it.
TEST_F(PollTest, AStaleAnswerDoesNotDelayTheConnection) {
    fake.serial.pushIncoming(1, "NA00;");
    tick(2);
    EXPECT_EQ(p.radioConnected, 1);
}

// The meter query is SM0, RM6 while transmitting, RM4 while metering the
// microphone; an unanswered one is given up after 250 ms and the next goes.
TEST_F(PollTest, FrequencyAndMeterQueriesAlternateAndAnUnansweredOneIsDropped) {
    radio->setSilent(true);
    tick(12);
    EXPECT_EQ(sent(), "FA;SM0;");
    EXPECT_EQ(p.radioConnected, 0);
    p.txState = 11;
    tick(12);
    EXPECT_EQ(sent(), "FA;RM6;");
    p.micGainMeter = 1;
    tick(12);
    EXPECT_EQ(sent(), "FA;RM4;");
}

// A tick reads the answer and the next asks; after speech held the panel
// (a readout) the first tick reads the waiting answer and asks again at once.
TEST_F(PollTest, AfterSpeechThePollAsksAgainInTheFirstTick) {
    tick(3);  // connected and polling
    spoken();
    std::string asked;
    for (int i = 0; i < 4 && asked.empty(); ++i) {
        sent();
        tick();
        asked = sent();
    }
    ASSERT_TRUE(asked == "FA;" || asked == "SM0;") << asked;
    tick();
    EXPECT_EQ(sent(), "") << "the tick after a question reads its answer";
    tick();
    const std::string next = sent();
    fake.virtualClock.advance(2000);  // a readout held the panel with an answer waiting
    handleWindowEvent(p, kTimerTick, 1);
    EXPECT_EQ(sent(), asked) << "read and asked in the first tick";
    EXPECT_NE(next, asked);
}

// The first reply is shown, then connects and asks the radio for its settings;
// the keys work from it at once.
TEST_F(PollTest, FirstFrequencyReplyIsShownIdentifiesTheRadioAndConnects) {
    tick(2);
    EXPECT_EQ(sent(),
              "FA;ID;EX0800100;EX0810500;EX0820600;EX08307600;FA007100000;RA00;NB00;CO011200;CO000000;PC100;"
              "GT0;AG0;ML0;ML1;PR0;NR0;AC001;NR0;VX;BI;PA00;SM0;");
    EXPECT_EQ(heard(), (Clips{"7", "point", "1", "mhz", "lsb.wav", "preamp", "off", "connected"}));
    EXPECT_EQ(p.radioModel, 670);
    EXPECT_EQ(p.radioConnected, 1);
    EXPECT_EQ(p.vfoAFrequency, 7100000);
    EXPECT_EQ(p.lastFrequencyReply, "FA007100000");
    EXPECT_EQ(fake.screen.textAt(kFrequencyX, kFrequencyY), "  7.100000             ");
    press('F');
    EXPECT_EQ(heard(), (Clips{"7", "point", "1", "mhz", "lsb.wav"}));
}

// The connection speaks where the radio is, in that band; only a frequency reply
// of eight or nine digits connects.
TEST_F(PollTest, OnlyAFrequencyReplyConnectsAndItsFrequencyIsAnnounced) {
    radio->handle("FA014250000;");
    for (const char* reply :
         {"FA;", "FB;", "FA0142;", "FA01425000x;", "FA0142500000;", "FA014250000", "FAFAFA;"}) {
        answer(reply);
        EXPECT_EQ(p.radioConnected, 0) << reply;
    }
    EXPECT_TRUE(heard().empty());
    answer("FA014250000;");
    // The band the radio is on keeps its saved preamp (on for 20 m).
    EXPECT_EQ(heard(), (Clips{"1", "4", "point", "2", "5", "mhz", "lsb.wav", "preamp", "on", "connected"}));
    EXPECT_EQ(std::pair(p.vfoAFrequency, p.bandIndex), std::pair(14250000, 6));
    EXPECT_NE(sent().find("ID;EX0800100;EX0810500;EX0820600;EX08307600;FA014250000;"), std::string::npos);
}

// The reply that connects leaves the start band's saved preamp, shift and tone
// for identification to read: they come back on the radio and stay in the row.
TEST_F(PollTest, TheStartBandKeepsItsPreampShiftAndTone) {
    const std::tuple<int, int, const char*, const char*, int, int, int> cases[] = {
        // band, panel mode, its row, the radio, preamp, shift, tone code (-1: none)
        {6, 2, "02A014200000B0142000009991", "FA014200000;MD02;", 1, 0, -1},
        {12, 5, "57A145500000B-000006000120", "FA145500000;MD04;", 0, 2, 12}};
    for (const auto& [band, mode, row, radioState, preamp, shift, tone] : cases) {
        SCOPED_TRACE(row);
        useRadio(670);
        p.radioConnected = p.radioModel = 0;
        p.bandTable[band] = row, p.bandIndex = band, p.currentMode = mode;
        radio->handle(radioState);
        connect();
        ASSERT_EQ(p.radioConnected, 1);
        EXPECT_EQ(p.bandTable[band], row);
        EXPECT_EQ(radio->setting("PA0"), preamp);
        EXPECT_EQ(radio->setting("OS0").value_or(0), shift);
        EXPECT_EQ(tone < 0 ? -1 : radio->setting("CN00").value_or(-2), tone);
    }
}

// The radio answers the frequency poll and then falls silent.
TEST_F(PollTest, ASilentRadioLeavesTheDefaultsAtConnection) {
    tick(1);
    fake.virtualClock.advance(50);
    radio->setSilent(true);
    handleWindowEvent(p, kTimerTick, 1);
    EXPECT_EQ(p.radioModel, 0);
    EXPECT_EQ(p.agcStep, 2);
    EXPECT_EQ(p.afGain, 80);
    EXPECT_NE(sent().find("AG0;AG0080;"), std::string::npos);
    EXPECT_EQ(p.nrOn, 9);
    EXPECT_EQ(p.processorOn, 0);
    EXPECT_EQ(p.radioConnected, 1);
}

// The width of the frequency fields comes from the model, or from the reply that
// connects when the radio's model stays unknown: replies are widened to nine
// digits and commands go out with the radio's own. Once connected, a reply of
// the other width is damaged and moves nothing.
TEST_F(PollTest, FrequencyFieldWidthComesFromTheModelOrTheConnectingReply) {
    // clang-format off
    const std::tuple<int, bool, int, const char*, const char*> cases[] = {
        // model, its ID answer lost, model known, a key's command, a reply of the other width
        {241, false, 241, "FA14250000;", "FA007100000;"}, {310, false, 241, "FA14250000;", "FA007100000;"},
        {251, false, 251, "FA14250000;", "FA007100000;"}, {362, false, 362, "FA14250000;", "FA007100000;"},
        {462, false, 462, "FA14250000;", "FA007100000;"}, {462, true, 0, "FA14250000;", "FA007100000;"},
        {670, true, 0, "FA014250000;", "FA07100000;"}};
    // clang-format on
    for (const auto& [model, idLost, known, command, otherWidth] : cases) {
        useRadio(model);
        if (idLost)
            fake.serial.setResponder(1, [this](std::string_view bytes) {
                return bytes == "ID;" ? std::string() : radio->handle(bytes);
            });
        p.radioModel = p.radioConnected = p.vfoAFrequency = 0;
        connect();
        EXPECT_EQ(p.radioModel, known) << model;
        EXPECT_EQ(p.vfoAFrequency, 14250000) << model;
        EXPECT_EQ(p.lastFrequencyReply, "FA014250000") << model;
        press('J');
        EXPECT_EQ(sent(), command) << model;
        answer(otherWidth);
        EXPECT_EQ(std::pair(p.vfoAFrequency, p.bandIndex), std::pair(14250000, 6)) << model;
    }
}

// A late answer is read by the next read and still taken for what it is; so is
// one after noise on the line, but not one with a byte inside its letters.
TEST_F(PollTest, RepliesThatAreGarbledOrForeignChangeNothingButALateOneIsTaken) {
    connect();
    for (const char* reply :
         {"FA0071;", "FA00710000x;", "FA0071000000;", "XY;", "?;", "FAFAFAFAFAFA;", "FxA014250000;"}) {
        answer(reply);
        EXPECT_EQ(std::pair(p.vfoAFrequency, p.bandIndex), std::pair(7100000, 4)) << reply;
    }
    radio->setLatencyMs(0);
    fake.serial.setResponder(1, [](std::string_view) { return std::string(); });
    answer("FA014250000;");
    EXPECT_EQ(p.vfoAFrequency, 14250000);
}

TEST_F(PollTest, AnIdReplyIdentifiesAndModel840EndsTheProgram) {
    answer("ID03x0;");
    EXPECT_EQ(p.radioModel, 0);
    answer("ID0310;");
    EXPECT_EQ(std::pair(p.radioModel, p.frequencyDigits), std::pair(241, 8));
    p.radioModel = 0;
    answer("ID0840;");
    EXPECT_EQ(p.running, 0);
    EXPECT_EQ(spoken(), Clips{"ftx"});
}

// SWR is peak-held while transmitting after two settling replies; ALC is raised
// only while metering and not spoken early in the cycle; the S-meter is refreshed
// without a sound.
TEST_F(PollTest, MeterRepliesUpdateTheirReadings) {
    connect();
    p.txState = 11, p.swrSettleCount = 2;
    for (const auto& [reply, swr] : {std::pair{"RM6090;", 90}, {"RM6040;", 40}, {"RM6060;", 60}, {"RM6050;", 60}}) {
        answer(reply);
        EXPECT_EQ(valueOf(p.swrText), swr) << reply;
    }
    p.txState = 0;
    answer("RM4050;");
    EXPECT_EQ(p.alcPeak, 0);
    p.micGainMeter = 1, p.tickCount = 3;
    answer("RM4050;");
    EXPECT_EQ(p.alcPeak, 50);
    for (const auto& clip : heard()) EXPECT_EQ(clip.rfind("xx", 0), 0u) << clip;  // the muted S-meter field
    p.micGainMeter = 0;
    radio->setSMeter(200);
    tick(4);
    EXPECT_EQ(p.sMeterValue, 200);
    for (const auto& clip : fake.speaker.played) EXPECT_EQ(clip.rfind("wave\\", 0), std::string::npos) << clip;
    EXPECT_EQ(p.wavePrefix, "wave\\");
}

// Q ends the program at the second frequency reply after it, with the memories
// saved. A radio that falls silent, or answers what the panel cannot take, does
// not keep the operator in the program: it ends two seconds after Q.
TEST_F(PollTest, QuitEndsAtTheSecondFrequencyReplyOrAfterTwoSeconds) {
    const std::pair<std::function<void()>, int> cases[] = {  // the radio's fault, half the ticks to the end
        {[] {}, 4}, {[&] { radio->setSilent(true); }, 20}, {[&] { radio->setRefuseAll(true); }, 20}};
    for (const auto& [fault, halfway] : cases) {
        useRadio(670);
        p.radioConnected = p.vfoAFrequency = 0, p.running = 1;
        connect();
        fault();
        press('Q');
        std::remove("savmem.dat");
        tick(halfway);
        EXPECT_EQ(p.running, 1) << halfway;
        tick(halfway);
        EXPECT_EQ(p.running, 0) << halfway;
        EXPECT_TRUE(testing::fileExists("savmem.dat"));
    }
}

}  // namespace
}  // namespace vantor
