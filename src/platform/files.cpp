#include "platform/files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

ReadResult readLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::error_code ec;
    if (!fs::exists(path, ec)) return ReadResult::missing;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadResult::unreadable;
    std::string line;
    bool inLine = false;
    char c;
    while (in.get(c)) {
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            inLine = false;
            if (c == '\r' && in.peek() == '\n') in.get(c);
        } else {
            line += c;
            inLine = true;
        }
    }
    if (inLine) lines.push_back(line);
    if (in.bad()) return ReadResult::unreadable;
    return ReadResult::ok;
}

bool writeLinesSafely(const std::string& path, const std::vector<std::string>& lines) {
    const std::string temporary = path + ".tmp";
    {
        std::FILE* out = std::fopen(temporary.c_str(), "wb");
        if (!out) return false;
        bool ok = true;
        for (const auto& line : lines) {
            ok = ok && std::fwrite(line.data(), 1, line.size(), out) == line.size();
            ok = ok && std::fwrite("\r\n", 1, 2, out) == 2;
        }
        ok = std::fflush(out) == 0 && ok;
        ok = std::fclose(out) == 0 && ok;
        if (!ok) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

bool removeFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec);
}

std::string keepBackupCopy(const std::string& path) {
    std::string name = path + ".bak";
    for (int n = 1; fileExists(name) && n < 1000; ++n) name = path + ".bak" + std::to_string(n);
    std::error_code ec;
    fs::copy_file(path, name, fs::copy_options::none, ec);
    return ec ? "" : name;
}

}  // namespace vantor
