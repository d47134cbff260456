#include "controls/toggles.h"

#include "cat/setting_commands.h"
#include "cat/transport.h"
#include "core/text.h"
#include "controls/levels.h"
#include "display/status_window.h"
#include "speech/say.h"

namespace vantor {

namespace {

// The switches that arm no level keys: announce, set, tell the radio (unless
// `command` is empty), redraw.
void plainSwitch(Panel& p, const char* name, int& flag, bool on, const std::string& command) {
    say(p, name);
    flag = on ? 1 : 0;
    say(p, on ? "on" : "off");
    if (!command.empty()) send(p, command);
    showFeatures(p);
}

}  // namespace

// Callers that need a given preamp state set preampOn to the opposite value
// (and preampLevel to the amplifier they want) and toggle.
void togglePreamp(Panel& p) { setPreamp(p, p.preampOn == 0 ? (p.preampLevel < 2 ? 1 : 2) : 0, true); }

void setPreamp(Panel& p, int amplifier, bool tellRadio) {
    say(p, "preamp");
    if (amplifier > 0) {
        p.levelTarget = 1;
        say(p, "on");
        if (amplifier == 2 || p.preampLevel == 2) p.preampLevel = amplifier;
        p.preampOn = 1;
    } else {
        say(p, "off");
        p.preampOn = 0;
        p.preampLevel = 0;
        if (p.levelTarget == 1) p.levelTarget = 0;
    }
    if (tellRadio) send(p, settingCommand(p.radioModel, RadioSetting::preamp, amplifier));
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
    send(p, settingCommand(p.radioModel, RadioSetting::preamp, preampColumn(p) - '0'));
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
    setAttenuator(p, p.attOn == 0, true);
}

void setAttenuator(Panel& p, bool on, bool tellRadio) {
    plainSwitch(p, "at", p.attOn, on,
                tellRadio ? settingCommand(p.radioModel, RadioSetting::attenuator, on) : "");
}

// Switched on, the blanker's level is read back so that the level keys step
// from the radio's own value.
void toggleNoiseBlanker(Panel& p) { setNoiseBlanker(p, p.nbOn == 0, true); }

void setNoiseBlanker(Panel& p, bool on, bool tellRadio) {
    say(p, "nb");
    say(p, on ? "on" : "off");
    p.nbOn = on ? 1 : 0;
    if (on) p.levelTarget = 2;
    if (!on && p.levelTarget == 2) p.levelTarget = 0;
    if (!tellRadio) {
        showFeatures(p);
        return;
    }
    send(p, settingCommand(p.radioModel, RadioSetting::noiseBlanker, p.nbOn));
    if (on) readLevel(p, "NL0", "NL", 3, 3, 0, 10, p.nbLevel);
}

// nrOn 9 means the radio did not say at start-up: the first press switches it
// off silently, so that panel and radio agree from then on.
void toggleNoiseReduction(Panel& p) { setNoiseReduction(p, p.nrOn == 0, true); }

void setNoiseReduction(Panel& p, bool on, bool tellRadio) {
    if (p.nrOn == 0 || p.nrOn == 1) say(p, "nr");
    if (on) {
        p.nrOn = 1;
        p.levelTarget = 3;
        say(p, "on");
        if (tellRadio) send(p, settingCommand(p.radioModel, RadioSetting::noiseReduction, 1));
        if (tellRadio) readLevel(p, "RL0", "RL", 3, 2, 1, highestNrLevel(p), p.nrLevel);
    } else {
        if (p.levelTarget == 3) p.levelTarget = 0;
        if (p.nrOn == 1) say(p, "off");
        p.nrOn = 0;
        if (tellRadio) send(p, settingCommand(p.radioModel, RadioSetting::noiseReduction, 0));
    }
    showFeatures(p);
}

void toggleProcessor(Panel& p) { setProcessor(p, p.processorOn == 0, true); }

void setProcessor(Panel& p, bool on, bool tellRadio) {
    say(p, "spc");
    if (!settingForm(p.radioModel, RadioSetting::processor)) {
        say(p, "na");
        return;
    }
    say(p, on ? "on" : "off");
    if (on) p.levelTarget = 5;
    if (!on && p.levelTarget == 5) p.levelTarget = 0;
    p.processorOn = on ? 1 : 0;
    if (!tellRadio) {
        showFeatures(p);
        return;
    }
    send(p, settingCommand(p.radioModel, RadioSetting::processor, p.processorOn));
    if (on) readProcessorLevel(p);
}

bool hasShortProcessorCommand(const Panel& p) {
    const auto form = settingForm(p.radioModel, RadioSetting::processor);
    return form && form->prefix == "PR";
}

void toggleBreakIn(Panel& p) {
    plainSwitch(p, "bkin", p.breakInOn, p.breakInOn == 0, p.breakInOn == 0 ? "BI1" : "BI0");
}

void toggleVox(Panel& p) { setVox(p, p.voxOn == 0, true); }

void setVox(Panel& p, bool on, bool tellRadio) {
    plainSwitch(p, "vox", p.voxOn, on, tellRadio ? settingCommand(p.radioModel, RadioSetting::vox, on) : "");
}

void toggleNotch(Panel& p) {
    plainSwitch(p, "notch", p.notchOn, p.notchOn == 0, p.notchOn == 0 ? "BC01" : "BC00");
}

}  // namespace vantor
