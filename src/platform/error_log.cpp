#include "platform/error_log.h"

#include <fstream>
#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

namespace {

std::string padded(int value, int width) {
    std::string text = std::to_string(value < 0 ? 0 : value);
    return std::string(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0, '0') + text;
}

}  // namespace

std::string stampedLine(const LocalTime& t, std::string_view line) {
    return padded(t.year, 4) + "-" + padded(t.month, 2) + "-" + padded(t.day, 2) + " " + padded(t.hour, 2) +
           ":" + padded(t.minute, 2) + ":" + padded(t.second, 2) + " " + std::string(line) + "\r\n";
}

std::vector<std::string> LineCollector::add(std::string_view bytes) {
    std::vector<std::string> lines;
    for (const char c : bytes) {
        if (c == '\n') {
            if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
            lines.push_back(std::move(partial_));
            partial_.clear();
            continue;
        }
        partial_ += c;
        if (partial_.size() >= kErrorLogLineLength) {
            lines.push_back(std::move(partial_));
            partial_.clear();
        }
    }
    return lines;
}

std::string LineCollector::rest() {
    std::string line = std::move(partial_);
    partial_.clear();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool appendCapped(const fs::path& file, std::string_view text, std::uintmax_t capBytes) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size > 0 && size + text.size() > capBytes) {
        fs::path old = file;
        old += ".old";
        fs::remove(old, ec);
        fs::rename(file, old, ec);
        // Another program may hold the old file (an editor showing it): the
        // log then starts afresh instead of growing without end.
        if (ec) fs::resize_file(file, 0, ec);
    }
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace vantor
