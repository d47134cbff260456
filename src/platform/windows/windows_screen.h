#pragma once
// The panel's one window on Windows: text drawn with GDI on a white page that
// keeps what was printed, the keyboard, the close request and the timers.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/wait_source.h"

namespace vantor {

class WindowsScreen : public Screen {
public:
    WindowsScreen();
    ~WindowsScreen() override;
    WindowsScreen(const WindowsScreen&) = delete;
    WindowsScreen& operator=(const WindowsScreen&) = delete;

    bool openWindow(int x, int y, int width, int height, const std::string& title) override;
    void closeWindow() override;
    void moveTo(int x, int y) override;
    void print(std::string_view text) override;
    void present() override;
    void setFont(const std::string& face, int points, int weight) override;
    void startTimer(int id, int periodMs) override;
    void stopTimer(int id) override;
    std::vector<WindowEvent> waitEvents() override;
    void keepAwake(bool on) override;
    void setSuspendHandler(std::function<void()> handler) override;

    // The window's title from now on, in UTF-8: what a screen reader shows
    // on its braille display. Set before the window opens, the window opens
    // with it instead of the title openWindow is given.
    void setTitle(const std::string& utf8);

    // waitEvents also wakes for the source's input, with a kInputReady. The
    // source must outlive the screen.
    void watch(WaitSource& source);

    // From now on Ctrl-C, Ctrl-Break and the closing of the console the panel
    // was started from are a close request, as the window's close button.
    // Closing the console waits (within the time Windows gives) until this
    // screen is gone, which is after the panel's whole shut-down.
    void catchConsoleClose();
    // What the console's handler does with one of its events (CTRL_C_EVENT,
    // CTRL_CLOSE_EVENT, ...); true when it was taken. Public for the tests.
    static bool consoleEvent(unsigned long kind);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantor
