// The Windows window, keys and timers against the real system (Wine's).

#include "platform/windows/windows_screen.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

// The lParam of a key message: its scan code, and whether it is one of the
// extended keys (the separate cursor block, keypad Enter).
LPARAM keyFlags(int scanCode, bool extended, bool repeat = false) {
    return 1 | (static_cast<LPARAM>(scanCode) << 16) | (extended ? 1 << 24 : 0) | (repeat ? 1 << 30 : 0);
}

// Key-downs from the batches until `count` of them, with a bound.
std::vector<int> keyDowns(WindowsScreen& screen, std::size_t count) {
    std::vector<int> keys;
    for (int batches = 0; batches < 200 && keys.size() < count; ++batches)
        for (const WindowEvent& e : screen.waitEvents())
            if (e.message == kKeyDown) keys.push_back(e.parameter);
    return keys;
}

// Ends a loop of Windows' own (menu mode, a move) that a faulty screen would
// be stuck in, so a failing test fails rather than hangs.
class Rescue {
public:
    explicit Rescue(HWND window)
        : thread_([this, window] {
              std::unique_lock lock(mutex_);
              while (!done_)
                  if (!wake_.wait_for(lock, std::chrono::seconds(10), [this] { return done_; })) {
                      ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, keyFlags(1, false));
                      ::PostMessageW(window, WM_CANCELMODE, 0, 0);
                  }
          }) {}
    ~Rescue() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

// The keypad types digits and the point with NumLock on or off, by position
// (the cursor block's keys are extended, the keypad's are not); keypad Enter
// is Enter; a key an input method holds is the key it was.
TEST_F(Screen, TheKeypadTypesDigitsWithNumLockOnOrOff) {
    const struct {
        WPARAM key;
        int scanCode;
        bool extended;
        int panelKey;
    } cases[] = {
        // NumLock off: the keypad's keys with the cursor keys' codes.
        {VK_INSERT, 0x52, false, 96}, {VK_END, 0x4F, false, 97},   {VK_DOWN, 0x50, false, 98},
        {VK_NEXT, 0x51, false, 99},   {VK_LEFT, 0x4B, false, 100}, {VK_CLEAR, 0x4C, false, 101},
        {VK_RIGHT, 0x4D, false, 102}, {VK_HOME, 0x47, false, 103}, {VK_UP, 0x48, false, 104},
        {VK_PRIOR, 0x49, false, 105}, {VK_DELETE, 0x53, false, 110},
        // NumLock on.
        {VK_NUMPAD1, 0x4F, false, 97}, {VK_NUMPAD0, 0x52, false, 96}, {VK_DECIMAL, 0x53, false, 110},
        {VK_ADD, 0x4E, false, 187}, {VK_SUBTRACT, 0x4A, false, 189},
        // The cursor block, keypad Enter and the main Enter.
        {VK_LEFT, 0x4B, true, 37}, {VK_UP, 0x48, true, 38}, {VK_RIGHT, 0x4D, true, 39},
        {VK_DOWN, 0x50, true, 40}, {VK_PRIOR, 0x49, true, 33}, {VK_NEXT, 0x51, true, 34},
        {VK_INSERT, 0x52, true, 45}, {VK_HOME, 0x47, true, 36}, {VK_RETURN, 0x1C, true, 13},
        {VK_RETURN, 0x1C, false, 13},
        // Held by an input method: A, and keypad 1 with NumLock off.
        {VK_PROCESSKEY, 0x1E, false, 'A'}, {VK_PROCESSKEY, 0x4F, false, 97},
    };
    std::vector<int> expected;
    for (const auto& c : cases) {
        ASSERT_TRUE(::PostMessageW(window, WM_KEYDOWN, c.key, keyFlags(c.scanCode, c.extended)));
        expected.push_back(c.panelKey);
    }
    EXPECT_EQ(keyDowns(screen, expected.size()), expected);
}

// Whether the window was sent WM_ENTERMENULOOP: menu mode began.
std::atomic<bool> menuModeEntered{false};
LRESULT CALLBACK watchForMenuMode(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_ENTERMENULOOP) menuModeEntered = true;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Alt alone (and Alt with a letter) never puts the window in menu mode: the
// keys after it and the ticks still reach the panel; Alt+F4 still closes.
TEST_F(Screen, AltAloneLeavesTheKeysAndTicksWithThePanel) {
    Rescue rescue(window);
    ASSERT_EQ(::GetForegroundWindow(), window);
    menuModeEntered = false;
    const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, watchForMenuMode, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    // As typed: Alt pressed and let go, then space and Q.
    std::vector<INPUT> typed;
    for (const int key : {VK_MENU, VK_SPACE, int{'Q'}})
        for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = static_cast<WORD>(key);
            input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC));
            input.ki.dwFlags = up;
            typed.push_back(input);
        }
    ASSERT_EQ(::SendInput(static_cast<UINT>(typed.size()), typed.data(), sizeof(INPUT)), typed.size());
    EXPECT_EQ(keyDowns(screen, 2), (std::vector<int>{VK_SPACE, 'Q'}));
    // Alt with a letter, and Alt let go, as Windows reports them.
    ASSERT_TRUE(::PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 'f'));
    ASSERT_TRUE(::PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 0));
    ASSERT_TRUE(::PostMessageW(window, WM_KEYDOWN, VK_SPACE, keyFlags(0x39, false)));
    EXPECT_EQ(keyDowns(screen, 1), (std::vector<int>{VK_SPACE}));
    ::UnhookWindowsHookEx(hook);
    EXPECT_FALSE(menuModeEntered);
    EXPECT_TRUE(eventArrives(screen, kTimerTick, 9));
    EXPECT_TRUE(eventArrives(screen, kTimerTick, 9));
    ASSERT_TRUE(::PostMessageW(window, WM_SYSKEYDOWN, VK_F4, keyFlags(0x3E, false) | (1 << 29)));
    EXPECT_TRUE(eventArrives(screen, kCloseRequest, 0));
}

