// vantor: the talking front panel. Without options it reads vantor.cfg from the
// working directory and runs until Q, the window's close button, or SIGINT/SIGTERM
// (on Windows Ctrl-C and the end of the session).

#include <cstring>
#include <iostream>
#include <string>

#include "core/panel.h"
#include "app/program.h"
#include "cat/network_port.h"
#include "speech/say.h"

#ifdef _WIN32
#include "platform/windows/windows_platform.h"
using MachinePlatform = vantor::WindowsPlatform;
#else
#include "platform/linux/linux_platform.h"
using MachinePlatform = vantor::LinuxPlatform;
#endif

namespace {

void printHelp() {
    std::cout << "Usage: vantor [--speech-log FILE] [--rigctld [ADDRESS:PORT]] [--help] [--version]\n"
                 "A talking, keyboard-only front panel for Yaesu FT-series transceivers.\n"
                 "Reads vantor.cfg from the working directory and speaks every result.\n\n"
                 "  --speech-log FILE  write one line per spoken clip: the clip path as formed,\n"
                 "                     a tab and the file played (empty when none)\n"
                 "  --rigctld [ADDRESS:PORT]\n"
                 "                     share the radio with Hamlib programs (model 2, NET rigctl)\n"
                 "                     on this address, 127.0.0.1:4532 when none is given\n"
                 "  --help             show this text\n"
                 "  --version          show the version\n";
}

// "ADDRESS:PORT" (the address may be empty for every address, or an IPv6
// address in brackets); false when it is not that.
bool parseListenAddress(const std::string& text, vantor::Panel& panel) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    std::string address = text.substr(0, colon);
    const std::string port = text.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
    const int number = std::stoi(port);
    if (number < 1 || number > 65535) return false;
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
        address = address.substr(1, address.size() - 2);
    panel.rigctldAddress = address;
    panel.rigctldPort = number;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* speechLogPath = nullptr;
    const char* rigctldAddress = nullptr;
    bool rigctld = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            printHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "vantor " << vantor::kVersionText << "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--speech-log") == 0 && i + 1 < argc) {
            speechLogPath = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--rigctld") == 0) {
            rigctld = true;
            if (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) rigctldAddress = argv[++i];
            continue;
        }
        std::cerr << "vantor: unknown option " << argv[i] << " (try --help)\n";
        return 2;
    }

    MachinePlatform machine;
    vantor::Panel panel(machine.platform());
    if (rigctld) {
        panel.rigctldPort = vantor::kRigctldDefaultPort;
        if (rigctldAddress && !parseListenAddress(rigctldAddress, panel)) {
            std::cerr << "vantor: --rigctld wants ADDRESS:PORT, for example 127.0.0.1:4532, not " << rigctldAddress
                      << "\n";
            return 2;
        }
    }
    if (speechLogPath && !vantor::openSpeechLog(panel, speechLogPath)) {
        std::cerr << "vantor: cannot write the speech log " << speechLogPath << "\n";
        return 2;
    }
    return vantor::runProgram(panel) == vantor::RunResult::finished ? 0 : 1;
}
