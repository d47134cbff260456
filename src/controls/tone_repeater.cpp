#include "controls/tone_repeater.h"

#include "cat/setting_commands.h"
#include "cat/transport.h"
#include "controls/toggles.h"
#include "controls/vfo.h"
#include "core/text.h"
#include "display/status_window.h"
#include "memory/band_defaults.h"
#include "speech/say.h"
#include "speech/spoken_values.h"

namespace vantor {

namespace {

// While the next-channel key steps through memories the recall does the talking.
void sayUnlessStepping(Panel& p, const std::string& clip) {
    if (p.memoryChannelMode != 1) say(p, clip);
}

void sayDigits(Panel& p, const std::string& digits) {
    for (char digit : digits) sayUnlessStepping(p, std::string(1, digit));
}

// Only these radios keep the DCS polarity in menu 086; elsewhere that number
// is another item (the 10 m shift on 0462), a question, or no menu at all.
bool hasDcsPolarityMenu(const Panel& p) { return p.radioModel == 570 || p.radioModel == 670; }

// Band keys step one row past either end. A row the radio does not have is
// general coverage: a radio is never sent a band above its highest one.
void wrapBandIndex(Panel& p) {
    const int top = topBandRow(p);
    if (p.bandIndex == 0) p.bandIndex = top;
    if (p.bandIndex < 1 || p.bandIndex > top) p.bandIndex = 14;
}

}  // namespace

int topBandRow(const Panel& p) {
    if (p.topBandCode == "1") return 10;
    if (p.topBandCode == "2") return 12;
    if (p.topBandCode == "7") return 13;
    return 11;  // 6 m, also for a code the panel does not know
}

void switchToneOff(Panel& p) {
    takeToneMode(p, 0);
    send(p, settingCommand(p.radioModel, RadioSetting::toneMode, 0));
}

void takeToneMode(Panel& p, int mode) {
    if (mode == 0) {
        p.toneOn = 0;
        p.toneEntryOpen = 0;
        p.toneCodeText = "999";
        return;
    }
    p.toneOn = 1;
    p.dcsSelected = mode == 3 ? 1 : 0;
}

void applyToneCode(Panel& p) {
    const std::string& code = p.toneCodeText;
    // Only three digits make a code; anything else from a stored row is no tone.
    if (!isDigits(code, 3)) return;
    const int value = valueOf(code);
    const std::string lastTwo = code.substr(1, 2);
    if (p.dcsSelected == 1) {
        if (hasDcsPolarityMenu(p)) send(p, code[0] > '6' ? "EX0863" : "EX0860");
        sayUnlessStepping(p, "dcs");
        sayUnlessStepping(p, "on");
        const bool upperTable = (value >= 600 && value <= 702) || (value >= 800 && value <= 899);
        send(p, (upperTable ? "CN011" : "CN010") + lastTwo);
        send(p, settingCommand(p.radioModel, RadioSetting::toneMode, 3));
        return;
    }
    sayUnlessStepping(p, "ctcss");
    if (p.toneFromKeyboard == 1)
        sayUnlessStepping(p, "on");
    else
        sayDigits(p, code);
    send(p, "CN00" + code);
    send(p, settingCommand(p.radioModel, RadioSetting::toneMode, 1));
}

void toggleRepeater(Panel& p) {
    if (p.repeaterOn < 2) sayUnlessStepping(p, "repeater");
    if (p.repeaterOn > 0) {
        if (p.repeaterOn == 1) sayUnlessStepping(p, "off");
        p.repeaterOn = 0;
        setSplit(p, false);
        send(p, "OS00");
        return;
    }
    // On 10 m and 2 m the radio always takes the downward shift; the
    // configured direction still goes into the band and channel rows.
    std::string shift;
    if (p.bandIndex == 10 || p.bandIndex == 12) shift = "OS02";
    if (p.bandIndex == 11) shift = p.shift6mMinus == 1 ? "OS02" : "OS01";
    if (p.bandIndex == 13) shift = p.shift70cmMinus == 1 ? "OS02" : "OS01";
    // Only 10 m, 6 m, 2 m and 70 cm have a configured shift; elsewhere the
    // operator hears that there is none and the repeater stays off.
    if (shift.empty()) {
        sayUnlessStepping(p, "na");
        return;
    }
    p.repeaterOn = 1;
    send(p, shift);
    sayUnlessStepping(p, "on");
    if (p.toneOn == 1) send(p, p.dcsSelected == 1 ? "CT03" : "CT01");
}

ToneAndShift toneAndShiftInForce(const Panel& p) {
    return {p.toneOn, p.toneCodeText, p.dcsSelected, p.repeaterOn == 1 ? 1 : 0};
}

void bringBackToneAndShift(Panel& p, const ToneAndShift& kept) {
    // The shift first, while the tone is still off: it would resend the tone switch.
    if (kept.repeaterOn == 1 && p.repeaterOn == 0) toggleRepeater(p);
    // A code still being typed was no tone in force.
    if (kept.toneOn != 1 || !isDigits(kept.toneCodeText, 3) || kept.toneCodeText == "999") return;
    p.toneOn = 1;
    p.toneCodeText = kept.toneCodeText;
    p.dcsSelected = kept.dcsSelected;
    p.toneFromKeyboard = 0;
    applyToneCode(p);
}

std::string repeaterShiftField(Panel& p) {
    if (p.bandIndex < 10 || p.bandIndex > 13) return "";
    const int minus[] = {p.shift10mMinus, p.shift6mMinus, p.shift2mMinus, p.shift70cmMinus};
    const std::string* digits[] = {&p.shift10mDigits, &p.shift6mDigits, &p.shift2mDigits, &p.shift70cmDigits};
    const int band = p.bandIndex - 10;
    // Three configured digits get "00000" in front, four get "0000": the field
    // is always eight digits wide, so a mistyped configuration cannot move the
    // tone and preamp columns of the row.
    int kilohertz = valueOf(*digits[band]);
    if (kilohertz < 0 || kilohertz > 99999999) kilohertz = 0;
    return (minus[band] == 1 ? "-" : "+") + zeroPadded(kilohertz, 8);
}

void applyBandRow(Panel& p) {
    wrapBandIndex(p);
    p.tickCount = 0;
    const std::string& row = usableBandRow(p, p.bandIndex);
    setSplit(p, false);
    if (p.toneOn == 1) switchToneOff(p);
    p.currentMode = charAt(row, 2) - '0';
    // The new band's frequency is the one the mode brings back, so that
    // nothing typed meanwhile sends the radio back to the band it left.
    const std::string digits = mid(row, 4, 9);
    p.vfoAFrequency = valueOf(digits);
    showMode(p);
    const std::string command = "FA" + digits;
    if (p.lastFrequencyCommand != command + ";") send(p, command);

    if (charAt(row, 1) == '5') {
        p.repeaterOn = 0;
        toggleRepeater(p);
    }
    const std::string storedTone = mid(row, 23, 3);
    p.toneCodeText = isDigits(storedTone, 3) ? storedTone : "999";
    sayBand(p);
    p.splitSavedText = "A" + digits;

    const std::string& code = p.toneCodeText;
    if ((p.currentMode == 5 || p.currentMode == 7) && code != "999" && code != "000") {
        p.toneOn = 1;
        const bool dcs = code[0] > '4';
        p.dcsSelected = dcs ? 1 : 0;
        if (dcs)
            send(p, std::string("CN01") + (code[0] == '6' ? "1" : "0") + code.substr(1, 2));
        else
            send(p, "CN00" + code);
        send(p, dcs ? "CT03" : "CT01");
        sayUnlessStepping(p, dcs ? "dcs" : "ctcss");
        sayDigits(p, code);
    }

    setPreampFromRow(p, row);
    p.widthQuiet = 1;
}

void bandForEnteredMhz(Panel& p) {
    if (p.toneOn == 1) switchToneOff(p);
    p.bandIndex = bandForMegahertz(p.enteredNumber);
    if (p.bandIndex == 14) setSplit(p, false);  // no split outside the bands
}

}  // namespace vantor
