#include "app/text.h"
#include "display/status_window.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

// The panel as configured by the sample vantor.cfg.
void configure(Panel& p) {
    p.powerWatts = p.powerMaxWatts = 100;
    p.shift10mDigits = "100";
    p.shift6mDigits = "500";
    p.shift2mDigits = "600";
    p.shift70cmDigits = "7600";
}

std::vector<std::string> words(std::vector<std::string> clips) {
    std::erase(clips, "delay");
    return clips;
}

class PollTest : public testing::RadioTest {
protected:
    PollTest() {
        configure(p);
        startPanel();
        radioStartup(p);
        // Start-up's "NA0;" is a read on these radios; its answer waits in
        // the port until the first poll reads it (and drops it).
        fake.virtualClock.advance(50);
        fake.serial.read(1, 255);
        sent();
        spoken();
    }
};

TEST_F(PollTest, AStaleAnswerDelaysTheConnectionByOneCycle) {
    fake.serial.pushIncoming(1, "NA00;");
    tick(2);
    EXPECT_EQ(p.radioConnected, 0);
    tick(4);
    EXPECT_EQ(p.radioConnected, 1);
}

TEST_F(PollTest, FrequencyAndMeterQueriesAlternateAndAnUnansweredOneIsDropped) {
    radio->setSilent(true);
    tick(8);
    EXPECT_EQ(sent(), "FA;SM0;FA;SM0;");
    EXPECT_EQ(p.vfoAFrequency, 0);
    p.txState = 11;
    tick(4);
    EXPECT_EQ(sent(), "FA;RM6;");
    p.micGainMeter = 1;
    tick(4);
    EXPECT_EQ(sent(), "FA;RM4;");
}

TEST_F(PollTest, FirstFrequencyReplyIdentifiesTheRadioAndConnects) {
    tick(2);
    EXPECT_EQ(sent(),
              "FA;ID;EX0800100;EX0810500;EX0820600;EX08307600;FA007100000;RA00;NB00;CO011200;CO000000;PC100;"
              "GT0;AG0;ML0;ML1;PR0;NR0;AC001;NR0;VX;BI;PA00;");
    EXPECT_EQ(words(spoken()),
              (std::vector<std::string>{"7", "point", "1", "mhz", "lsb.wav", "preamp", "off", "connected"}));
    EXPECT_EQ(p.radioModel, 670);
    EXPECT_EQ(p.radioConnected, 1);
    EXPECT_EQ(p.vfoAFrequency, 0);  // the first reply connects; the next one is shown
    tick(4);
    EXPECT_EQ(p.vfoAFrequency, 7100000);
    EXPECT_EQ(fake.screen.textAt(kFrequencyX, kFrequencyY), "  7.100000             ");
}

TEST_F(PollTest, ASilentRadioLeavesTheDefaultsAtConnection) {
    // The radio answers the frequency poll and then falls silent.
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

TEST_F(PollTest, RadiosWithEightDigitFieldsAreWidened) {
    for (int model : {241, 310, 251, 362, 462}) {
        useRadio(model);
        p.radioModel = 0;
        p.radioConnected = 0;
        p.vfoAFrequency = 0;
        connect();
        EXPECT_EQ(p.radioModel, model == 310 ? 241 : model);
        EXPECT_EQ(p.vfoAFrequency, 7100000) << model;
        EXPECT_EQ(p.lastFrequencyReply, "FA007100000") << model;
    }
}

TEST_F(PollTest, RepliesThatAreLateGarbledOrForeignChangeNothing) {
    connect();
    for (const char* reply : {"FA0071;", "FA00710000x;", "FA0071000000;", "XY;", "?;", "FAFAFAFAFAFA;"}) {
        fake.serial.pushIncoming(1, reply);
        p.replyPending = 1;
        tick();
        EXPECT_EQ(p.vfoAFrequency, 7100000) << reply;
    }
    // A late answer is read by the next read and still taken for what it is.
    radio->setLatencyMs(0);
    fake.serial.setResponder(1, [](std::string_view) { return std::string(); });
    fake.serial.pushIncoming(1, "FA014250000;");
    p.replyPending = 1;
    tick();
    EXPECT_EQ(p.vfoAFrequency, 14250000);
}

TEST_F(PollTest, AnIdReplyIdentifiesAndModel840EndsTheProgram) {
    fake.serial.pushIncoming(1, "ID0310;");
    p.replyPending = 1;
    tick();
    EXPECT_EQ(p.radioModel, 241);
    p.radioModel = 0;
    fake.serial.pushIncoming(1, "ID0840;");
    p.replyPending = 1;
    tick();
    EXPECT_EQ(p.running, 0);
    EXPECT_EQ(spoken(), std::vector<std::string>{"ftx"});
}

TEST_F(PollTest, SwrIsPeakHeldWhileTransmittingAfterTwoSettlingReplies) {
    connect();
    p.txState = 11;  // transmitting, SWR reported by the key, not the poll
    p.swrSettleCount = 2;
    int expected[] = {90, 40, 60, 60};
    int index = 0;
    for (const char* reply : {"RM6090;", "RM6040;", "RM6060;", "RM6050;"}) {
        fake.serial.pushIncoming(1, reply);
        p.replyPending = 1;
        tick();
        EXPECT_EQ(valueOf(p.swrText), expected[index++]) << reply;
    }
}

TEST_F(PollTest, AlcIsRaisedOnlyWhileMeteringAndSpokenLateInTheCycle) {
    connect();
    fake.serial.pushIncoming(1, "RM4050;");
    p.replyPending = 1;
    tick();
    EXPECT_EQ(p.alcPeak, 0);  // not metering
    p.micGainMeter = 1;
    p.tickCount = 3;
    fake.serial.pushIncoming(1, "RM4050;");
    p.replyPending = 1;
    tick();
    EXPECT_EQ(p.alcPeak, 50);
    EXPECT_TRUE(words(spoken()).empty());
}

TEST_F(PollTest, TheSMeterIsRefreshedWithoutASound) {
    connect();
    radio->setSMeter(200);
    tick(4);
    EXPECT_EQ(p.sMeterValue, 200);
    EXPECT_TRUE(spoken().empty() || spoken() == std::vector<std::string>{});
    EXPECT_EQ(p.wavePrefix, "wave\\");
}

TEST_F(PollTest, QuitEndsTheProgramAtTheSecondFrequencyReplyWithTheMemoriesSaved) {
    connect();
    press('Q');
    std::remove("savmem.dat");
    tick(4);
    EXPECT_EQ(p.running, 1);
    tick(4);
    EXPECT_EQ(p.running, 0);
    EXPECT_TRUE(testing::fileExists("savmem.dat"));
}

}  // namespace
}  // namespace vantor
