#include "app/radio_startup.h"

#include "core/text.h"
#include "cat/debug_log.h"
#include "cat/port_watch.h"
#include "cat/transport.h"
#include "controls/vfo.h"
#include "display/status_window.h"
#include "memory/band_defaults.h"
#include "memory/memory_file.h"

namespace vantor {

namespace {

void printFixedTexts(Panel& p) {
    Screen& screen = p.platform.screen;
    screen.setFont(kFace, 12, 400);  // small enough for the help lines to fit the window
    screen.moveTo(280, 10);
    screen.print(p.bannerText);
    screen.moveTo(140, 380);
    screen.print("b=Band  f=Freq  e=Entry m=Mode  w=Filter width p=Power a=af gain r=RF gain q=Quit  s=SMeter/swr");
    screen.moveTo(140, 405);
    screen.print("F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch F6=Speech Proc.");
}

void setStartValues(Panel& p) {
    p.commandText.clear();
    p.replyText.clear();
    p.toneCodeText = "999";
    p.bandIndex = 4;
    p.enteredNumber = 999;
    p.keyerSpeed = 15;
    p.memoryBank = 99;
    p.memoryChannel = 0;
    p.radioConnected = 0;
    p.externalCommand = 0;
    p.splitOn = 0;
    p.preampOn = p.attOn = p.nbOn = p.nrOn = p.notchOn = p.processorOn = 0;
    p.voxOn = p.breakInOn = p.monitorOn = p.repeaterOn = p.toneOn = p.dcsSelected = 0;
    p.tuneActive = p.txState = p.contourState = 0;
    p.afGain = 50;
    p.rfGain = 250;
    p.contourFrequency = 1200;
    p.widthCode = p.ssbWidthCode = 14;
    p.cwWidthCode = 11;
    p.widthQuiet = 1;
    p.squelchLevel = 8;
    p.nrLevel = 1;
    p.monitorLevelText = "050";
}

void fillModeCommands(Panel& p) {
    p.modeCommandLsb = "MD01";
    p.modeCommandUsb = "MD02";
    p.modeCommandCw = "MD03";
    p.modeCommandAm = "MD05";
    p.modeCommandFmNarrow = "MD0B";
    p.modeCommandC4fm = "MD0E";
    p.modeCommandFm = "MD04";
    p.currentMode = 1;
}

void switchRadioOn(Panel& p) {
    send(p, "Power on");  // wakes a sleeping radio; it does not answer this
    for (int i = 0; i < 6; ++i) delay(p);
    send(p, "PS1");
    for (int i = 0; i < 11; ++i) delay(p);
}

}  // namespace

void fillBandTable(Panel& p) {
    for (int row = 0; row < kBandRows; ++row) p.bandTable[static_cast<std::size_t>(row)] = kBuiltInBandRows[row];
}

void radioStartup(Panel& p) {
    printFixedTexts(p);
    if (p.debugLogging == 1) openDebugLog(p);
    setStartValues(p);
    fillBandTable(p);
    fillModeCommands(p);
    p.comDataBits = 8;
    p.comParity = 0;
    p.comStopBits = 2;
    p.memoryTable.fill("9");
    loadMemoryFile(p);
    openRadioPort(p);
    if (p.radioPowerControl == 1) switchRadioOn(p);
    if (p.bandIndex < 1 || p.bandIndex > 14) p.bandIndex = 4;
    // A damaged or 0 Hz start row would tune the radio to nothing.
    const std::string& row = usableBandRow(p, p.bandIndex);
    p.commandText = "F" + mid(row, 3, 10);
    p.frequencyText = megahertzTextOf(mid(p.commandText, 3));
    send(p);
    send(p, "VS0");
    send(p, "FT2");  // the panel starts without split: a radio left in split must not transmit elsewhere
    p.currentMode = valueOf(mid(row, 2, 1));
    if (p.currentMode == 7) p.fmWide = 1;
    p.savedMode = p.currentMode;
    showMode(p);
}

}  // namespace vantor
