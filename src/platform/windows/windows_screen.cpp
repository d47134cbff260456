#include "platform/windows/windows_screen.h"

#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <optional>

#include "platform/files.h"
#include "platform/windows/printed_page.h"
#include "platform/windows/windows_keys.h"
#include "platform/windows/windows_errors.h"

namespace vantor {

namespace {

constexpr wchar_t kWindowClass[] = L"VantorPanel";
// The shortest timer period Windows keeps.
constexpr int kShortestTimerMs = 10;
// How long closing the console waits for the panel to unkey, save, switch the
// radio off and close its port, well inside the time Windows gives.
constexpr DWORD kConsoleCloseWaitMs = 4500;

constexpr LPARAM kAltHeld = 1 << 29;

// The console the panel may have been started from: its handler posts the
// close request to the window (to the thread while there is none) and, for
// the events that end the process when it returns, waits for the run's end.
std::atomic<DWORD> consoleOwnerThread{0};
std::atomic<HWND> consoleWindow{nullptr};
HANDLE runEnded = nullptr;

BOOL WINAPI onConsoleClose(DWORD kind) { return WindowsScreen::consoleEvent(kind) ? TRUE : FALSE; }

// The header's inline form reads the thread block in a way GCC's bounds
// check takes for an overrun.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
void* currentFiber() { return ::GetCurrentFiber(); }
#pragma GCC diagnostic pop

}  // namespace

struct WindowsScreen::Impl {
    HWND window = nullptr;
    PrintedPage page;  // everything printed, copied to the window
    // The title set for braille, which the window opens with when it comes.
    std::optional<std::wstring> title;

    // The system's timer for each of the panel's: on the window while there
    // is one, so that a loop of Windows' own (the window dragged or sized, its
    // menu) still delivers the ticks; on the thread otherwise.
    struct Timer {
        UINT period = 0;
        UINT_PTR system = 0;
        bool onWindow = false;
    };
    std::map<int, Timer> timers;
    UINT_PTR nextWindowTimer = 1;

    std::vector<WaitSource*> sources;
    std::vector<WindowEvent> pending;  // what the window procedure heard
    // Windows asked whether the session may end: no more messages are taken
    // until the panel has had the close request, so the end of the session
    // cannot come before the panel has unkeyed and saved.
    bool sessionEnding = false;

    std::function<void()> suspendHandler;
    bool suspending = false;
    bool keptAwake = false;
    bool catchesConsole = false;

    // Messages are taken on a fiber of their own. A loop of Windows' own that
    // a message starts (dragging, sizing, the window menu) runs there, and a
    // tick or a close request it delivers switches back to the panel, which
    // has its events at once; the next wait goes on with the loop.
    void* panelFiber = nullptr;
    void* messageFiber = nullptr;
    bool madeThreadAFiber = false;
    const MSG* dispatching = nullptr;  // the message takeMessages is dispatching
    bool pausedInLoop = false;  // the message fiber waits inside such a loop
    bool onMessageFiber = false;

    ~Impl() {
        destroyWindow();
        for (const auto& [id, timer] : timers) ::KillTimer(nullptr, timer.system);
        if (keptAwake) ::SetThreadExecutionState(ES_CONTINUOUS);
        if (messageFiber) ::DeleteFiber(messageFiber);
        if (madeThreadAFiber) ::ConvertFiberToThread();
        if (catchesConsole && runEnded) ::SetEvent(runEnded);
    }

    void requestClose() {
        const bool already = std::any_of(pending.begin(), pending.end(),
                                         [](const WindowEvent& e) { return e.message == kCloseRequest; });
        if (!already) pending.push_back({kCloseRequest, 0});
    }

    void startSystemTimer(Timer& timer) {
        timer.onWindow = window != nullptr;
        timer.system = ::SetTimer(window, window ? nextWindowTimer++ : 0, timer.period, nullptr);
    }

    void stopSystemTimer(const Timer& timer) {
        if (timer.system != 0) ::KillTimer(timer.onWindow ? window : nullptr, timer.system);
    }

    // The timers go over to the window that opened, or back to the thread
    // when it closes.
    void moveTimers() {
        for (auto& [id, timer] : timers) {
            if (timer.onWindow == (window != nullptr)) continue;
            stopSystemTimer(timer);
            startSystemTimer(timer);
        }
    }

