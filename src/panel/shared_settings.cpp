#include "panel/shared_settings.h"

#include "cat/setting_commands.h"
#include "controls/toggles.h"
#include "controls/tone_repeater.h"
#include "display/status_window.h"

namespace vantor {

namespace {

// The levels, taken as they are; the switches, through the keys' own set operations.
struct LevelRow {
    RadioSetting setting;
    int Panel::*field;
};
constexpr LevelRow kLevels[] = {{RadioSetting::afGain, &Panel::afGain},
                                {RadioSetting::rfGain, &Panel::rfGain},
                                {RadioSetting::squelch, &Panel::squelchLevel},
                                {RadioSetting::power, &Panel::powerWatts},
                                {RadioSetting::micGain, &Panel::micGainValue},
                                {RadioSetting::keyerSpeed, &Panel::keyerSpeed},
                                {RadioSetting::rit, &Panel::ritOn},
                                {RadioSetting::xit, &Panel::xitOn}};

struct SwitchRow {
    RadioSetting setting;
    int Panel::*flag;
    void (*set)(Panel&, bool on, bool tellRadio);
};
constexpr SwitchRow kSwitches[] = {{RadioSetting::attenuator, &Panel::attOn, setAttenuator},
                                   {RadioSetting::noiseBlanker, &Panel::nbOn, setNoiseBlanker},
                                   {RadioSetting::noiseReduction, &Panel::nrOn, setNoiseReduction},
                                   {RadioSetting::processor, &Panel::processorOn, setProcessor},
                                   {RadioSetting::vox, &Panel::voxOn, setVox}};

}  // namespace

bool followSettingCommand(Panel& p, const std::string& command) {
    if (const auto offset = clarifierAfter(command, p.clarifierOffset)) {
        p.clarifierOffset = *offset;
        return true;
    }
    const auto taken = settingOf(p.radioModel, command);
    if (!taken) return false;
    const int value = taken->value;
    for (const LevelRow& row : kLevels) {
        if (row.setting == taken->setting) p.*row.field = value;
    }
    for (const SwitchRow& row : kSwitches) {
        if (row.setting == taken->setting && (p.*row.flag == 1) != (value != 0))
            row.set(p, value != 0, false);
    }
    if (taken->setting == RadioSetting::preamp && value != preampColumn(p) - '0') setPreamp(p, value, false);
    if (taken->setting == RadioSetting::toneMode) {
        takeToneMode(p, value);
        showFeatures(p);
    }
    return true;
}

}  // namespace vantor
