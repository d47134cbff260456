#include "controls/toggles.h"

#include "cat/transport.h"
#include "core/text.h"
#include "controls/levels.h"
#include "display/status_window.h"
#include "speech/say.h"

namespace vantor {

namespace {

// The switches that arm no level keys: announce, flip, tell the radio, redraw.
void plainToggle(Panel& p, const char* name, int& flag, const char* onCommand, const char* offCommand) {
    say(p, name);
    const bool on = flag == 0;
    p.commandText = on ? onCommand : offCommand;
    flag = on ? 1 : 0;
    say(p, on ? "on" : "off");
    send(p);
    showFeatures(p);
}

}  // namespace

// Callers that need a given preamp state set preampOn to the opposite value
// (and preampLevel to the amplifier they want) and toggle.
void togglePreamp(Panel& p) {
    say(p, "preamp");
    if (p.preampOn == 0) {
        p.levelTarget = 1;
        say(p, "on");
        p.commandText = p.preampLevel < 2 ? "PA01" : "PA02";
        p.preampOn = 1;
    } else {
        say(p, "off");
        p.commandText = "PA00";
        p.preampOn = 0;
        p.preampLevel = 0;
        if (p.levelTarget == 1) p.levelTarget = 0;
    }
    send(p);
    showFeatures(p);
}

void setPreampFromRow(Panel& p, const std::string& row) {
    const char column = charAt(row, 26);
    p.preampOn = column == '1' || column == '2' ? 0 : 1;  // the toggle turns it into what the row asks
    p.preampLevel = column == '2' ? 2 : 1;
    togglePreamp(p);
}

void restorePreamp(Panel& p, char column) {
    p.preampOn = column == '1' || column == '2' ? 1 : 0;
    p.preampLevel = column == '2' ? 2 : p.preampOn;
    send(p, p.preampOn == 0 ? "PA00" : p.preampLevel == 2 ? "PA02" : "PA01");
}

char preampColumn(const Panel& p) {
    if (p.preampOn != 1) return '0';
    return p.preampLevel == 2 ? '2' : '1';
}

void toggleAttenuator(Panel& p) {
    if (p.bandIndex > 11) {  // no attenuator on 2 m, 70 cm and general coverage
        say(p, "at");
        say(p, "na");
        return;
    }
    plainToggle(p, "at", p.attOn, "RA01", "RA00");
}

// Switched on, the blanker's level is read back so that the level keys step
// from the radio's own value.
void toggleNoiseBlanker(Panel& p) {
    say(p, "nb");
    if (p.nbOn == 0) {
        say(p, "on");
        p.nbOn = 1;
        p.levelTarget = 2;
        send(p, "NB01");
        readLevel(p, "NL0", "NL", 3, 3, 0, 10, p.nbLevel);
        return;
    }
    say(p, "off");
    p.nbOn = 0;
    if (p.levelTarget == 2) p.levelTarget = 0;
    send(p, "NB00");
}

// nrOn 9 means the radio did not say at start-up: the first press switches it
// off silently, so that panel and radio agree from then on.
void toggleNoiseReduction(Panel& p) {
    if (p.nrOn == 0 || p.nrOn == 1) say(p, "nr");
    if (p.nrOn == 0) {
        p.nrOn = 1;
        p.levelTarget = 3;
        say(p, "on");
        send(p, "NR01");
        readLevel(p, "RL0", "RL", 3, 2, 1, highestNrLevel(p), p.nrLevel);
    } else {
        if (p.levelTarget == 3) p.levelTarget = 0;
        if (p.nrOn == 1) say(p, "off");
        p.nrOn = 0;
        send(p, "NR00");
    }
    showFeatures(p);
}

void toggleProcessor(Panel& p) {
    const bool shortForm = hasShortProcessorCommand(p);
    say(p, "spc");
    if (p.radioModel == 241) {  // this radio takes no processor command
        say(p, "na");
        return;
    }
    if (p.processorOn == 0) {
        say(p, "on");
        p.commandText = shortForm ? "PR1" : "PR01";
        p.levelTarget = 5;
    } else {
        say(p, "off");
        if (p.levelTarget == 5) p.levelTarget = 0;
        p.commandText = shortForm ? "PR0" : "PR00";
    }
    send(p);
    p.processorOn = p.processorOn == 0 ? 1 : 0;
    if (p.processorOn == 1) readProcessorLevel(p);
}

bool hasShortProcessorCommand(const Panel& p) { return p.radioModel == 362 || p.radioModel == 251; }

void toggleBreakIn(Panel& p) { plainToggle(p, "bkin", p.breakInOn, "BI1", "BI0"); }

void toggleVox(Panel& p) { plainToggle(p, "vox", p.voxOn, "VX1", "VX0"); }

void toggleNotch(Panel& p) { plainToggle(p, "notch", p.notchOn, "BC01", "BC00"); }

}  // namespace vantor
