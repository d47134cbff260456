#pragma once
// A Linux service whose descriptors the screen's one wait watches beside the
// window, so that input wakes the panel at once instead of on the next tick.

#include <poll.h>

#include <set>
#include <vector>

namespace vantor {

class DescriptorSource {
public:
    virtual ~DescriptorSource() = default;

    // Adds the descriptors to wait on for input. One the wait has reported is
    // left out until the panel reads from it or the next timer tick, so input
    // the panel leaves unread, or a line that hung up, cannot wake the wait
    // again and again.
    void addWatched(std::vector<pollfd>& out) const {
        std::vector<int> open;
        openDescriptors(open);
        for (int fd : open)
            if (!quiet_.contains(fd)) out.push_back({fd, POLLIN, 0});
    }
    void reported(int fd) { quiet_.insert(fd); }
    void watchAll() { quiet_.clear(); }

protected:
    virtual void openDescriptors(std::vector<int>& out) const = 0;
    // The panel took input from fd (or let it go): watch it again.
    void watchAgain(int fd) { quiet_.erase(fd); }

private:
    std::set<int> quiet_;
};

}  // namespace vantor
