#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
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

namespace {

#ifdef _WIN32

// Why a Windows call failed, as the errno the caller reports.
int errnoFor(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    default:
        return EIO;
    }
}

// Writes text as the whole of the file and waits until it is on the disk.
bool writeToDisk(const std::string& path, const std::string& text) {
    const HANDLE file = ::CreateFileW(fs::path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errno = errnoFor(::GetLastError());
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < text.size();) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
        ok = ::WriteFile(file, text.data() + done, piece, &written, nullptr) && written > 0;
        done += written;
    }
    ok = ok && ::FlushFileBuffers(file);
    const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    if (!::CloseHandle(file) && ok) ok = false;
    if (!ok) errno = errnoFor(error != ERROR_SUCCESS ? error : ::GetLastError());
    return ok;
}

// The write-through move returns once the new name is on the disk too.
bool replaceWith(const std::string& temporary, const std::string& path) {
    if (::MoveFileExW(fs::path(temporary).c_str(), fs::path(path).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = errnoFor(::GetLastError());
    return false;
}

void removeQuietly(const std::string& path) { ::DeleteFileW(fs::path(path).c_str()); }

void syncFolderOf(const std::string&) {}

#else

// Writes all of text to the descriptor, a piece at a time if need be.
bool writeAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes text as the whole of the file and waits until it is on the disk.
bool writeToDisk(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 && ok) return false;
    errno = error;
    return ok;
}

bool replaceWith(const std::string& temporary, const std::string& path) {
    return ::rename(temporary.c_str(), path.c_str()) == 0;
}

void removeQuietly(const std::string& path) { ::unlink(path.c_str()); }

// The rename is only on disk once the folder holding it is. A folder that
// cannot be synced (some file systems refuse) still holds the new file now;
// a power cut then leaves the old one, which is whole.
void syncFolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

#endif

}  // namespace

bool writeLinesSafely(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    const std::string temporary = path + ".tmp";
    // A temporary file left by a run that was killed is simply written over.
    if (!writeToDisk(temporary, text) || !replaceWith(temporary, path)) {
        const int error = errno;
        removeQuietly(temporary);
        errno = error;  // the caller reports why the write failed, not the clean-up
        return false;
    }
    syncFolderOf(path);
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
