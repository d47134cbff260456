// vantor: the talking front panel. Without options it reads vantor.cfg from the
// working directory and runs until Q, the window's close button, or SIGINT/SIGTERM
// (on Windows Ctrl-C and the end of the session).

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/panel.h"
#include "app/program.h"
#include "cat/network_port.h"
#include "platform/folder_lock.h"
#include "speech/say.h"

#ifdef _WIN32
#include "platform/windows/windows_platform.h"
#include "platform/windows/windows_process.h"
using MachinePlatform = vantor::WindowsPlatform;
#else
#include "platform/linux/linux_platform.h"
using MachinePlatform = vantor::LinuxPlatform;
#endif

namespace {

// --help and --version answer whoever started the program: a window program
// on Windows has no standard output of its own.
void show(const std::string& text) {
#ifdef _WIN32
    vantor::writeToStarter(text);
#else
    std::cout << text << std::flush;
#endif
}

std::string helpText() {
    return "Usage: vantor [--voice clips|speechd|sapi] [--voice-rate N] [--voice-volume N] [--braille]\n"
           "              [--speech-log FILE] [--rigctld [ADDRESS:PORT]] [--help] [--version]\n"
           "A talking, keyboard-only front panel for Yaesu FT-series transceivers.\n"
           "Reads vantor.cfg from the working directory and speaks every result.\n\n"
           "  --voice clips      speak with the recorded clips (the default)\n"
           "  --voice speechd    speak whole sentences through speech-dispatcher (Linux)\n"
           "  --voice sapi       speak whole sentences through the Windows voices (SAPI)\n"
           "  --voice-rate N     the speech service's rate, in its own range\n"
           "                     (speech-dispatcher -100 to 100, SAPI -10 to 10);\n"
           "                     X then up or down changes it while running\n"
           "  --voice-volume N   the speech service's volume, in its own range\n"
           "                     (speech-dispatcher -100 to 100, SAPI 0 to 100)\n"
           "  --braille          also write each sentence to the braille display\n"
           "                     (BrlAPI on Linux; the window title on Windows)\n"
           "  --speech-log FILE  write one line per spoken clip: the clip path as formed,\n"
           "                     a tab and the file played (empty when none); after each\n"
           "                     sentence, \"said\", a tab and its words\n"
           "  --rigctld [ADDRESS:PORT]\n"
           "                     share the radio with Hamlib programs (model 2, NET rigctl)\n"
           "                     on this address, 127.0.0.1:4532 when none is given\n"
           "  --help             show this text\n"
           "  --version          show the version\n";
}

// A whole number, with an optional sign; nothing when it is not one.
std::optional<int> wholeNumber(const std::string& text) {
    std::size_t used = 0;
    try {
        const int value = std::stoi(text, &used);
        if (used == text.size()) return value;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// The speech service the operator chose, or the clips with one line saying why not.
void chooseVoice(MachinePlatform& machine, const std::string& name) {
    if (name == "clips") return;
    std::string why = name + " is not on this system";
    vantor::Voice* voice = machine.voiceNamed(name);
    if (voice && voice->open(why)) {
        machine.platform().voice = voice;
        return;
    }
    std::cerr << "vantor: --voice " << name << ": " << why << "; speaking with the clips\n";
}

void chooseBraille(MachinePlatform& machine) {
    std::string why;
    vantor::BrailleDisplay& display = machine.brailleDisplay();
    if (display.open(why))
        machine.platform().braille = &display;
    else
        std::cerr << "vantor: --braille: " << why << "; no braille\n";
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

int run(const std::vector<std::string>& arguments) {
    std::optional<std::string> speechLogPath;
    std::optional<std::string> rigctldAddress;
    bool rigctld = false;
    std::string voiceName = "clips";
    std::optional<int> voiceRate, voiceVolume;
    bool braille = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help") {
            show(helpText());
            return 0;
        }
        if (argument == "--version") {
            show(std::string("vantor ") + vantor::kVersionText + "\n");
            return 0;
        }
        if (argument == "--speech-log" && i + 1 < arguments.size()) {
            speechLogPath = arguments[++i];
            continue;
        }
        if (argument == "--voice" && i + 1 < arguments.size()) {
            voiceName = arguments[++i];
            if (voiceName != "clips" && voiceName != "speechd" && voiceName != "sapi") {
                std::cerr << "vantor: --voice wants clips, speechd or sapi, not " << voiceName << "\n";
                return 2;
            }
            continue;
        }
        if ((argument == "--voice-rate" || argument == "--voice-volume") && i + 1 < arguments.size()) {
            const std::optional<int> value = wholeNumber(arguments[++i]);
            if (!value) {
                std::cerr << "vantor: " << argument << " wants a whole number, not " << arguments[i] << "\n";
                return 2;
            }
            (argument == "--voice-rate" ? voiceRate : voiceVolume) = value;
            continue;
        }
        if (argument == "--braille") {
            braille = true;
            continue;
        }
        if (argument == "--rigctld") {
            rigctld = true;
            if (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) rigctldAddress = arguments[++i];
            continue;
        }
        std::cerr << "vantor: unknown option " << argument << " (try --help)\n";
        return 2;
    }

    // Before the window opens, savmem.dat is read or the speech log is
    // begun afresh: all of them belong to the panel already running here.
    vantor::FolderLock lock(".");
    if (lock.state() == vantor::FolderLockState::taken) {
        const bool forward = vantor::bringPanelForward(".");
        std::cerr << "vantor: another panel runs in this folder"
                  << (forward ? "; its window is brought to the front" : "") << "\n";
        return 0;
    }
    if (lock.state() == vantor::FolderLockState::unusable)
        std::cerr << "vantor: " << lock.reason() << "; a second panel in this folder is not kept out\n";

    MachinePlatform machine;
    vantor::Panel panel(machine.platform());
    chooseVoice(machine, voiceName);
    if (braille) chooseBraille(machine);
    panel.voiceRate = voiceRate;
    panel.voiceVolume = voiceVolume;
    if (rigctld) {
        panel.rigctldPort = vantor::kRigctldDefaultPort;
        if (rigctldAddress && !parseListenAddress(*rigctldAddress, panel)) {
            std::cerr << "vantor: --rigctld wants ADDRESS:PORT, for example 127.0.0.1:4532, not " << *rigctldAddress
                      << "\n";
            return 2;
        }
    }
    if (speechLogPath && !vantor::openSpeechLog(panel, *speechLogPath)) {
        std::cerr << "vantor: cannot write the speech log " << *speechLogPath << "\n";
        return 2;
    }
    return vantor::runProgram(panel) == vantor::RunResult::finished ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    // A window program has no standard error: its lines go to vantor.log in
    // the working folder, where the operator finds vantor.cfg.
    vantor::StandardErrorLog errorLog("vantor.log");
    return run(vantor::commandLineArguments());
#else
    return run(std::vector<std::string>(argv + 1, argv + argc));
#endif
}
