// "savmem.dat" and the earlier release's "memory.dat" as found in the working
// directory: any bytes, in the current format, the older one, or neither. The
// program starts with them, the operator presses a few keys (recalling and
// storing channels, changing band), and the run ends with the save. A file
// the run did not take in must survive as a backup copy: nothing an operator
// stored is lost.
//
// Input: a flags byte (1: savmem.dat exists, 2: memory.dat exists), a key
// count (0..15) and that many key bytes, then the files' bytes; with both
// files, two bytes give the length of savmem.dat's share.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_input.h"
#include "program_run.h"

using namespace vantor;

namespace {

std::string contentOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Some "name.bak", "name.bak1", ... holds exactly `content`.
bool keptCopy(const std::string& name, const std::string& content) {
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().rfind(name + ".bak", 0) == 0 &&
            contentOf(entry.path()) == content)
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const int flags = input.byte();
    std::vector<int> keys(input.pick(16));
    for (int& code : keys) code = fuzz::allKeys()[input.pick(fuzz::allKeys().size())];
    std::string savmem, memory;
    if ((flags & 3) == 3) {
        const std::size_t share = input.byte() * 256u + input.byte();
        savmem = input.rest();
        memory = savmem.substr(std::min(share, savmem.size()));
        savmem.resize(std::min(share, savmem.size()));
    } else {
        ((flags & 1) ? savmem : memory) = input.rest();
    }
    std::vector<std::pair<std::string, std::string>> files;
    if (flags & 1) files.emplace_back("savmem.dat", savmem);
    if (flags & 2) files.emplace_back("memory.dat", memory);

    fuzz::ProgramRun run;
    std::size_t next = 0;
    bool tickNext = true;
    run.events = [&]() -> std::vector<WindowEvent> {
        tickNext = !tickNext;
        if (!tickNext) return run.tick();
        return next < keys.size() ? run.press(keys[next++]) : std::vector<WindowEvent>{};
    };
    run.run(fuzz::configurationFor(), files);

    const bool current = savmem.rfind("VANTOR v3.2a", 0) == 0;
    if ((flags & 1) && !current && contentOf("savmem.dat") != savmem)
        fuzz::require(keptCopy("savmem.dat", savmem), "savmem.dat replaced without a copy of it");
    if ((flags & 2) && !std::filesystem::exists("memory.dat"))
        fuzz::require(keptCopy("memory.dat", memory), "memory.dat removed without a copy of it");
    return 0;
}