    void destroyWindow() {
        if (window) {
            for (auto& [id, timer] : timers)
                if (timer.onWindow) ::KillTimer(window, timer.system);
            // The window procedure must not reach a screen that is going.
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            consoleWindow = nullptr;
            ::DestroyWindow(window);
        }
        page.close();
        window = nullptr;
        for (auto& [id, timer] : timers) {
            if (!timer.onWindow) continue;
            timer.system = 0;
            startSystemTimer(timer);
        }
    }

    // A tick for a timer the panel started; a stale one of a stopped timer is
    // dropped, and one already waiting for the panel is not doubled.
    void timerTick(UINT_PTR timer, bool fromWindow) {
        for (const auto& [id, running] : timers) {
            if (running.system != timer || running.onWindow != fromWindow) continue;
            if (std::none_of(pending.begin(), pending.end(), [id = id](const WindowEvent& e) {
                    return e.message == kTimerTick && e.parameter == id;
                }))
                pending.push_back({kTimerTick, id});
            for (WaitSource* source : sources) source->watchAll();
            return;
        }
    }

    // Everything queued for the window and the thread. Keys and closing are
    // heard by the window procedure, which dispatching calls.
    void takeMessages() {
        MSG message;
        while (!sessionEnding && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.hwnd == nullptr) {
                if (message.message == WM_TIMER) timerTick(message.wParam, false);
                // Posted by the console's Ctrl-C handler while there is no window.
                if (message.message == WM_CLOSE || message.message == WM_QUIT) requestClose();
                continue;
            }
            const MSG* outer = dispatching;
            dispatching = &message;
            ::DispatchMessageW(&message);
            dispatching = outer;
        }
    }

    static void CALLBACK messageFiberMain(void* self) {
        auto* s = static_cast<Impl*>(self);
        for (;;) {
            s->takeMessages();
            s->onMessageFiber = false;
            ::SwitchToFiber(s->panelFiber);
        }
    }

    bool makeFibers() {
        if (messageFiber) return true;
        if (!panelFiber) {
            if (::IsThreadAFiber()) {
                panelFiber = currentFiber();
            } else {
                panelFiber = ::ConvertThreadToFiber(nullptr);
                madeThreadAFiber = panelFiber != nullptr;
            }
            if (!panelFiber) return false;
        }
        messageFiber = ::CreateFiber(0, messageFiberMain, this);
        return messageFiber != nullptr;
    }

    // Takes the waiting messages; returns early, the message fiber paused,
    // when a loop of Windows' own has something for the panel.
    void pump() {
        if (!makeFibers()) {
            takeMessages();
            return;
        }
        onMessageFiber = true;
        ::SwitchToFiber(messageFiber);
    }

    // In the window procedure for a tick: one that came from a loop of
    // Windows' own, not from takeMessages itself, goes to the panel now
    // rather than when the loop ends.
    void letThePanelRun() {
        if (!onMessageFiber || pending.empty()) return;
        if (!dispatching || dispatching->message == WM_TIMER) return;
        pausedInLoop = true;
        onMessageFiber = false;
        ::SwitchToFiber(panelFiber);
        onMessageFiber = true;
        pausedInLoop = false;
    }

    bool takeInput() {
        bool ready = false;
        for (WaitSource* source : sources) ready = source->takeInput() || ready;
        return ready;
    }

