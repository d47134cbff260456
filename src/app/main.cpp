// vantor: the talking front panel. Without options it reads vantor.cfg from the
// working directory and runs until Q, the window's close button, or SIGINT/SIGTERM.

#include <cstring>
#include <iostream>

#include "core/panel.h"
#include "app/program.h"
#include "platform/linux/linux_platform.h"
#include "speech/say.h"

namespace {

void printHelp() {
    std::cout << "Usage: vantor [--speech-log FILE] [--help] [--version]\n"
                 "A talking, keyboard-only front panel for Yaesu FT-series transceivers.\n"
                 "Reads vantor.cfg from the working directory and speaks every result.\n\n"
                 "  --speech-log FILE  write one line per spoken clip (the clip path as formed)\n"
                 "  --help             show this text\n"
                 "  --version          show the version\n";
}

}  // namespace

int main(int argc, char** argv) {
    const char* speechLogPath = nullptr;
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
        std::cerr << "vantor: unknown option " << argv[i] << " (try --help)\n";
        return 2;
    }

    vantor::LinuxPlatform machine;
    vantor::Panel panel(machine.platform());
    if (speechLogPath && !vantor::openSpeechLog(panel, speechLogPath)) {
        std::cerr << "vantor: cannot write the speech log " << speechLogPath << "\n";
        return 2;
    }
    return vantor::runProgram(panel) == vantor::RunResult::finished ? 0 : 1;
}
