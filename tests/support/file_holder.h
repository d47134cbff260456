#pragma once
// Windows: another program (a virus scanner, the indexer, a backup) holding a
// file open with no sharing for a while, on a thread of its own.

#include <windows.h>

#include <filesystem>
#include <thread>

namespace vantor::testing {

class FileHolder {
  public:
    // Returns once the file is held; it is let go after holdMs.
    FileHolder(const std::filesystem::path& file, DWORD holdMs)
        : opened_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, file, holdMs] {
            const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr);
            held_ = handle != INVALID_HANDLE_VALUE;
            ::SetEvent(opened_);
            if (!held_) return;
            ::Sleep(holdMs);
            ::CloseHandle(handle);
        });
        ::WaitForSingleObject(opened_, INFINITE);
    }
    ~FileHolder() {
        thread_.join();
        ::CloseHandle(opened_);
    }
    bool held() const { return held_; }

  private:
    HANDLE opened_;
    bool held_ = false;
    std::thread thread_;
};

}  // namespace vantor::testing
