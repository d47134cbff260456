#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

#ifdef _WIN32

std::wstring wideFromUtf8(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)),
                      L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

fs::path pathFromUtf8(const std::string& text) { return fs::path(wideFromUtf8(text)); }

std::string utf8Of(const fs::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    std::string text(
        static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
        '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), static_cast<int>(text.size()), nullptr,
                          nullptr);
    return text;
}

#else

fs::path pathFromUtf8(const std::string& text) { return fs::path(text); }
std::string utf8Of(const fs::path& path) { return path.string(); }

#endif

namespace {

#ifdef _WIN32

// A virus scanner, the indexer, a backup or a cloud folder holds a file the
// panel reads or writes for a moment; within this time it is tried again.
constexpr ULONGLONG kBusyRetryMs = 1000;
constexpr DWORD kBusyPauseMs = 50;

bool isBusy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool isFolder(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Waits while another program holds the file so that it cannot be opened.
void waitWhileHeld(const fs::path& path) {
    const ULONGLONG deadline = ::GetTickCount64() + kBusyRetryMs;
    for (;;) {
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return;
        }
        if (!isBusy(::GetLastError()) || isFolder(path) || ::GetTickCount64() >= deadline) return;
        ::Sleep(kBusyPauseMs);
    }
}

#else

void waitWhileHeld(const fs::path&) {}

#endif

}  // namespace

ReadResult readLines(const std::string& name, std::vector<std::string>& lines, std::size_t maxLines,
                     std::size_t maxLineLength) {
    lines.clear();
    const fs::path path = pathFromUtf8(name);
    std::error_code ec;
    const fs::file_type type = fs::status(path, ec).type();
    if (type == fs::file_type::not_found) return ReadResult::missing;
    if (ec || type == fs::file_type::fifo || type == fs::file_type::socket) return ReadResult::unreadable;
    waitWhileHeld(path);
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

// Writes text as the whole of the file and waits until it is on the disk;
// ERROR_SUCCESS or why not.
DWORD writeToDisk(const fs::path& path, const std::string& text) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ::GetLastError();
    bool ok = true;
    for (std::size_t done = 0; ok && done < text.size();) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
        ok = ::WriteFile(file, text.data() + done, piece, &written, nullptr) && written > 0;
        done += written;
    }
    ok = ok && ::FlushFileBuffers(file);
    DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    if (!::CloseHandle(file) && error == ERROR_SUCCESS) error = ::GetLastError();
    return ok && error == ERROR_SUCCESS ? ERROR_SUCCESS : (error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
}

// The write-through move returns once the new name is on the disk too.
DWORD replaceWith(const fs::path& temporary, const fs::path& path) {
    return ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? ERROR_SUCCESS
               : ::GetLastError();
}

// A read-only file refuses to be replaced for good. It is the panel's own
// file, so it is made writable, and the operator is told.
bool madeWritable(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        (attributes & FILE_ATTRIBUTE_READONLY) == 0)
        return false;
    if (!::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) return false;
    std::fprintf(stderr, "vantor: %s was read-only; it is made writable to be saved\n", utf8Of(path).c_str());
    return true;
}

// Writes the temporary file and moves it over path, again and again while
// another program holds either for a moment; ERROR_SUCCESS or the last refusal.
DWORD saveThrough(const fs::path& temporary, const fs::path& path, const std::string& text) {
    // Not every system refuses to replace a read-only file; none is left.
    madeWritable(temporary);
    madeWritable(path);
    const ULONGLONG deadline = ::GetTickCount64() + kBusyRetryMs;
    for (;;) {
        DWORD error = writeToDisk(temporary, text);
        if (error == ERROR_SUCCESS) error = replaceWith(temporary, path);
        if (error == ERROR_SUCCESS) return error;
        const bool writable = error == ERROR_ACCESS_DENIED && (madeWritable(path) || madeWritable(temporary));
        // A folder in the way stays in the way.
        if (!writable && (!isBusy(error) || isFolder(temporary) || isFolder(path))) return error;
        if (::GetTickCount64() >= deadline) return error;
        if (!writable) ::Sleep(kBusyPauseMs);
    }
}

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
#ifdef _WIN32
    const DWORD error = saveThrough(pathFromUtf8(temporary), pathFromUtf8(path), text);
    if (error != ERROR_SUCCESS) {
        ::DeleteFileW(pathFromUtf8(temporary).c_str());
        errno = errnoFor(error);
        return false;
    }
#else
    if (!writeToDisk(temporary, text) || !replaceWith(temporary, path)) {
        const int error = errno;
        removeQuietly(temporary);
        errno = error;  // the caller reports why the write failed, not the clean-up
        return false;
    }
    syncFolderOf(path);
#endif
    return true;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(pathFromUtf8(path), ec);
}

bool removeFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(pathFromUtf8(path), ec);
}

std::string keepBackupCopy(const std::string& path) {
    std::error_code ec;
    const fs::path original = pathFromUtf8(path);
    // A link to a device such as /dev/zero would never end, a huge file would
    // fill the disk; neither is a file the panel wrote.
    if (!fs::is_regular_file(original, ec) || fs::file_size(original, ec) > kMaxFileBytes) return "";
    std::string name = path + ".bak";
    for (int n = 1; fileExists(name) && n < 1000; ++n) name = path + ".bak" + std::to_string(n);
    waitWhileHeld(original);
    fs::copy_file(original, pathFromUtf8(name), fs::copy_options::none, ec);
    return ec ? "" : name;
}

}  // namespace vantor
