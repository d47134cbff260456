#include "platform/files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

ReadResult readLines(const std::string& path, std::vector<std::string>& lines, std::size_t maxLines,
                     std::size_t maxLineLength) {
    lines.clear();
    std::error_code ec;
    const fs::file_type type = fs::status(path, ec).type();
    if (type == fs::file_type::not_found) return ReadResult::missing;
    if (ec || type == fs::file_type::fifo || type == fs::file_type::socket) return ReadResult::unreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadResult::unreadable;
    std::string line;
    bool inLine = false;
    std::uintmax_t bytes = 0;
    for (int c; lines.size() < maxLines && bytes < kMaxFileBytes && (c = in.get()) != EOF; ++bytes) {
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            inLine = false;
            if (c == '\r' && in.peek() == '\n') {
                in.get();
                ++bytes;
            }
        } else {
            if (line.size() < maxLineLength) line += static_cast<char>(c);
            inLine = true;
        }
    }
    if (inLine && lines.size() < maxLines) lines.push_back(line);
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
    std::error_code ec;
    // A link to a device such as /dev/zero would never end, a huge file would
    // fill the disk; neither is a file the panel wrote.
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kMaxFileBytes) return "";
    std::string name = path + ".bak";
    for (int n = 1; fileExists(name) && n < 1000; ++n) name = path + ".bak" + std::to_string(n);
    fs::copy_file(path, name, fs::copy_options::none, ec);
    return ec ? "" : name;
}

}  // namespace vantor
