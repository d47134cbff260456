#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/folder_lock.h"

namespace vantor {

namespace {

constexpr const char* kLockName = "vantor.lock";

}  // namespace

struct FolderLock::Impl {
    int fd = -1;
    ~Impl() {
        if (fd >= 0) ::close(fd);  // closing the file gives up the lock
    }
};

FolderLock::FolderLock(const std::string& folder) : impl_(std::make_unique<Impl>()) {
    const std::string name = (pathFromUtf8(folder) / kLockName).string();
    impl_->fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (impl_->fd < 0) {
        reason_ = std::string("cannot make ") + kLockName + ": " + std::strerror(errno);
        return;
    }
    for (;;) {
        if (::flock(impl_->fd, LOCK_EX | LOCK_NB) == 0) {
            state_ = FolderLockState::held;
            return;
        }
        if (errno != EINTR) break;
    }
    if (errno == EWOULDBLOCK) {
        state_ = FolderLockState::taken;
    } else {
        reason_ = std::string("cannot lock ") + kLockName + ": " + std::strerror(errno);
    }
    ::close(impl_->fd);
    impl_->fd = -1;
}

FolderLock::~FolderLock() = default;

bool bringPanelForward(const std::string&) { return false; }

}  // namespace vantor
