#pragma once
// A Windows service whose input the screen's one wait watches beside the
// window's messages, so that input wakes the panel at once instead of on the
// next tick.

namespace vantor {

class WaitSource {
public:
    virtual ~WaitSource() = default;
    // An event the system signals when input may have come, or nullptr.
    virtual void* inputEvent() = 0;
    // How long the wait may sleep before the source must look again for
    // input no event announces; -1 for as long as it likes.
    virtual int lookAgainMs() const = 0;
    // Whether input has come since the last look. What it reports is left out
    // until the panel reads from it or the next timer tick (watchAll), so
    // input the panel leaves unread cannot wake the wait again and again.
    virtual bool takeInput() = 0;
    virtual void watchAll() = 0;
};

}  // namespace vantor
