// The Windows window, keys and timers against the real system (Wine's).

#include "platform/windows/windows_screen.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vantor {
namespace {

constexpr char kTitle[] = "*** Vantor test window ***";

bool contains(const std::vector<WindowEvent>& events, int message, int parameter) {
    return std::any_of(events.begin(), events.end(),
                       [&](const WindowEvent& e) { return e.message == message && e.parameter == parameter; });
}

// Waits (with a bound) for a batch holding the event; timer ticks keep the wait from hanging.
bool eventArrives(WindowsScreen& screen, int message, int parameter) {
    for (int batches = 0; batches < 200; ++batches)
        if (contains(screen.waitEvents(), message, parameter)) return true;
    return false;
}

class Screen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(screen.openWindow(250, 100, 950, 500, kTitle));
        window = ::FindWindowW(nullptr, L"*** Vantor test window ***");
        ASSERT_NE(window, nullptr);
        screen.startTimer(9, 20);  // a bound on every wait below
    }
    WindowsScreen screen;
    HWND window = nullptr;
};

TEST_F(Screen, OpensWithTheSizeAndTitleAsked) {
    RECT area{};
    ASSERT_TRUE(::GetWindowRect(window, &area));
    EXPECT_EQ(area.right - area.left, 950);
    EXPECT_EQ(area.bottom - area.top, 500);
    EXPECT_TRUE(::IsWindowVisible(window));
    screen.closeWindow();
    EXPECT_EQ(::FindWindowW(nullptr, L"*** Vantor test window ***"), nullptr);
}

// Virtual keys are the panel's key codes; the keypad's + and - are the main ones.
TEST_F(Screen, KeysArriveAsTheirVirtualKeys) {
    const struct {
        UINT message;
        WPARAM key;
        int event;
        int parameter;
    } cases[] = {
        {WM_KEYDOWN, 'A', kKeyDown, 'A'},         {WM_KEYUP, 'A', kKeyUp, 'A'},
        {WM_KEYDOWN, VK_F5, kKeyDown, 116},       {WM_KEYDOWN, VK_NUMPAD3, kKeyDown, 99},
        {WM_KEYDOWN, VK_ADD, kKeyDown, 187},      {WM_KEYDOWN, VK_SUBTRACT, kKeyDown, 189},
        {WM_KEYDOWN, VK_OEM_PERIOD, kKeyDown, 190}, {WM_SYSKEYDOWN, VK_F10, kKeyDown, 121},
        {WM_KEYDOWN, VK_RETURN, kKeyDown, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.parameter);
        ASSERT_TRUE(::PostMessageW(window, c.message, c.key, 0));
        EXPECT_TRUE(eventArrives(screen, c.event, c.parameter));
    }
}

TEST_F(Screen, TimersTickUntilStopped) {
    screen.startTimer(3, 15);
    EXPECT_TRUE(eventArrives(screen, kTimerTick, 3));
    EXPECT_TRUE(eventArrives(screen, kTimerTick, 3));
    screen.stopTimer(3);
    for (int batch = 0; batch < 10; ++batch) EXPECT_FALSE(contains(screen.waitEvents(), kTimerTick, 3));
}

// The close button, the end of the session and Ctrl-C all ask the panel to close.
TEST_F(Screen, ClosingAndTheEndOfTheSessionAreACloseRequest) {
    ASSERT_TRUE(::PostMessageW(window, WM_CLOSE, 0, 0));
    EXPECT_TRUE(eventArrives(screen, kCloseRequest, 0));
    EXPECT_TRUE(::IsWindow(window)) << "the panel closes the window itself";
    // Nothing more is taken (the end of the session among it) until the
    // panel has had the close request and shut down.
    EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    ASSERT_TRUE(::PostMessageW(window, WM_KEYDOWN, 'Q', 0));
    const std::vector<WindowEvent> events = screen.waitEvents();
    EXPECT_TRUE(contains(events, kCloseRequest, 0));
    EXPECT_FALSE(contains(events, kKeyDown, 'Q'));
    EXPECT_TRUE(eventArrives(screen, kKeyDown, 'Q'));
    ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), WM_CLOSE, 0, 0));
    EXPECT_TRUE(eventArrives(screen, kCloseRequest, 0));
}

// The printed text reaches the window's pixels when presented.
TEST_F(Screen, PrintedTextIsShownOnAWhitePage) {
    screen.setFont("Ariel", 50, 700);
    screen.moveTo(10, 10);
    screen.print("8888");
    screen.present();
    const HDC shown = ::GetDC(window);
    int inked = 0;
    for (int x = 10; x < 120; x += 2)
        for (int y = 10; y < 60; y += 2) inked += ::GetPixel(shown, x, y) == RGB(0, 0, 0);
    EXPECT_GT(inked, 10);
    EXPECT_EQ(::GetPixel(shown, 600, 300), RGB(255, 255, 255));
    ::ReleaseDC(window, shown);
}

TEST(ScreenWithoutWindow, NothingToWaitForIsACloseRequest) {
    WindowsScreen screen;
    const std::vector<WindowEvent> events = screen.waitEvents();
    EXPECT_TRUE(contains(events, kCloseRequest, 0));
}

}  // namespace
}  // namespace vantor
