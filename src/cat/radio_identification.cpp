#include "cat/radio_identification.h"

#include <optional>
#include <vector>

#include "cat/port_watch.h"
#include "cat/transport.h"
#include "controls/levels.h"
#include "controls/toggles.h"
#include "controls/tone_repeater.h"
#include "core/text.h"
#include "display/status_window.h"

namespace vantor {

namespace {

// The radios keep their repeater offsets in menus whose numbers differ by model.
std::vector<std::string> repeaterShiftMenuCommands(const Panel& p) {
    const std::string seventyCm =
        p.shift70cmDigits.size() == 4 ? "0" + p.shift70cmDigits : "00" + p.shift70cmDigits.substr(0, 3);
    const std::string& ten = p.shift10mDigits;
    const std::string& six = p.shift6mDigits;
    const std::string& two = p.shift2mDigits;
    switch (p.radioModel) {
        case 570:
        case 670:
            return {"EX0800" + ten, "EX0810" + six, "EX0820" + two, "EX083" + seventyCm};
        case 840:
            return {"EX0103160" + ten, "EX0103170" + six, "EX010318" + two, "EX010319" + seventyCm};
        case 800:
            return {"EX0103180" + ten, "EX0103190" + six};
        case 761:
            return {"EX0103170" + ten, "EX0103180" + six};
        case 681:
        case 682:
            return {"EX0103150" + ten, "EX0103160" + six};
        case 362:
            return {"EX810" + ten, "EX820" + six};
        case 462:
            return {"EX0860" + ten, "EX0870" + six};
        case 241:
            return {"EX05000" + ten.substr(0, 1)};
        case 650:
            return {"EX0904" + std::string("0") + ten};
        default:
            return {};
    }
}

// Digits in the FA/FB fields of a model, 0 for a model the panel does not know.
int frequencyFieldDigits(int radioModel) {
    switch (radioModel) {
        case 241:
        case 251:
        case 362:
        case 462:
            return 8;
        case 570:
        case 650:
        case 670:
        case 681:
        case 682:
        case 761:
        case 800:
        case 840:
            return 9;
        default:
            return 0;
    }
}

// A switch the radio reports as one digit: 1 is on, any other digit off.
void takeSwitch(int& state, const std::optional<std::string>& digit) {
    if (digit) state = *digit == "1" ? 1 : 0;
}

void readModel(Panel& p) {
    p.radioModel = 0;
    query(p, "ID");
    if (int at = findPos(p.replyText, "ID")) takeModelNumber(p, p.replyText, at);
}

void restoreBandRepeaterAndTone(Panel& p) {
    const std::string& row = p.bandTable[static_cast<std::size_t>(p.bandIndex)];
    p.toneCodeText = "999";
    p.toneOn = 0;
    p.dcsSelected = 0;
    if (p.currentMode < 5 || p.currentMode > 7) return;
    if (charAt(row, 1) != '5') p.repeaterOn = 2;  // switch the shift off silently
    toggleRepeater(p);
    p.toneCodeText = mid(row, 23, 3);
    if (p.toneCodeText.size() != 3) p.toneCodeText = "999";  // a damaged row carries no tone
    if (p.toneCodeText != "999") {
        p.toneOn = 1;
        p.dcsSelected = valueOf(p.toneCodeText) > 499 ? 1 : 0;
        applyToneCode(p);
    }
}

// Every value read back here may go into a later command, so only the digits
// that command needs are taken; anything else leaves the value the panel had.
void readBackSettings(Panel& p) {
    p.tunerArmed = 0;
    p.agcStep = 2;
    if (auto digit = queryDigits(p, "GT0", "GT0", 3, 1)) p.agcStep = valueOf(*digit);
    if (auto gain = queryDigits(p, "AG0", "AG", 3, 3)) {
        p.afGain = valueOf(*gain);
    } else {
        p.afGain = 80;  // a known level the operator can step from
        send(p, "AG0080");
    }
    if (queryDigits(p, "ML0", "ML0", 3, 3) == "001") p.monitorOn = 1;
    if (auto level = queryDigits(p, "ML1", "ML1", 3, 3)) p.monitorLevelText = *level;
    if (p.radioModel != 241) {
        // Asked in the form the processor key switches it in.
        const std::string form = hasShortProcessorCommand(p) ? "PR" : "PR0";
        p.processorOn = 0;
        takeSwitch(p.processorOn, queryDigits(p, form, form, static_cast<int>(form.size()), 1));
    }
    send(p, p.nrOn == 1 ? "NR1" : "NR0");
    send(p, p.tunerState == 0 || p.tunerState == 2 ? "AC001" : "AC000");
    p.nrOn = 9;  // the radio did not say
    takeSwitch(p.nrOn, queryDigits(p, "NR0", "NR0", 3, 1));
    takeSwitch(p.voxOn, queryDigits(p, "VX", "VX", 2, 1));
    takeSwitch(p.breakInOn, queryDigits(p, "BI", "BI", 2, 1));
}

}  // namespace

void takeModelNumber(Panel& p, std::string_view reply, int at) {
    const auto digits = digitsAt(reply, at + 2, 4);
    if (!digits) return;
    p.radioModel = valueOf(*digits);
    if (p.radioModel == 310) p.radioModel = 241;  // the same radio under another number
    if (int width = frequencyFieldDigits(p.radioModel)) p.frequencyDigits = width;
}

void identifyRadio(Panel& p) {
    readModel(p);
    for (const std::string& command : repeaterShiftMenuCommands(p)) send(p, command);
    const std::string& row = p.bandTable[static_cast<std::size_t>(p.bandIndex)];
    send(p, "F" + mid(row, 3, 10));
    restoreBandRepeaterAndTone(p);
    for (const char* command : {"RA00", "NB00", "CO011200", "CO000000"}) send(p, command);
    sendPower(p);
    readBackSettings(p);
    showFeatures(p);
    // togglePreamp, which runs next, turns this into the state the band row asks for.
    const char preamp = charAt(p.bandTable[static_cast<std::size_t>(p.bandIndex)], 26);
    p.preampOn = preamp == '0' ? 1 : 0;
    p.preampLevel = preamp == '2' ? 2 : 1;
    if (p.bridgePort > 0) openBridgePort(p);
}

std::size_t menuNumberLength(int model) {
    switch (model) {
        case 681:
        case 682:
        case 761:
        case 800:
        case 840:
            return 6;
        case 650:
            return 4;
        default:
            return 3;
    }
}

}  // namespace vantor
