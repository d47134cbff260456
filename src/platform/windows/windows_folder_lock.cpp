#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/windows/windows_errors.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kPanelWindowClass[] = L"VantorPanel";
// The first panel writes its process number into the lock right after
// making it; a second start that finds none yet asks again this long.
constexpr ULONGLONG kProcessNumberWaitMs = 500;
// A panel that has just started may not have opened its window yet.
constexpr ULONGLONG kWindowWaitMs = 3000;

// The folder as one spelling: the path the system resolves it to (links
// followed), in lower case, as Windows compares names.
std::wstring canonicalFolder(const std::string& folder) {
    const fs::path path = pathFromUtf8(folder);
    std::wstring name;
    const HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        std::vector<wchar_t> buffer(32768);
        const DWORD length = ::GetFinalPathNameByHandleW(
            handle, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        if (length > 0 && length < buffer.size()) name.assign(buffer.data(), length);
        ::CloseHandle(handle);
    }
    if (name.empty()) {
        std::error_code ec;
        name = fs::absolute(path, ec).lexically_normal().native();
    }
    while (name.size() > 1 && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();
    if (!name.empty()) ::CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

// "Local\Vantor-" and a 64-bit FNV-1a hash of the folder: the session's
// object names cannot hold a backslash, and a path may be too long for one.
std::wstring lockName(const std::string& folder) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : canonicalFolder(folder)) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 1099511628211ull;
    }
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring name = L"Local\\Vantor-";
    for (int shift = 60; shift >= 0; shift -= 4) name += digits[(hash >> shift) & 0xF];
    return name;
}

HWND panelWindowOf(DWORD process) {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, kPanelWindowClass, nullptr); window != nullptr;
         window = ::FindWindowExW(nullptr, window, kPanelWindowClass, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process) return window;
    }
    return nullptr;
}

// The process number the panel holding the lock wrote into it; 0 when none.
DWORD lockHolder(const std::wstring& name) {
    const HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr) return 0;
    DWORD process = 0;
    if (const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(DWORD))) {
        const ULONGLONG deadline = ::GetTickCount64() + kProcessNumberWaitMs;
        while ((process = *static_cast<const volatile DWORD*>(view)) == 0 && ::GetTickCount64() < deadline)
            ::Sleep(10);
        ::UnmapViewOfFile(view);
    }
    ::CloseHandle(mapping);
    return process;
}

}  // namespace

struct FolderLock::Impl {
    HANDLE mapping = nullptr;
    ~Impl() {
        if (mapping != nullptr) ::CloseHandle(mapping);  // the object goes with its last handle
    }
};

FolderLock::FolderLock(const std::string& folder) : impl_(std::make_unique<Impl>()) {
    // A named object of the session rather than a file: it goes when the
    // panel does, however it ends, and leaves nothing in the folder.
    const std::wstring name = lockName(folder);
    const HANDLE mapping =
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), name.c_str());
    if (mapping == nullptr) {
        reason_ = "cannot make the folder's lock: " + systemMessage(::GetLastError());
        return;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mapping);
        state_ = FolderLockState::taken;
        return;
    }
    impl_->mapping = mapping;
    if (void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))) {
        *static_cast<volatile DWORD*>(view) = ::GetCurrentProcessId();
        ::UnmapViewOfFile(view);
    }
    state_ = FolderLockState::held;
}

FolderLock::~FolderLock() = default;

bool bringPanelForward(const std::string& folder) {
    const DWORD process = lockHolder(lockName(folder));
    if (process == 0) return false;
    const ULONGLONG deadline = ::GetTickCount64() + kWindowWaitMs;
    HWND window = nullptr;
    while ((window = panelWindowOf(process)) == nullptr && ::GetTickCount64() < deadline) ::Sleep(50);
    if (window == nullptr) return false;
    ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(window);
    return true;
}

}  // namespace vantor
