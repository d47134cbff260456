#pragma once
// The one record of program state. Every operation of the panel reads and
// writes these fields directly; there is exactly one Panel per run (tests make
// as many as they like). Field names and start values are the documented ones;
// scratch values that carry nothing between operations are local variables.

#include <array>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {

inline constexpr int kBandRows = 15;      // rows 1..14 are used, row 0 holds nothing
inline constexpr int kMemorySlots = 100;  // bank * 10 + channel

// A question to the radio and who asked it (see cat/conversation.h).
struct CatQuestion {
    int side = 0;
    std::string command;  // with its ";"
    long long sentMs = 0;
    long long lineNumber = 0;  // the number it went on the line with
    // A set that waits for the line: the panel's own while a checked set is
    // out, or a program's checked set, written with a question the radio
    // always answers (probe): a "?;" before the probe's answer refuses it.
    bool isSet = false;
    std::string probe;
    bool refused = false;
    bool settled = false;  // its verdict has been acted on
};

// An answer from the radio and the number of the question it answers, so
// that an answer to a question asked before the latest change of its value
// can be told apart wherever and whenever it is read.
struct CatAnswer {
    std::string text;  // one answer, with its ";"
    long long askedAt = 0;
};

// The one conversation with the radio that the panel and the programs sharing
// the radio take turns in.
struct CatConversation {
    std::deque<CatQuestion> waiting;     // questions waiting for the line
    std::optional<CatQuestion> onLine;   // the question whose answer is awaited
    std::deque<CatQuestion> recentSets;  // commands sent as sets, in case one was a question
    std::deque<CatQuestion> givenUp;     // questions whose answers may still come late
    std::string heard;                   // radio bytes not yet a whole answer
    std::map<int, std::string> answers;  // answers not yet taken by the programs sharing the radio
    std::deque<CatAnswer> panelAnswers;  // answers not yet taken by the panel, in order
    // Frequency and mode answers the sharing programs got, for the panel's picture.
    std::deque<CatAnswer> overheard;
    long long linesWritten = 0;  // every command and question is numbered as it goes
    // The number of the latest command that changed a value the radio reports
    // ("FA", "FB", "FT", "MD"), by the mnemonic that reads it.
    std::map<std::string, long long, std::less<>> changedAt;
    // The number of the latest command that set one of those values itself
    // ("FA014074000;", not a VFO swap), by its mnemonic.
    std::map<std::string, long long, std::less<>> setAt;
};

// Where the radio is, as far as the panel knows: both VFOs in hertz (0 until
// known). Split and the mode are the record's splitOn and currentMode; the
// working frequency vfoAFrequency is VFO B in split and VFO A otherwise.
struct RadioPicture {
    int vfoA = 0;
    int vfoB = 0;
    // The radio's own mode character ("2" of "MD02"), whoever set it: a
    // tune's AM carrier or a program's data mode, not only the operator's mode.
    char mode = 0;
    // VFO B's mode, 0 while unknown: a split mode is set through VFO A and copied over.
    char modeB = 0;
};

// What a program sharing the radio did that the panel must act on outside
// the speaker's wait: a command it sent, an answer it got, or its going away.
struct SharedRadioNews {
    int side = 0;
    std::string command;
    std::string answer;
    bool gone = false;
    long long lineNumber = 0;  // a set the radio took: the number it went on the line with
};

// A serial port whose device may go away and come back (a radio switched
// off, an adapter unplugged or reset); see cat/port_watch.h.
struct PortWatch {
    bool lost = false;            // closed; opened again once a second
    bool awaitingAnswer = false;  // open again, the radio not heard since
    bool announced = false;       // the loss was said, so the return is said too
    long long retryAtMs = 0;
};

// The tone and repeater shift in force, set aside while a mode that ends them
// (CW for the keyer) holds the radio for a moment; see controls/tone_repeater.h.
struct ToneAndShift {
    int toneOn = 0;
    std::string toneCodeText = "999";
    int dcsSelected = 0;
    int repeaterOn = 0;
};

struct NetworkPort;  // the rigctld listener and its clients (cat/network_port.cpp)

struct Panel {
    explicit Panel(Platform& platform) : platform(platform) {}
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    Platform& platform;

    // Configuration, read from "vantor.cfg".
    int comHandle = 0;
    int baudRate = 0;
    int powerWatts = 0;
    int powerMaxWatts = 0;
    int swrReportMode = 0;
    int tunerState = 0;
    std::string topBandCode;
    int radioPowerControl = 0;
    int toneDecodeOn = 0;
    int shift10mMinus = 0;
    std::string shift10mDigits;
    int shift6mMinus = 0;
    std::string shift6mDigits;
    int shift2mMinus = 0;
    std::string shift2mDigits;
    int shift70cmMinus = 0;
    std::string shift70cmDigits;
    int bridgePort = 0;
    int debugLogging = 0;

    // Program run, window and timing.
    std::string versionText;
    std::string bannerText;
    int running = 0;
    int tickCount = 0;
    int keyBusy = 0;
    int quitCountdown = 0;
    long long quitStartMs = 0;  // monotonic time of the Q that is ending the run
    std::string wavePrefix;

