// vantor-radiosim: a simulated transceiver on a pseudo-terminal, for the
// end-to-end tests and for trying the panel without a radio.

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "radiosim/pty_server.h"
#include "radiosim/radio_engine.h"
#include "radiosim/radio_text.h"

namespace {

using vantor::radiosim::ServerOptions;

constexpr const char* kUsage =
    "usage: vantor-radiosim [options]\n"
    "Serves a simulated Yaesu transceiver on a pseudo-terminal.\n"
    "\n"
    "  --model ID         radio model number (default 0670); one of\n"
    "                     0241 0251 0310 0362 0462 0570 0650 0670 0681 0682 0761 0800 0840\n"
    "  --link NAME        make NAME a symbolic link to the terminal (for example COM5);\n"
    "                     removed again on SIGINT or SIGTERM\n"
    "  --log FILE         write one line per command received: the arrival of its first byte in\n"
    "                     microseconds on the monotonic clock (CLOCK_MONOTONIC), a space, the command\n"
    "  --state FILE       keep FILE holding the radio's state in one line, rewritten whenever it\n"
    "                     changes: vfoA=HZ vfoB=HZ mode=C (the MD digit) split= vfoB-selected= shift=\n"
    "                     tone= tone-code= transmit= tuning= (numbers)\n"
    "  --latency-ms N     answer N milliseconds after the command arrived (default 0)\n"
    "  --latency-random N each answer a further 0 to N milliseconds later, at random; the\n"
    "                     answers keep their order, so a late one can bring the next with it\n"
    "  --smeter N         fixed S-meter reading 0-255 (S9 is about 130); default a slow random walk\n"
    "  --garbage TEXT     send TEXT before every reply\n"
    "  --split-replies    send every reply in two writes, 20 ms apart\n"
    "  --merge-replies    hold every reply until the next one joins it (at most 30 ms), then\n"
    "                     send them in one write\n"
    "  --refuse-all       answer \"?;\" to every command, as a radio that takes none\n"
    "  --silent-after N   stop answering after N commands\n"
    "  --vanish-after N   remove the terminal and the link after N commands (SIGUSR1: at once)\n"
    "                     SIGUSR2 brings a removed port back on a new terminal under the same link\n"
    "  --help             show this text\n";

int badOption(const std::string& message) {
    std::fprintf(stderr, "vantor-radiosim: %s\n(try --help)\n", message.c_str());
    return 2;
}

std::optional<long> number(std::string_view text, long max) {
    auto value = vantor::radiosim::digitsValue(text);
    if (!value || *value > max) return std::nullopt;
    return static_cast<long>(*value);
}

}  // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (name == "--split-replies" || name == "--merge-replies" || name == "--refuse-all") {
            if (inlineValue) return badOption(name + " takes no value");
            bool& flag = name == "--split-replies"   ? options.splitReplies
                         : name == "--merge-replies" ? options.mergeReplies
                                                     : options.refuseAll;
            flag = true;
            continue;
        }
        static const char* const valued[] = {"--model",        "--link",           "--log",    "--state",
                                             "--latency-ms",   "--latency-random", "--smeter", "--garbage",
                                             "--silent-after", "--vanish-after"};
        bool known = false;
        for (const char* v : valued) known = known || name == v;
        if (!known) return badOption("unknown option " + name);
        if (!inlineValue && i + 1 >= argc) return badOption(name + " needs a value");
        const std::string value = inlineValue ? *inlineValue : argv[++i];

        if (name == "--model") {
            auto id = number(value, 9999);
            if (!id || !vantor::radiosim::traitsForModel(static_cast<int>(*id))) {
                return badOption("unknown model '" + value + "'");
            }
            options.model = static_cast<int>(*id);
        } else if (name == "--link") {
            if (value.empty()) return badOption("--link needs a name");
            options.link = value;
        } else if (name == "--log") {
            if (value.empty()) return badOption("--log needs a file name");
            options.logPath = value;
        } else if (name == "--state") {
            if (value.empty()) return badOption("--state needs a file name");
            options.statePath = value;
        } else if (name == "--garbage") {
            options.garbage = value;
        } else {
            const long max = name == "--smeter"                                     ? 255
                             : name == "--latency-ms" || name == "--latency-random" ? 60000
                                                                                    : 1000000000;
            auto n = number(value, max);
            if (!n) return badOption(name + " needs a number from 0 to " + std::to_string(max));
            if (name == "--smeter") options.sMeter = static_cast<int>(*n);
            if (name == "--latency-ms") options.latencyMs = static_cast<int>(*n);
            if (name == "--latency-random") options.latencyRandomMs = static_cast<int>(*n);
            if (name == "--silent-after") options.silentAfter = *n;
            if (name == "--vanish-after") options.vanishAfter = *n;
        }
    }
    if (options.splitReplies && options.mergeReplies)
        return badOption("--split-replies and --merge-replies do not go together");
    return vantor::radiosim::runServer(options);
}