    // Sleeps until a message, an event of a source, or the time a source
    // wants to look again.
    void sleep() {
        std::vector<HANDLE> events;
        DWORD timeoutMs = INFINITE;
        for (WaitSource* source : sources) {
            if (void* event = source->inputEvent()) events.push_back(static_cast<HANDLE>(event));
            if (const int look = source->lookAgainMs(); look >= 0)
                timeoutMs = std::min(timeoutMs, static_cast<DWORD>(look));
        }
        ::MsgWaitForMultipleObjectsEx(static_cast<DWORD>(events.size()), events.data(), timeoutMs, QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }

    void suspend() {
        // The panel unkeys before the window procedure returns: Windows
        // sleeps soon after.
        if (suspending || !suspendHandler) return;
        suspending = true;
        const std::function<void()> handler = suspendHandler;
        handler();
        suspending = false;
    }

    void key(int message, WPARAM virtualKey, LPARAM flags) {
        if (const int code = panelKey(window, virtualKey, flags)) pending.push_back({message, code});
    }

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        }
        auto* s = reinterpret_cast<Impl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!s) return ::DefWindowProcW(window, message, wParam, lParam);
        switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
            // A held key repeats as further key-downs, as on Linux; the
            // panel acts once until the key comes up.
            s->key(message == WM_KEYDOWN ? kKeyDown : kKeyUp, wParam, lParam);
            return 0;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            // F10 alone comes as a system key; with Alt held these stay
            // Windows' own (Alt+F4 closes the window).
            if (wParam == VK_F10 && (lParam & kAltHeld) == 0) {
                s->pending.push_back({message == WM_SYSKEYDOWN ? kKeyDown : kKeyUp, VK_F10});
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            // Alt alone (or Alt with a letter, or F10) would put the window in
            // menu mode, where the keys and the ticks no longer reach the
            // panel until Escape. The window has no menu to go to.
            if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
            break;
        case WM_TIMER:
            s->timerTick(wParam, true);
            s->letThePanelRun();
            return 0;
        case WM_KILLFOCUS:
            // The key-up of a key held now goes to another window (the lock
            // screen, an elevation prompt): the panel must not wait for it.
            s->pending.push_back({kKeyUp, 0});
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) s->pending.push_back({kKeyUp, 0});
            break;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMSUSPEND || wParam == PBT_APMQUERYSUSPEND) s->suspend();
            return TRUE;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            s->page.changeDpi(window, LOWORD(wParam));
            if (suggested)
                ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE:
            s->requestClose();
            return 0;
        case WM_QUERYENDSESSION:
            s->requestClose();
            s->sessionEnding = true;
            return TRUE;
        case WM_ENDSESSION:
            // Only reached after the panel has had the close request (see
            // sessionEnding), when its shut-down has run.
            if (wParam) s->requestClose();
            return 0;
        case WM_PAINT:
            s->page.paint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the page covers the whole window
        default:
            break;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

WindowsScreen::WindowsScreen() : impl_(std::make_unique<Impl>()) {}

WindowsScreen::~WindowsScreen() = default;

void WindowsScreen::catchConsoleClose() {
    if (!runEnded) runEnded = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (runEnded) ::ResetEvent(runEnded);
    impl_->catchesConsole = true;
    consoleOwnerThread = ::GetCurrentThreadId();
    if (impl_->window) consoleWindow = impl_->window;
    ::SetConsoleCtrlHandler(onConsoleClose, TRUE);
}

bool WindowsScreen::consoleEvent(unsigned long kind) {
    const DWORD thread = consoleOwnerThread.load();
    if (thread == 0) return false;
    const HWND window = consoleWindow.load();
    if (!window || !::PostMessageW(window, WM_CLOSE, 0, 0)) ::PostThreadMessageW(thread, WM_CLOSE, 0, 0);
    // For these Windows ends the process as soon as the handler returns: the
    // panel's whole shut-down (the radio switched off, its port closed) must
    // have run by then.
    if (runEnded && (kind == CTRL_CLOSE_EVENT || kind == CTRL_LOGOFF_EVENT || kind == CTRL_SHUTDOWN_EVENT))
        ::WaitForSingleObject(runEnded, kConsoleCloseWaitMs);
    return true;
}

