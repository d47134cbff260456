#include "memory/memory_file.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "memory/memory_listing.h"
#include "platform/files.h"

namespace vantor {

namespace {

constexpr const char* kFileName = "savmem.dat";
constexpr const char* kEarlierFileName = "memory.dat";  // the name an earlier release used
constexpr std::string_view kCurrentTag = "VANTOR v3.2a";
constexpr std::string_view kOlderTag = "VANTOR v2.3c";
constexpr std::size_t kOlderSlotLine = 14;    // header and 13 lines of the older band table
constexpr std::size_t kCurrentSlotLine = 15;  // header and the 14 band rows
// Create or convert, then read back: two loads at most when all goes well.
// The bound only matters when the disk keeps handing back something else.
constexpr int kMaxLoads = 3;

void complain(const std::string& what) { std::cerr << "vantor: " << what << '\n'; }

std::string headerLine(const Panel& p) {
    std::string line = std::string(kCurrentTag) + " " + p.versionText;
    if (p.bandIndex > 0 && p.bandIndex < kBandRows) {
        line += ' ';
        line += static_cast<char>('0' + p.bandIndex);  // '1'..'9', ':' .. '>' for 10..14
        line += static_cast<char>('0' + p.nrOn);
    }
    return line;
}

bool writeTables(Panel& p) {
    std::vector<std::string> lines;
    lines.reserve(1 + (kBandRows - 1) + kMemorySlots);
    lines.push_back(headerLine(p));
    for (int row = 1; row < kBandRows; ++row) lines.push_back(p.bandTable[row]);
    for (const auto& slot : p.memoryTable) lines.push_back(slot);
    errno = 0;
    const bool written = writeLinesSafely(kFileName, lines);
    const int error = errno;
    if (!written && p.memoryFileWriteFailing == 0)
        complain(std::string("cannot write ") + kFileName + ": " +
                 (error != 0 ? std::strerror(error) : "write failed"));
    p.memoryFileWriteFailing = written ? 0 : 1;
    return written;
}

// The listing is only rewritten when the memory file was, so that it always
// describes the file on disk.
bool saveTablesAndListing(Panel& p) {
    if (!writeTables(p)) return false;
    writeMemoryListing(p);
    return true;
}

// A header character read as a small number: its code minus 48; -48 when absent.
int headerDigit(const std::string& header, int pos) {
    return static_cast<unsigned char>(charAt(header, pos)) - '0';
}

// A slot line from the file. A missing or empty line is an empty slot, so a
// damaged file never yields a channel made of nothing.
std::string slotFrom(const std::vector<std::string>& lines, std::size_t index) {
    if (index >= lines.size() || lines[index].empty()) return "9";
    return lines[index];
}

void takeCurrentFormat(Panel& p, const std::vector<std::string>& lines) {
    const std::string& header = lines.front();
    p.nrOn = headerDigit(header, 20) == 1 ? 1 : 0;
    const int band = headerDigit(header, 19);
    p.bandIndex = band >= 1 && band < kBandRows ? band : 0;
    // A band row missing from a damaged file keeps the one in force.
    for (std::size_t row = 1; row < kBandRows; ++row)
        if (row < lines.size() && !lines[row].empty()) p.bandTable[row] = lines[row];
    for (std::size_t slot = 0; slot < kMemorySlots; ++slot)
        p.memoryTable[slot] = slotFrom(lines, kCurrentSlotLine + slot);
}

// The older format had no split flag in front of a channel: simplex is added.
void takeOlderSlots(Panel& p, const std::vector<std::string>& lines) {
    for (std::size_t slot = 0; slot < kMemorySlots; ++slot) {
        std::string row = slotFrom(lines, kOlderSlotLine + slot);
        p.memoryTable[slot] = row.front() == '9' ? row : cut("0" + row);
    }
}

// A file this run did not take in may hold an operator's channels: it is
// replaced only once a copy of it is kept, and that copy is kept once.
bool mayReplaceFile(Panel& p) {
    if (p.memoryFileUnread == 0) return true;
    if (!fileExists(kFileName) || !keepBackupCopy(kFileName).empty()) {
        p.memoryFileUnread = 0;
        return true;
    }
    if (p.memoryFileUnread == 1)
        complain(std::string(kFileName) +
                 " is not replaced, as no copy of it can be kept; "
                 "the memories of this run are not saved");
    p.memoryFileUnread = 2;
    return false;
}

}  // namespace

bool saveMemoryFile(Panel& p) { return mayReplaceFile(p) && saveTablesAndListing(p); }

void loadMemoryFile(Panel& p) {
    p.memoryFileUnread = 0;
    for (int load = 0; load < kMaxLoads; ++load) {
        std::vector<std::string> lines;
        const ReadResult read = readLines(kFileName, lines, kCurrentSlotLine + kMemorySlots, kMaxText);
        if (read == ReadResult::unreadable) {
            p.memoryFileUnread = 1;
            complain(std::string("cannot read ") + kFileName +
                     "; it is left as it is and the memory and band tables stay as they are");
            return;
        }
        if (read == ReadResult::missing) {
            // The earlier release's file is never read, but it may hold an
            // operator's channels: it goes only once a copy is kept.
            if (fileExists(kEarlierFileName) && !keepBackupCopy(kEarlierFileName).empty())
                removeFile(kEarlierFileName);
            if (!saveTablesAndListing(p)) return;
            continue;
        }
        const std::string header = lines.empty() ? "" : lines.front();
        if (startsWith(header, kCurrentTag)) {
            takeCurrentFormat(p, lines);
            return;
        }
        // Older or unknown: the file is about to be rewritten, so keep it first.
        const bool older = startsWith(header, kOlderTag);
        if (keepBackupCopy(kFileName).empty()) {
            p.memoryFileUnread = 1;
            if (older) takeOlderSlots(p, lines);
            complain(std::string("cannot keep a copy of ") + kFileName + "; it is left as it is and " +
                     (older ? "its memories are used for this run only"
                            : "the memory and band tables stay as they are"));
            return;
        }
        if (older) takeOlderSlots(p, lines);
        if (!saveTablesAndListing(p)) return;
    }
    complain(std::string(kFileName) +
             " reads back differently from what was written; "
             "the memory and band tables stay as they are");
}

}  // namespace vantor