// While Windows moves the window (the helper drags it) the ticks keep coming,
// from inside that loop, and the keys come again once it ends. A timer started
// before the window opened ticks the same way.
TEST(ScreenTimers, TicksGoOnWhileTheWindowIsMoved) {
    WindowsScreen screen;
    screen.startTimer(4, 20);
    ASSERT_TRUE(screen.openWindow(250, 100, 950, 500, kTitle));
    const HWND window = ::FindWindowW(nullptr, L"*** Vantor test window ***");
    ASSERT_NE(window, nullptr);
    Rescue rescue(window);
    ASSERT_TRUE(::PostMessageW(window, WM_SYSCOMMAND, SC_MOVE, 0));
    int ticksInTheMove = 0;
    for (int batches = 0; batches < 50 && ticksInTheMove < 3; ++batches)
        if (contains(screen.waitEvents(), kTimerTick, 4) && ::GetCapture() == window) ++ticksInTheMove;
    EXPECT_EQ(ticksInTheMove, 3) << "ticks while the move holds the mouse";
    // What the panel prints meanwhile is shown.
    screen.setFont("Ariel", 30, 700);
    screen.moveTo(10, 10);
    screen.print("88");
    EXPECT_TRUE(eventArrives(screen, kTimerTick, 4));
    EXPECT_EQ(::GetCapture(), window);
    const HDC shown = ::GetDC(window);
    int inked = 0;
    for (int x = 10; x < 80; x += 2)
        for (int y = 10; y < 50; y += 2) inked += ::GetPixel(shown, x, y) == RGB(0, 0, 0);
    ::ReleaseDC(window, shown);
    EXPECT_GT(inked, 10);
    ASSERT_TRUE(::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, keyFlags(1, false)));
    for (int batches = 0; batches < 50 && ::GetCapture() == window; ++batches) screen.waitEvents();
    EXPECT_EQ(::GetCapture(), nullptr) << "the move has ended";
    ASSERT_TRUE(::PostMessageW(window, WM_KEYDOWN, 'A', keyFlags(0x1E, false)));
    EXPECT_EQ(keyDowns(screen, 1), std::vector<int>{'A'});
    EXPECT_TRUE(eventArrives(screen, kTimerTick, 4));
}

