#pragma once
// The platform services of a Windows machine, wired together for the panel.

#include "platform/platform.h"
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

private:
    // The screen watches the serial ports and the network, so it goes first.
    WindowsSerialPorts serial_;
    WindowsNetwork network_;
    WindowsSpeaker speaker_;
    WindowsScreen screen_;
    WindowsClock clock_;
    Platform platform_{serial_, speaker_, screen_, clock_, network_};
};

}  // namespace vantor
