#pragma once
// The platform services of a Windows machine, wired together for the panel.

#include <string_view>

#include "platform/platform.h"
#include "platform/windows/sapi_voice.h"
#include "platform/windows/title_braille.h"
#include "platform/windows/windows_clock.h"
#include "platform/windows/windows_network.h"
#include "platform/windows/windows_screen.h"
#include "platform/windows/windows_serial_ports.h"
#include "platform/windows/windows_speaker.h"

namespace vantor {

class WindowsPlatform {
public:
    // Also makes Ctrl-C in a console a close request to the panel, and lets
    // the screen's wait wake for serial and network input.
    WindowsPlatform();
    WindowsPlatform(const WindowsPlatform&) = delete;
    WindowsPlatform& operator=(const WindowsPlatform&) = delete;

    Platform& platform() { return platform_; }
    // The speech service's voice by the name the operator gives it ("sapi");
    // nullptr for a name this machine has none for. Not yet open.
    Voice* voiceNamed(std::string_view name);
    // Braille through the screen reader, on the window's title. Not yet open.
    BrailleDisplay& brailleDisplay() { return braille_; }

private:
    // The screen watches the serial ports and the network, so it goes first.
    WindowsSerialPorts serial_;
    WindowsNetwork network_;
    WindowsSpeaker speaker_;
    WindowsScreen screen_;
    WindowsClock clock_;
    SapiVoice sapi_;
    TitleBraille braille_{&screen_};
    Platform platform_{serial_, speaker_, screen_, clock_, network_};
};

}  // namespace vantor
