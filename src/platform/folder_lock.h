#pragma once
// One panel per working folder: two would write over each other's
// savmem.dat. The first panel started in a folder holds its lock until it
// ends; a second start finds it held.

#include <memory>
#include <string>

namespace vantor {

enum class FolderLockState {
    held,      // this panel holds the lock
    taken,     // another panel runs in the folder
    unusable,  // no lock could be made (a folder that cannot be written); the panel runs unguarded
};

class FolderLock {
  public:
    // Takes the lock of the folder (UTF-8; "." for the working folder). Linux:
    // flock on "vantor.lock" in the folder, a file left in place. Windows: a
    // named object of the session, named after the folder's full path.
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    FolderLockState state() const { return state_; }
    // Why the lock is unusable, for the line on standard error.
    const std::string& reason() const { return reason_; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    FolderLockState state_ = FolderLockState::unusable;
    std::string reason_;
};

// Brings the window of the panel that holds the folder's lock to the front
// (restored when minimised); false when it is not found. Nothing on Linux,
// where the window manager decides.
bool bringPanelForward(const std::string& folder);

}  // namespace vantor