bool WindowsScreen::openWindow(int x, int y, int width, int height, const std::string& title) {
    Impl& s = *impl_;
    if (s.window) closeWindow();
    const HINSTANCE program = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Impl::windowProcedure;
    windowClass.hInstance = program;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = ::LoadIconW(program, MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kWindowClass;
    // Registered once for the process; a second time only says it exists.
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        std::fprintf(stderr, "vantor: cannot open the display window: %s\n",
                     systemMessage(::GetLastError()).c_str());
        return false;
    }
    // The panel's layout is for 96 dpi; the window is as large on the
    // operator's screen as it would be there.
    s.page.startAt(systemDpi());
    width = std::clamp(s.page.scaled(std::clamp(width, 1, kLargestWindow)), 1, kLargestWindow);
    height = std::clamp(s.page.scaled(std::clamp(height, 1, kLargestWindow)), 1, kLargestWindow);
    const std::wstring shownTitle = s.title ? *s.title : wideFromLatin1(title);
    s.window = ::CreateWindowExW(0, kWindowClass, shownTitle.c_str(), WS_OVERLAPPEDWINDOW,
                                 s.page.scaled(x), s.page.scaled(y), width, height, nullptr, nullptr, program, &s);
    if (!s.window || !s.page.open(s.window, width, height)) {
        std::fprintf(stderr, "vantor: cannot open the display window: %s\n",
                     systemMessage(::GetLastError()).c_str());
        s.destroyWindow();
        return false;
    }
    // On a screen of its own DPI the window takes that one.
    if (const UINT own = dpiOf(s.window); own != s.page.dpi()) {
        const UINT was = s.page.dpi();
        s.page.changeDpi(s.window, own);
        ::SetWindowPos(s.window, nullptr, 0, 0, ::MulDiv(width, static_cast<int>(own), static_cast<int>(was)),
                       ::MulDiv(height, static_cast<int>(own), static_cast<int>(was)),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Letters are the panel's keys, whatever input method the operator has
    // for writing Chinese, Japanese or Korean elsewhere.
    ::ImmAssociateContext(s.window, nullptr);
    if (consoleOwnerThread.load() != 0) consoleWindow = s.window;
    s.moveTimers();
    ::ShowWindow(s.window, SW_SHOWNORMAL);
    ::UpdateWindow(s.window);
    ::SetForegroundWindow(s.window);
    return true;
}

void WindowsScreen::closeWindow() { impl_->destroyWindow(); }

void WindowsScreen::setTitle(const std::string& utf8) {
    Impl& s = *impl_;
    // The title ends at its first NUL.
    const std::wstring wide = wideFromUtf8(utf8);
    s.title = wide.substr(0, wide.find(L'\0'));
    if (s.window) ::SetWindowTextW(s.window, s.title->c_str());
}

void WindowsScreen::moveTo(int x, int y) { impl_->page.moveTo(x, y); }

void WindowsScreen::setFont(const std::string& face, int points, int weight) {
    impl_->page.setFont(face, points, weight);
}

void WindowsScreen::print(std::string_view text) {
    if (impl_->window) impl_->page.print(text);
}

void WindowsScreen::present() { impl_->page.present(impl_->window); }

void WindowsScreen::startTimer(int id, int periodMs) {
    Impl& s = *impl_;
    stopTimer(id);
    Impl::Timer timer;
    timer.period = static_cast<UINT>(std::max(periodMs, kShortestTimerMs));
    s.startSystemTimer(timer);
    if (timer.system == 0) {
        std::fprintf(stderr, "vantor: timer %d cannot start: %s\n", id, systemMessage(::GetLastError()).c_str());
        return;
    }
    s.timers[id] = timer;
}

void WindowsScreen::stopTimer(int id) {
    Impl& s = *impl_;
    if (auto it = s.timers.find(id); it != s.timers.end()) {
        s.stopSystemTimer(it->second);
        s.timers.erase(it);
    }
}

void WindowsScreen::watch(WaitSource& source) { impl_->sources.push_back(&source); }

void WindowsScreen::keepAwake(bool on) {
    Impl& s = *impl_;
    const EXECUTION_STATE wanted = on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS;
    if (::SetThreadExecutionState(wanted) == 0 && on)
        std::fprintf(stderr, "vantor: cannot keep the computer awake while transmitting\n");
    s.keptAwake = on;
}

void WindowsScreen::setSuspendHandler(std::function<void()> handler) { impl_->suspendHandler = std::move(handler); }

std::vector<WindowEvent> WindowsScreen::waitEvents() {
    Impl& s = *impl_;
    // With no window and no timer nothing could ever arrive: the panel is done.
    if (!s.window && s.timers.empty()) return {{kCloseRequest, 0}};
    for (;;) {
        // A key already waiting goes first; what the last batch printed is
        // shown once, before the panel sleeps.
        s.pump();
        if (s.pending.empty() && !s.pausedInLoop && s.page.hasUnshown()) {
            s.page.present(s.window);
            s.pump();
        }
        // With events in hand the sources are only looked at, so that input
        // already there goes in the same batch.
        if (s.takeInput()) s.pending.push_back({kInputReady, 0});
        // Inside a loop of Windows' own the panel never sleeps here: what it
        // printed is shown on the way back to it.
        if (s.pausedInLoop) s.page.present(s.window);
        if (!s.pending.empty()) {
            // The panel has the close request now; its shut-down runs before
            // it asks for messages again.
            s.sessionEnding = false;
            std::vector<WindowEvent> events;
            events.swap(s.pending);
            return events;
        }
        s.sleep();
    }
}

}  // namespace vantor
