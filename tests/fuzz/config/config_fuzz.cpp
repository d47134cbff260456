// vantor.cfg as the operator (or a damaged disk) wrote it: the input is the
// whole file. The program starts with it, reaches the radio if the file lets
// it, and uses the values that reach the radio: the repeater shifts, the
// power ceiling, the tuner and SWR settings, the top band.

#include <cstddef>
#include <cstdint>
#include <string>

#include "panel/keys.h"
#include "program_run.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ProgramRun run;
    // 10 m and 2 m in FM, the options, a transmission with its meters, power.
    const std::string typed = "E29.62\nDE145.6\nO P";
    std::size_t next = 0;
    int ticks = 0;
    run.events = [&]() -> std::vector<WindowEvent> {
        if (ticks++ % 2 == 0) return run.tick();
        if (next >= typed.size()) return {};
        const char c = typed[next++];
        return run.press(c == '.' ? key::point : c == '\n' ? key::enter : c);
    };
    run.run(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
