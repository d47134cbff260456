#include "fuzz_checks.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace vantor::fuzz {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Scratch {
    std::filesystem::path path;
    Scratch() {
        std::string name = std::filesystem::is_directory("/dev/shm") ? "/dev/shm/vantor-fuzz-XXXXXX"
                                                                     : "/tmp/vantor-fuzz-XXXXXX";
        if (mkdtemp(name.data()) == nullptr) broken("no scratch directory");
        path = name;
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::current_path("/", ec);
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

void WorkDirectory::enterEmpty() {
    static Scratch scratch;
    std::filesystem::current_path(scratch.path);
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path))
        std::filesystem::remove_all(entry.path());
}

int HeldErrors::checkLines() const {
    std::istringstream lines(text_.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        require(line.rfind("vantor: ", 0) == 0, "standard error line without \"vantor: \": " + line);
    return count;
}

namespace {

const std::set<std::string>& clipTable() {
    static const std::set<std::string> names = [] {
        std::set<std::string> table;
        std::ifstream file(VANTOR_PHRASES);
        if (!file) broken("cannot read " + std::string(VANTOR_PHRASES));
        for (std::string line; std::getline(file, line);) {
            if (line.empty() || line[0] == '#') continue;
            table.insert(lowerCase(line.substr(0, line.find('\t'))));
        }
        return table;
    }();
    return names;
}

}  // namespace

bool isShippedClip(const std::string& path) {
    std::string name = path;
    for (const char* prefix : {"&", "wave\\", "xx"})
        if (name.rfind(prefix, 0) == 0) name.erase(0, std::string(prefix).size());
    name = lowerCase(name);
    if (name.size() > 4 && name.ends_with(".wav")) name.resize(name.size() - 4);
    return clipTable().count(name) > 0;
}

}  // namespace vantor::fuzz