// A key whose key-up goes to another window (the focus taken by the lock
// screen or a prompt) does not hold the panel's next key: losing the focus
// is a key-up. A held key repeats as key-downs, as on Linux.
TEST_F(Screen, LosingTheFocusIsAKeyUpAndHeldKeysRepeat) {
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        WindowEvent event;
    } cases[] = {
        {"key down", WM_KEYDOWN, 'A', keyFlags(0x1E, false), {kKeyDown, 'A'}},
        {"repeat", WM_KEYDOWN, 'A', keyFlags(0x1E, false, true), {kKeyDown, 'A'}},
        {"focus lost", WM_KILLFOCUS, 0, 0, {kKeyUp, 0}},
        {"deactivated", WM_ACTIVATE, WA_INACTIVE, 0, {kKeyUp, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(::PostMessageW(window, c.message, c.wParam, c.lParam));
        EXPECT_TRUE(eventArrives(screen, c.event.message, c.event.parameter));
    }
    // The focus really going to another window.
    const HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                         nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetFocus(window);
    screen.waitEvents();
    ::SetFocus(other);
    EXPECT_TRUE(eventArrives(screen, kKeyUp, 0));
    ::DestroyWindow(other);
}

// The input method is off for the window: letters are the panel's keys.
TEST_F(Screen, NoInputMethodTakesTheLetters) {
    const HIMC context = ::ImmGetContext(window);
    EXPECT_EQ(context, nullptr);
    if (context) ::ImmReleaseContext(window, context);
}

// The machine about to sleep: the panel's handler has run before Windows
// hears back, whichever thread told the window. The handler goes with the
// panel; keeping awake is asked of Windows for this thread.
TEST_F(Screen, ASleepNoticeRunsTheHandlerBeforeItIsAnswered) {
    int calls = 0;
    screen.setSuspendHandler([&] { ++calls; });
    const struct {
        WPARAM notice;
        int calls;
    } notices[] = {{PBT_APMQUERYSUSPEND, 1}, {PBT_APMSUSPEND, 2}, {PBT_APMRESUMEAUTOMATIC, 2}};
    for (const auto& n : notices) {
        SCOPED_TRACE(n.notice);
        std::atomic<int> callsWhenAnswered{-1};
        std::atomic<LRESULT> answer{0};
        std::thread system([&] {
            answer = ::SendMessageW(window, WM_POWERBROADCAST, n.notice, 0);
            callsWhenAnswered = calls;
        });
        for (int batches = 0; batches < 200 && callsWhenAnswered < 0; ++batches) screen.waitEvents();
        system.join();
        EXPECT_EQ(callsWhenAnswered, n.calls);
        EXPECT_EQ(answer, TRUE);
    }
    screen.setSuspendHandler({});
    EXPECT_EQ(::SendMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
    EXPECT_EQ(calls, 2);

    screen.keepAwake(true);
    EXPECT_NE(::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) & ES_SYSTEM_REQUIRED, 0u);
    screen.keepAwake(false);
    EXPECT_EQ(::SetThreadExecutionState(ES_CONTINUOUS) & ES_SYSTEM_REQUIRED, 0u);
}

// The pixels of the window that are not white.
RECT inkedArea(HWND window, const RECT& within) {
    RECT inked{within.right, within.bottom, within.left, within.top};
    const HDC shown = ::GetDC(window);
    for (int x = within.left; x < within.right; ++x)
        for (int y = within.top; y < within.bottom; ++y)
            if (::GetPixel(shown, x, y) == RGB(0, 0, 0)) {
                inked.left = std::min(inked.left, static_cast<LONG>(x));
                inked.right = std::max(inked.right, static_cast<LONG>(x + 1));
                inked.top = std::min(inked.top, static_cast<LONG>(y));
                inked.bottom = std::max(inked.bottom, static_cast<LONG>(y + 1));
            }
    ::ReleaseDC(window, shown);
    return inked;
}

// The panel lays out at 96 dpi; at the window's DPI the text is as large and
// where it would be there, printed before the change or after it, and the
// window takes the size Windows suggests.
TEST_F(Screen, TextAndLayoutScaleWithTheWindowsDpi) {
    const RECT searched{0, 0, 560, 280};
    screen.setFont("Ariel", 20, 700);
    screen.moveTo(60, 40);
    screen.print("88");
    screen.present();
    const RECT atStart = inkedArea(window, searched);
    ASSERT_LT(atStart.left, atStart.right);
    for (const int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        RECT suggested{10, 20, 10 + 600 * dpi / 96, 20 + 300 * dpi / 96};  // within the test's screen
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT area{};
        ASSERT_TRUE(::GetWindowRect(window, &area));
        EXPECT_EQ(std::tuple(area.left, area.top, area.right, area.bottom),
                  std::tuple(suggested.left, suggested.top, suggested.right, suggested.bottom));
        screen.present();
        const RECT inked = inkedArea(window, searched);
        const auto scaled = [&](LONG value) { return value * dpi / 96; };
        EXPECT_NEAR(inked.left, scaled(atStart.left), 3);
        EXPECT_NEAR(inked.top, scaled(atStart.top), 3);
        EXPECT_NEAR(inked.right - inked.left, scaled(atStart.right - atStart.left), 4);
        EXPECT_NEAR(inked.bottom - inked.top, scaled(atStart.bottom - atStart.top), 4);
    }
    // Printed after the change: at the place and size the panel gave, at 192 dpi.
    screen.moveTo(200, 40);
    screen.print("88");
    screen.present();
    const RECT later = inkedArea(window, {360, 0, 800, 280});
    EXPECT_NEAR(later.left, 2 * atStart.left + 280, 3);
    EXPECT_NEAR(later.right - later.left, 2 * (atStart.right - atStart.left), 4);
}

// Closing the console waits until the run has ended, the whole shut-down
// after the window has closed included, and asks the panel to close.
TEST(ScreenConsole, ClosingTheConsoleWaitsForTheEndOfTheRun) {
    auto screen = std::make_unique<WindowsScreen>();
    screen->catchConsoleClose();
    ASSERT_TRUE(screen->openWindow(250, 100, 950, 500, kTitle));
    screen->startTimer(9, 20);
    std::atomic<bool> returned{false};
    std::thread console([&] {
        WindowsScreen::consoleEvent(CTRL_CLOSE_EVENT);
        returned = true;
    });
    EXPECT_TRUE(eventArrives(*screen, kCloseRequest, 0));
    screen->closeWindow();  // the shut-down goes on: the radio switched off, its port closed
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (!returned && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    EXPECT_FALSE(returned) << "Windows would end the program before the shut-down";
    screen.reset();
    console.join();
    EXPECT_TRUE(returned);
}

TEST(ScreenWithoutWindow, NothingToWaitForIsACloseRequest) {
    WindowsScreen screen;
    const std::vector<WindowEvent> events = screen.waitEvents();
    EXPECT_TRUE(contains(events, kCloseRequest, 0));
}

}  // namespace
}  // namespace vantor
