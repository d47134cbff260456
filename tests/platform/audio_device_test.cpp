// Choosing the sound output for speech: the one the operator names, or the
// system's default, and noticing when that is the radio's own sound card.

#include "platform/audio_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor {
namespace {

TEST(AudioDevice, TheNamedDeviceOrTheDefaultAndWhetherThatIsTheRadio) {
    const std::vector<std::string> station = {"Speakers (Realtek(R) Audio)", "Speakers (2- USB Audio CODEC )",
                                              "Headphones (Jabra EVOLVE 20)"};
    const std::vector<std::string> twoSpeakers = {"Speakers (USB Audio CODEC)", "Speakers"};
    // clang-format off
    const struct {
        const char* what;
        std::vector<std::string> names;
        int preferred;
        std::string wanted;
        int device;
        bool notFound, radioByDefault;
    } cases[] = {
        {"default is the computer's speakers", station, 0, "", -1, false, false},
        {"default is the radio's codec", station, 1, "", -1, false, true},
        {"default unknown: the first", station, -1, "", -1, false, false},
        {"default out of range: the first", {"USB Audio CODEC"}, 7, "", -1, false, true},
        {"named by part of its name, any case", station, 1, "jabra", 2, false, false},
        {"named with blanks around it", station, 1, "  Realtek\r\n", 0, false, false},
        {"the radio asked for by name is no accident", station, 0, "usb audio codec", 1, false, false},
        {"an exact name wins over a containing one", twoSpeakers, 0, "speakers", 1, false, false},
        {"of several containing, the first", station, 2, "speakers", 0, false, false},
        {"unmatched name: the default, said", station, 1, "Sennheiser", -1, true, true},
        {"unmatched name, computer's default", station, 0, "Sennheiser", -1, true, false},
        {"no devices at all", {}, -1, "", -1, false, false},
        {"no devices, a name asked for", {}, -1, "Jabra", -1, true, false},
    };
    // clang-format on
    for (const auto& c : cases) {
        const AudioDeviceChoice choice = chooseAudioDevice(c.names, c.preferred, c.wanted);
        EXPECT_EQ(choice.device, c.device) << c.what;
        EXPECT_EQ(choice.wantedNotFound, c.notFound) << c.what;
        EXPECT_EQ(choice.radioCodecByDefault, c.radioByDefault) << c.what;
    }
}

TEST(AudioDevice, TheRadiosCodecUnderTheNamesWindowsGivesIt) {
    const struct {
        const char* name;
        bool codec;
    } cases[] = {
        {"USB Audio CODEC", true},
        {"Speakers (USB Audio CODEC )", true},
        {"Lautsprecher (3- USB Audio CODEC)", true},
        // Names are cut to 31 characters.
        {"Lautsprecher (3- USB Audio CODE", true},
        {"Haut-parleurs (2- USB Audio C", false},  // shorter than a cut name: not cut
        {"Altavoces (12- Logitech USB Aud", false},
        {"Speakers (Logitech USB Audio)", false},
        {"Realtek Digital Output", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isRadioCodec(c.name), c.codec) << c.name;
}

TEST(AudioDevice, TheNameInTheSettingsFile) {
    const struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"Jabra\n", "Jabra"},
        {"\xEF\xBB\xBFHeadphones (Jabra)\r\n", "Headphones (Jabra)"},
        {"# the headset, not the radio\n\n  Jabra EVOLVE  \nignored\n", "Jabra EVOLVE"},
        {"Realtek", "Realtek"},
        {"", ""},
        {"# only a comment\n   \n", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(audioDeviceFromFile(c.text), c.name) << c.text;
}

}  // namespace
}  // namespace vantor
