#include "panel/shared_settings.h"

#include "cat/setting_commands.h"
#include "controls/tone_repeater.h"
#include "controls/toggles.h"
#include "display/status_window.h"

namespace vantor {

namespace {

// A switch the program set, switched as its key would, without a command to the radio.
void followSwitch(Panel& p, int& flag, bool on, void (*set)(Panel&, bool, bool)) {
    if ((flag == 1) != on) set(p, on, false);
}

}  // namespace

bool followSettingCommand(Panel& p, const std::string& command) {
    if (const auto offset = clarifierAfter(command, p.clarifierOffset)) {
        p.clarifierOffset = *offset;
        return true;
    }
    const auto taken = settingOf(p.radioModel, command);
    if (!taken) return false;
    const int value = taken->value;
    switch (taken->setting) {
        case RadioSetting::afGain:
            p.afGain = value;
            break;
        case RadioSetting::rfGain:
            p.rfGain = value;
            break;
        case RadioSetting::squelch:
            p.squelchLevel = value;
            break;
        case RadioSetting::power:
            p.powerWatts = value;
            break;
        case RadioSetting::micGain:
            p.micGainValue = value;
            break;
        case RadioSetting::keyerSpeed:
            p.keyerSpeed = value;
            break;
        case RadioSetting::preamp:
            if (value != preampColumn(p) - '0') setPreamp(p, value, false);
            break;
        case RadioSetting::attenuator:
            followSwitch(p, p.attOn, value != 0, setAttenuator);
            break;
        case RadioSetting::noiseBlanker:
            followSwitch(p, p.nbOn, value != 0, setNoiseBlanker);
            break;
        case RadioSetting::noiseReduction:
            followSwitch(p, p.nrOn, value != 0, setNoiseReduction);
            break;
        case RadioSetting::processor:
            followSwitch(p, p.processorOn, value != 0, setProcessor);
            break;
        case RadioSetting::vox:
            followSwitch(p, p.voxOn, value != 0, setVox);
            break;
        case RadioSetting::toneMode:
            takeToneMode(p, value);
            showFeatures(p);
            break;
        case RadioSetting::rit:
            p.ritOn = value;
            break;
        case RadioSetting::xit:
            p.xitOn = value;
            break;
    }
    return true;
}

}  // namespace vantor
