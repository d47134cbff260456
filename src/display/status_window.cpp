#include "display/status_window.h"

#include "cat/radio_identification.h"
#include "cat/setting_commands.h"
#include "cat/transport.h"
#include "controls/levels.h"
#include "controls/toggles.h"
#include "controls/tone_repeater.h"
#include "controls/vfo.h"
#include "core/text.h"
#include "memory/memory_file.h"
#include "speech/say.h"
#include "speech/spoken_values.h"

namespace vantor {

namespace {

struct ModeEntry {
    std::string Panel::*command;
    const char* shownName;  // trailing blanks erase a longer previous name
};

// Indexed by currentMode 1..7.
const ModeEntry kModes[] = {
    {nullptr, ""},
    {&Panel::modeCommandLsb, "LSB    "},
    {&Panel::modeCommandUsb, "USB    "},
    {&Panel::modeCommandCw, "CW      "},
    {&Panel::modeCommandAm, "AM     "},
    {&Panel::modeCommandFmNarrow, "FMN     "},
    {&Panel::modeCommandC4fm, "C4FM  "},
    {&Panel::modeCommandFm, "FM      "},
};

void useLargeFont(Panel& p) { p.platform.screen.setFont(kFace, 50, 700); }

// After an FM mode is set the radio's squelch is read back, so the squelch
// keys step from the radio's own value.
void readSquelch(Panel& p) {
    receive(p);  // whatever was waiting belongs to an earlier command
    delay(p);
    query(p, "SQ0");
    const int at = findPos(p.replyText, "SQ");
    if (auto level = at > 0 ? digitsAt(p.replyText, at + 3, 3) : std::nullopt)
        p.squelchLevel = valueOf(*level);
}

void connectRadio(Panel& p) {
    p.sMeterHeard = 0;  // a reading from before belongs to another connection
    identifyRadio(p);
    sayFrequency(p);
    sayMode(p);
    togglePreamp(p);
    say(p, "connected");
    p.radioConnected = 1;
}

// 014.200000 becomes " 14.200000": blanks keep the digits in their columns.
std::string megahertzText(const std::string& digits) {
    std::string text = digits.substr(0, 3) + "." + digits.substr(3);
    for (std::size_t i = 0; i < 2 && text[i] == '0'; ++i) text[i] = ' ';
    return text;
}

void showVfoMarker(Panel& p) {
    Screen& screen = p.platform.screen;
    screen.moveTo(kMarkerX, kFrequencyY);
    if (p.splitOn == 1 && p.repeaterOn == 0) screen.print("B   ");
    screen.print(p.repeaterOn == 1 ? "R   " : "    ");
    if (p.splitOn == 0) screen.print("    ");
}

void announceRecall(Panel& p) {
    p.recallAnnouncePending = 0;
    sayFrequency(p);
    sayMode(p);
    if (p.memoryChannelMode == 1) return;
    say(p, "preamp");
    say(p, p.preampOn == 1 ? "on" : "off");
}

}  // namespace

void showFrequencyReply(Panel& p) {
    // A short, long, foreign or garbled reply changes nothing.
    if (!beginsWithFrequency(p.replyText, 9)) return;
    const char vfo = p.replyText[1];
    const std::string digits = p.replyText.substr(2, 9);
    takeFrequencyIntoPicture(p, vfo, valueOf(digits));
    // The other VFO (the receiver in split) is in the picture; the window
    // and the keys show and work from the working one.
    if (vfo != workingVfo(p)) {
        p.replyText.clear();
        return;
    }
    p.lastFrequencyReply = p.replyText.substr(0, 11);
    // The reply that connects leaves the start band's preamp, shift and
    // tone alone until identification has read them.
    if (p.radioConnected == 1)
        learnBandRow(p);
    else
        learnStartFrequency(p);
    const std::string text = megahertzText(digits);
    showVfoMarker(p);
    p.platform.screen.moveTo(kFrequencyX, kFrequencyY);
    p.platform.screen.print(text + std::string(13, ' '));
    p.frequencyText = text;
    p.replyPending = 0;
    p.replyText.clear();
    showFeatures(p);
    // The reply that connects is the frequency the connection announces, and
    // the keys work from it at once.
    if (p.radioConnected == 0) {
        connectRadio(p);
        return;
    }
    if (p.quitCountdown > 0 && ++p.quitCountdown > 2) {
        endQuit(p);
        return;
    }
    if (p.recallAnnouncePending == 1) announceRecall(p);
}

void endQuit(Panel& p) {
    saveMemoryFile(p);
    p.quitCountdown = 0;
    p.running = 0;
}

void showModeName(Panel& p) {
    if (p.currentMode < 1 || p.currentMode > 7) return;
    useLargeFont(p);
    p.platform.screen.moveTo(kModeX, kModeY);
    p.platform.screen.print(kModes[p.currentMode].shownName);
    showFeatures(p);
}

void showMode(Panel& p) {
    Screen& screen = p.platform.screen;
    useLargeFont(p);
    screen.moveTo(kModeX, kModeY);
    p.widthQuiet = 1;
    if (p.repeaterOn == 1) toggleRepeater(p);            // a new mode ends the repeater shift
    if (p.currentMode < 1 || p.currentMode > 7) return;  // an unknown mode sends nothing
    if (p.toneOn == 1) switchToneOff(p);
    const int rememberedFrequency = p.vfoAFrequency;
    if (p.currentMode == 1 || p.currentMode == 2) p.widthCode = p.ssbWidthCode;
    if (p.currentMode == 3) p.widthCode = p.cwWidthCode;
    const ModeEntry& mode = kModes[p.currentMode];
    screen.print(mode.shownName);
    send(p, p.*mode.command);
    send(p, narrowFilterCommand(p.currentMode == 3 && p.widthCode < 11));
    showFeatures(p);
    if (p.currentMode == 5 || p.currentMode == 7) {
        readSquelch(p);
        return;
    }
    p.vfoAFrequency = rememberedFrequency;
    sendVfoAFrequency(p);
    if (p.currentMode < 4) sendWidth(p);
    rememberBandMode(p);
}

void setModeAside(Panel& p) { p.namelessModeBefore = p.currentMode == 0 ? p.picture.mode : 0; }

void bringBackModeSetAside(Panel& p) {
    // A program's set taken while the key waited may have named the mode.
    if (p.currentMode == 0 && p.namelessModeBefore != 0)
        p.currentMode = modeNumberFor(p, std::string("MD0") + p.namelessModeBefore);
    showMode(p);
    if (p.currentMode == 0 && p.namelessModeBefore != 0) {
        send(p, std::string("MD0") + p.namelessModeBefore);
        sendVfoAFrequency(p);  // the mode command may have moved the radio
    }
    p.namelessModeBefore = 0;
}

void rememberBandMode(Panel& p) {
    if (p.externalCommand == 1) return;
    if (p.bandIndex < 1 || p.bandIndex >= kBandRows) return;
    std::string& row = p.bandTable[p.bandIndex];
    if (row.size() < 2) return;
    row[1] = static_cast<char>('0' + p.currentMode);
}

void showFeatures(Panel& p) {
    Screen& screen = p.platform.screen;
    screen.setFont(kFace, 20, 20);
    auto field = [&](int x, bool shown, const char* text, const std::string& blanks) {
        screen.moveTo(x, kFeatureY);
        screen.print(shown ? std::string(text) : blanks);
    };
    field(40, p.preampOn == 1, "preamp ", std::string(12, ' '));
    field(170, p.attOn == 1, "att", std::string(4, ' '));
    field(240, p.nbOn == 1, "nb", std::string(4, ' '));
    field(310, p.nrOn == 1, "nr", std::string(3, ' '));
    field(360, p.notchOn == 1, "notch", std::string(9, ' '));
    field(460, p.contourState > 0, "Cont.", std::string(8, ' '));
    field(550, p.processorOn > 0 && (p.currentMode == 1 || p.currentMode == 2), "spc", std::string(7, ' '));
    if (p.currentMode == 3)
        field(620, p.breakInOn == 1, "bin ", std::string(5, ' '));
    else
        field(620, p.voxOn == 1, "vox", std::string(5, ' '));
    if (p.monitorOn == 1) {
        screen.moveTo(690, kFeatureY);
        screen.print("mon");
    } else {
        screen.print(std::string(11, ' '));  // right after the previous field
    }
    std::string tone(30, ' ');
    const std::string& code = p.toneCodeText;
    if (code != "999" && code != "000") {
        if (code.substr(0, 1) > "4")
            tone = p.dcsSelected == 1 ? "dcs=" + code + std::string(14, ' ') : std::string(28, ' ');
        else
            tone = "ctcss=" + code + std::string(13, ' ');
    }
    screen.moveTo(780, kFeatureY);
    screen.print(tone);
    useLargeFont(p);
}

}  // namespace vantor
