#include "platform/windows/windows_process.h"

#include <windows.h>
// After windows.h, which it needs.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <iostream>
#include <thread>

#include "platform/error_log.h"
#include "platform/files.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

std::wstring wideOf(const std::string& text) { return pathFromUtf8(text).native(); }

// A handle the program was given that leads somewhere.
bool leadsSomewhere(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool writeTo(HANDLE handle, const std::string& text) {
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring wide = wideOf(text);
        DWORD written = 0;
        return ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    }
    DWORD written = 0;
    return ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
}

LocalTime localTimeNow() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace

std::vector<std::string> commandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf8Of(fs::path(wide[i])));
    ::LocalFree(wide);
    return arguments;
}

void writeToStarter(const std::string& text) {
    std::cout.flush();
    if (const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE); leadsSomewhere(out) && writeTo(out, text))
        return;
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console =
            ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
        const bool written = console != INVALID_HANDLE_VALUE && writeTo(console, text);
        if (console != INVALID_HANDLE_VALUE) ::CloseHandle(console);
        ::FreeConsole();
        if (written) return;
    }
    std::cerr << text << std::flush;
}

struct StandardErrorLog::Impl {
    fs::path file;
    HANDLE given = nullptr;  // the standard error the program was started with
    HANDLE readEnd = nullptr;
    int savedDescriptor = -1;  // descriptor 2 as it was, to be put back at the end
    std::thread reader;

    void keep(const std::string& line) {
        appendCapped(file, stampedLine(localTimeNow(), line), kErrorLogCapBytes);
        if (given != nullptr) writeTo(given, line + "\n");
    }

    void read() {
        LineCollector lines;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            for (const std::string& line : lines.add(std::string_view(buffer, got))) keep(line);
        if (const std::string last = lines.rest(); !last.empty()) keep(last);
    }

    // Points descriptor 2, and the stderr stream if it has another, at fd.
    static void pointStandardErrorAt(int fd) {
        std::fflush(stderr);
        _dup2(fd, 2);
        // A window program's stderr stream may have no descriptor at all.
        if (_fileno(stderr) < 0 && std::freopen("NUL", "w", stderr) == nullptr) return;
        if (_fileno(stderr) != 2) _dup2(fd, _fileno(stderr));
        std::setvbuf(stderr, nullptr, _IONBF, 0);
    }
};

StandardErrorLog::StandardErrorLog(const fs::path& file) : impl_(std::make_unique<Impl>()) {
    std::error_code ec;
    impl_->file = fs::absolute(file, ec);
    if (ec) impl_->file = file;
    const HANDLE given = ::GetStdHandle(STD_ERROR_HANDLE);
    if (leadsSomewhere(given) && ::DuplicateHandle(::GetCurrentProcess(), given, ::GetCurrentProcess(),
                                                   &impl_->given, 0, FALSE, DUPLICATE_SAME_ACCESS) == 0)
        impl_->given = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&impl_->readEnd, &writeEnd, nullptr, 0)) {
        impl_->readEnd = nullptr;
        return;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(writeEnd);
        ::CloseHandle(impl_->readEnd);
        impl_->readEnd = nullptr;
        return;
    }
    std::fflush(stderr);
    impl_->savedDescriptor = _dup(2);
    Impl::pointStandardErrorAt(fd);
    _close(fd);  // descriptor 2 has its own copy
    impl_->reader = std::thread([impl = impl_.get()] { impl->read(); });
}

StandardErrorLog::~StandardErrorLog() {
    if (impl_->reader.joinable()) {
        std::cerr.flush();
        // Every copy of the pipe's writing end closes; the reader then takes
        // what is left and ends.
        const int restored =
            impl_->savedDescriptor >= 0 ? impl_->savedDescriptor : _open("NUL", _O_WRONLY | _O_BINARY);
        if (restored >= 0) {
            Impl::pointStandardErrorAt(restored);
            _close(restored);
        } else {
            if (_fileno(stderr) > 2) _close(_fileno(stderr));
            _close(2);
        }
        impl_->reader.join();
    }
    if (impl_->readEnd != nullptr) ::CloseHandle(impl_->readEnd);
    if (impl_->given != nullptr) ::CloseHandle(impl_->given);
}

}  // namespace vantor
