#pragma once
// The panel's one window: text drawn at pixel positions on a white page that
// keeps what was printed, the keyboard, the close request and the timer.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/descriptor_source.h"
#include "platform/platform.h"

namespace vantor {

class SdlScreen : public Screen {
public:
    SdlScreen();
    ~SdlScreen() override;
    SdlScreen(const SdlScreen&) = delete;
    SdlScreen& operator=(const SdlScreen&) = delete;

    bool openWindow(int x, int y, int width, int height, const std::string& title) override;
    void closeWindow() override;
    void moveTo(int x, int y) override;
    void print(std::string_view text) override;
    void present() override;
    void setFont(const std::string& face, int points, int weight) override;
    void startTimer(int id, int periodMs) override;
    void stopTimer(int id) override;
    std::vector<WindowEvent> waitEvents() override;
    // The session's own power management decides; the panel's shut-down on
    // SIGTERM covers the end of the session.
    void keepAwake(bool) override {}
    void setSuspendHandler(std::function<void()>) override {}

    // From now on SIGINT and SIGTERM become a close request from waitEvents,
    // so Ctrl-C shuts the panel down in order. A second signal before the
    // first was taken ends the program at once.
    static void catchCloseSignals();

    // waitEvents also wakes for input on the source's descriptors, with a
    // kInputReady. The source must outlive the screen.
    void watch(DescriptorSource& source);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantor
