// A program on the network port sets a level, a switch or the clarifier: the
// panel's own field takes the value, the window shows it, a switch that really
// changes is said as its key says it, and the next key works on from it.

#include "panel/shared_settings.h"

#include "cat/network_port.h"
#include "display/status_window.h"
#include "panel/keys.h"
#include "panel/shared_radio.h"
#include "support/transcript.h"

namespace vantor {
namespace {

class SharedSettingsTest : public testing::TranscriptTest {
  protected:
    SharedSettingsTest() {
        p.rigctldPort = kRigctldDefaultPort;
        EXPECT_TRUE(openNetworkPort(p));
        client = fake.network.connect("127.0.0.1", kRigctldDefaultPort);
        transcript();
    }
    // The program's line, served as the event loop serves it, news acted on.
    std::string fromProgram(const std::string& line) {
        fake.network.send(client, line + "\n");
        for (int ms = 0; ms <= 200; ms += 10) {
            serveSharingPrograms(p);
            fake.virtualClock.advance(10);
        }
        applySharedNews(p);
        return fake.network.received(client);
    }
    int client = 0;
};

TEST_F(SharedSettingsTest, AProgramsSetMovesThePanelsFieldWindowAndNextKey) {
    struct Row {
        const char* request;
        int Panel::*field;
        int value;
        const char* transcript;  // the radio's commands and the clips heard, in order
        int windowX = -1;        // where the feature row shows it
        const char* window = "";
        int key = 0;  // a key pressed next, after its prefix
        int prefix = 0;
        const char* keyTranscript = "";
    };
    // clang-format off
    const Row rows[] = {
        {"L AF 0.5", &Panel::afGain, 128, "AG0128;", -1, "", key::up, 'A', "af AG0138;"},
        {"L RF 0.3", &Panel::rfGain, 77, "RG0077;", -1, "", key::down, 'R', "rf RG0057;"},
        {"L RFPOWER 0.45", &Panel::powerWatts, 45, "PC045;", -1, "", key::up, 'P', "Power 4 5 watts PC055; 5 5 watts"},
        {"L MICGAIN 0.3", &Panel::micGainValue, 30, "MG030;"},
        {"L KEYSPD 30", &Panel::keyerSpeed, 30, "KS030;"},
        {"L SQL 0.2", &Panel::squelchLevel, 20, "SQ0020;"},
        {"U NB 1", &Panel::nbOn, 1, "NB01; nb on", 240, "nb"},
        {"U NB 1", &Panel::nbOn, 1, "NB01;", 240, "nb"},  // no change, nothing said
        {"U NR 1", &Panel::nrOn, 1, "NR01; nr on", 310, "nr"},
        {"U COMP 1", &Panel::processorOn, 1, "PR01; spc on"},
        {"U VOX 1", &Panel::voxOn, 1, "VX1; vox on", 620, "vox"},
        {"U VOX 0", &Panel::voxOn, 0, "VX0; vox off", 620, "     "},
        {"L PREAMP 20", &Panel::preampLevel, 2, "PA02; preamp on", 40, "preamp "},
        {"L PREAMP 20", &Panel::preampLevel, 2, "PA02;", 40, "preamp "},
        {"L PREAMP 0", &Panel::preampOn, 0, "PA00; preamp off", 40, "            "},
        {"L ATT 12", &Panel::attOn, 1, "RA01; at on", 170, "att"},
        {"U TSQL 1", &Panel::toneOn, 1, "CT01;"},
        {"U TONE 0", &Panel::toneOn, 0, "CT00;"},
        {"U RIT 1", &Panel::ritOn, 1, "RT1;"},
        {"J -250", &Panel::clarifierOffset, -250, "RC; RD0250;"},
        {"Z 120", &Panel::clarifierOffset, 120, "RC; RU0120;"},
    };
    // clang-format on
    for (const Row& row : rows) {
        EXPECT_EQ(fromProgram(row.request), "RPRT 0\n") << row.request;
        EXPECT_EQ(p.*row.field, row.value) << row.request;
        // Each set goes with the question that tells whether the radio took it.
        std::string heardAndSent = transcript();
        for (std::size_t at; (at = heardAndSent.find(" ID;")) != std::string::npos;) heardAndSent.erase(at, 4);
        EXPECT_EQ(heardAndSent, row.transcript) << row.request;
        if (row.windowX >= 0) {
            EXPECT_EQ(fake.screen.textAt(row.windowX, kFeatureY), row.window) << row.request;
        }
        if (!row.key) continue;
        press(row.prefix);
        press(row.key);
        EXPECT_EQ(transcript(), row.keyTranscript) << row.request;
    }
}

// A program's data mode has no name on the panel; the keyer's CW and a
// tune's AM carrier still end with the radio back in it.
TEST_F(SharedSettingsTest, TheKeyerAndATuneGiveBackAProgramsDataMode) {
    p.tunerState = 1;
    for (const char* keys : {"KK", "TT"}) {
        EXPECT_EQ(fromProgram("M PKTUSB 0"), "RPRT 0\n") << keys;
        ASSERT_EQ(std::pair(radio->mode(), p.currentMode), std::pair('C', 0)) << keys;
        for (const char* k = keys; *k; ++k) {
            press(*k);
            for (int i = 0; i < 40 && p.tuneActive == 1 && k[1] == 0; ++i) tick();
        }
        EXPECT_EQ(std::tuple(radio->mode(), radio->transmitting(), p.picture.mode),
                  std::tuple('C', false, 'C'))
            << keys;
    }
}

}  // namespace
}  // namespace vantor