    // CAT link, bridge port and debug log.
    std::string commandText;
    std::string replyText;
    std::string lastFrequencyCommand;
    int bytesWaiting = 0;
    int comDataBits = 8;
    int comParity = 0;
    int comStopBits = 2;
    int replyPending = 0;
    long long pollAskedMs = 0;  // when the poll's last question went
    int pollPhase = 0;
    int menuBusy = 0;
    int radioModel = 0;
    // Digits in the radio's FA/FB fields: 9, or 8 on the smaller radios; learnt
    // from the reply that connects and from the model number.
    int frequencyDigits = 9;
    int radioConnected = 0;
    std::string bridgeBuffer;
    std::string bridgeChunk;
    int externalCommand = 0;
    PortWatch radioLink;
    PortWatch bridgeLink;
    CatConversation conversation;
    std::deque<SharedRadioNews> sharedNews;
    int keyedBySide = -1;  // the program whose "TX1" keyed the radio, -1 none
    // The network port: where to listen (port 0: not at all) and its state.
    std::string rigctldAddress = "127.0.0.1";
    int rigctldPort = 0;
    std::shared_ptr<NetworkPort> networkPort;
    std::string debugText;
    RadioPicture picture;

    // Radio mirror: frequency, band, VFO and mode.
    int vfoAFrequency = 0;
    std::string frequencyText;
    std::string lastFrequencyReply;
    std::string vfoAText;
    std::string vfoBText;
    int splitOn = 0;
    std::string splitSavedText;
    int bandIndex = 4;
    int currentMode = 1;
    int savedMode = 1;
    // The radio's mode digit before a tune or the keyer, where the panel has
    // no name for it (a program's data mode): the end of the moment gives it back.
    char namelessModeBefore = 0;
    int fmWide = 0;
    int widthCode = 14;
    int ssbWidthCode = 14;
    int cwWidthCode = 11;
    int widthQuiet = 1;

    // Radio mirror: levels.
    int afGain = 50;
    int rfGain = 250;
    int processorLevel = 0;
    int contourFrequency = 1200;
    int contourState = 0;
    int nbLevel = 0;
    int nrLevel = 1;
    int preampLevel = 0;
    int squelchLevel = 8;
    int micGainValue = 0;
    int keyerSpeed = 15;
    int agcStep = 0;
    std::string monitorLevelText = "050";
    // The clarifier as a program sharing the radio left it (no key moves it).
    int ritOn = 0;
    int xitOn = 0;
    int clarifierOffset = 0;  // hertz, shared by RX and TX

    // Radio mirror: switches, transmit and tone.
    int preampOn = 0;
    int attOn = 0;
    int nbOn = 0;
    int nrOn = 0;
    int notchOn = 0;
    int processorOn = 0;
    int voxOn = 0;
    int breakInOn = 0;
    int monitorOn = 0;
    int tunerArmed = 0;
    int tuneActive = 0;
    // The tuner setting (on or both) that a tune above the tuner's range set aside.
    int tunerStateBeforeTune = 0;
    int txState = 0;
    int keptAwake = 0;  // the screen was last asked to keep the machine awake
    int swrSettleCount = 0;
    int repeaterOn = 0;
    int toneOn = 0;
    std::string toneCodeText = "999";
    int dcsSelected = 0;
    std::string savedToneCode;
    int toneFromKeyboard = 0;
    int toneEntryOpen = 0;  // 1 between I and its Enter: digits typed then make the code
    std::string offsetText;
    ToneAndShift toneShiftBeforeKeyer;

    // Meters.
    int sMeterValue = 0;
    int sMeterHeard = 0;  // 1 once the radio has given an S-meter reading since it connected
    std::string swrText;
    std::string swrTenthsText;
    int alcPeak = 0;
    int micGainMeter = 0;

    // Keyboard and entry state.
    int keyCode = 0;
    int keyPrefix = 0;
    int levelTarget = 0;
    int enteredNumber = 999;
    int megahertzDigits = 0;
    int pointTyped = 0;
    int entryBand = 0;
    int freqEntryActive = 0;
    std::string menuNumberText;
    std::string menuValueText;
    int menuEndPos = 0;
    int channelEntry = 0;
    int bankDigit = 0;
    int txFrequencyReadout = 0;
    int recallAnnouncePending = 0;
    int memoryChannelMode = 0;

    // Tables and memory.
    std::array<std::string, kBandRows> bandTable{};
    std::string modeCommandLsb = "MD01";
    std::string modeCommandUsb = "MD02";
    std::string modeCommandCw = "MD03";
    std::string modeCommandAm = "MD05";
    std::string modeCommandFmNarrow = "MD0B";
    std::string modeCommandC4fm = "MD0E";
    std::string modeCommandFm = "MD04";
    std::array<std::string, kMemorySlots> memoryTable{};
    int memoryBank = 99;
    int memoryChannel = 0;
    // 1 while "savmem.dat" holds what this run could not read or did not
    // recognise: a save keeps a copy of it first, or leaves it alone; 2 once
    // such a save has been skipped and said so.
    int memoryFileUnread = 0;
    // 1 while writes of "savmem.dat" fail (a read-only or full disk): said
    // once when they start failing, not again at every band change and store.
    int memoryFileWriteFailing = 0;

    // Files that stay open across operations: the debug log for the whole run,
    // and the speech log that tests and sighted helpers follow.
    std::unique_ptr<std::ofstream> debugFileHandle;
    std::unique_ptr<std::ofstream> speechLog;
    // The clips of the sentence under way, until the operation that says it ends.
    std::vector<std::string> sentenceClips;
    // The speech service's rate and volume the operator chose, in its own
    // ranges; none until chosen, and the service's own setting holds.
    std::optional<int> voiceRate;
    std::optional<int> voiceVolume;
};

}  // namespace vantor
