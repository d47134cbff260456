#pragma once
// The platform services of a Linux machine, wired together for the panel.

#include <string_view>

#include "platform/linux/brlapi_display.h"
#include "platform/linux/linux_clock.h"
#include "platform/linux/linux_network.h"
#include "platform/linux/linux_serial_ports.h"
#include "platform/linux/sdl_screen.h"
#include "platform/linux/sdl_speaker.h"
#include "platform/linux/speechd_voice.h"
#include "platform/platform.h"

namespace vantor {

class LinuxPlatform {
public:
    // Also makes SIGINT and SIGTERM a close request to the panel, and lets the
    // screen's wait wake for serial and network input.
    LinuxPlatform();
    ~LinuxPlatform();
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    Platform& platform() { return platform_; }
    // The speech service of that name on this machine; none for a name it lacks.
    Voice* voiceNamed(std::string_view name) { return name == "speechd" ? &voice_ : nullptr; }
    BrailleDisplay& brailleDisplay() { return braille_; }

private:
    // The screen watches the serial ports and the network, so it goes first.
    LinuxSerialPorts serial_;
    LinuxNetwork network_;
    SdlSpeaker speaker_;
    SdlScreen screen_;
    LinuxClock clock_;
    SpeechdVoice voice_;
    BrlapiDisplay braille_;
    Platform platform_{serial_, speaker_, screen_, clock_, network_};
};

}  // namespace vantor
