#include "platform/windows/windows_screen.h"

#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <optional>
#include <tuple>

#include "platform/files.h"
#include "platform/windows/windows_errors.h"

namespace vantor {

namespace {

constexpr wchar_t kWindowClass[] = L"VantorPanel";
// The shortest timer period Windows keeps.
constexpr int kShortestTimerMs = 10;
constexpr int kDefaultPoints = 12;
constexpr int kLargestPoints = 400;
constexpr int kLargestWindow = 16384;
// The panel lays the window out in pixels of a 96-dpi screen.
constexpr int kPanelDpi = 96;
// How long closing the console waits for the panel to unkey, save, switch the
// radio off and close its port, well inside the time Windows gives.
constexpr DWORD kConsoleCloseWaitMs = 4500;
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kPaper = RGB(255, 255, 255);

constexpr LPARAM kExtendedKey = 1 << 24;
constexpr LPARAM kAltHeld = 1 << 29;

int scanCodeOf(LPARAM flags) { return static_cast<int>((flags >> 16) & 0xFF); }

// With NumLock off (or Shift held) the keypad sends the cursor keys' codes;
// unlike the separate cursor block its keys are not extended, and their scan
// codes say which key it was.
int keypadKeyAt(int scanCode) {
    switch (scanCode) {
    case 0x47: return VK_NUMPAD7;
    case 0x48: return VK_NUMPAD8;
    case 0x49: return VK_NUMPAD9;
    case 0x4B: return VK_NUMPAD4;
    case 0x4C: return VK_NUMPAD5;
    case 0x4D: return VK_NUMPAD6;
    case 0x4F: return VK_NUMPAD1;
    case 0x50: return VK_NUMPAD2;
    case 0x51: return VK_NUMPAD3;
    case 0x52: return VK_NUMPAD0;
    case 0x53: return VK_DECIMAL;
    default: return 0;
    }
}

bool isKeypadNavigation(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_HOME: case VK_UP: case VK_PRIOR: case VK_LEFT: case VK_CLEAR: case VK_RIGHT:
    case VK_END: case VK_DOWN: case VK_NEXT: case VK_INSERT: case VK_DELETE:
        return true;
    default:
        return false;
    }
}

// The panel's key code for a key message (0: none).
int panelKey(HWND window, WPARAM virtualKey, LPARAM flags) {
    // An input method that still holds the key: the key it was.
    if (virtualKey == VK_PROCESSKEY) {
        virtualKey = ::ImmGetVirtualKey(window);
        if (virtualKey == 0 || virtualKey == VK_PROCESSKEY)
            virtualKey = ::MapVirtualKeyW(static_cast<UINT>(scanCodeOf(flags)), MAPVK_VSC_TO_VK);
    }
    if ((flags & kExtendedKey) == 0 && isKeypadNavigation(virtualKey))
        if (const int keypad = keypadKeyAt(scanCodeOf(flags))) return keypad;
    switch (virtualKey) {
    // The keypad's + and - do what the main keyboard's do.
    case VK_ADD:
        return VK_OEM_PLUS;
    case VK_SUBTRACT:
        return VK_OEM_MINUS;
    default:
        return static_cast<int>(virtualKey);
    }
}

// Window text is 8-bit, one character a byte (Latin-1), which are the first
// 256 characters of Unicode.
std::wstring wideFromLatin1(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (unsigned char c : text) out += static_cast<wchar_t>(c);
    return out;
}

UINT systemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kPanelDpi;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kPanelDpi;
}

// The window's own DPI where Windows has one per window (10 and later),
// else the system's.
UINT dpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window && getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    return systemDpi();
}

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

using FontChoice = std::tuple<std::string, int, int>;  // face, points, weight

// Text printed at one place in one font, kept so that printing the same text
// there again draws nothing, and so that a change of DPI can draw it again.
struct PrintedField {
    std::string text;
    int drawnX = 0;  // where it starts on the page, in pixels of the window's DPI
    RECT area{};
};

bool overlaps(const RECT& a, const RECT& b) {
    RECT common;
    return ::IntersectRect(&common, &a, &b) != 0;
}

}  // namespace

struct WindowsScreen::Impl {
    HWND window = nullptr;
    HDC page = nullptr;  // everything printed, copied to the window
    HBITMAP pageBitmap = nullptr;
    HGDIOBJ originalBitmap = nullptr;
    SIZE pageSize{};
    RECT unshown{};  // the part of the page printed since the last present
    std::map<std::tuple<int, int, FontChoice>, PrintedField> fields;  // by x, y and font
    UINT dpi = kPanelDpi;
    // The title set for braille, which the window opens with when it comes.
    std::optional<std::wstring> title;

    int x = 0, y = 0;  // at 96 dpi, as the panel gives them
    // Where the last print ended on the page: the next one goes on from
    // exactly there unless the panel moves.
    std::optional<int> drawX;
    std::string face;
    int points = kDefaultPoints;
    int weight = 0;
    HFONT font = nullptr;  // for face, points and weight at dpi; made on demand
    bool fontResolved = false;
    std::map<FontChoice, HFONT> fonts;  // at dpi

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
        for (const auto& [key, made] : fonts) ::DeleteObject(made);
        if (keptAwake) ::SetThreadExecutionState(ES_CONTINUOUS);
        if (messageFiber) ::DeleteFiber(messageFiber);
        if (madeThreadAFiber) ::ConvertFiberToThread();
        if (catchesConsole && runEnded) ::SetEvent(runEnded);
    }

    int scaled(int value) const { return ::MulDiv(value, static_cast<int>(dpi), kPanelDpi); }

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
        if (page) {
            ::SelectObject(page, originalBitmap);
            ::DeleteDC(page);
        }
        if (pageBitmap) ::DeleteObject(pageBitmap);
        window = nullptr;
        page = nullptr;
        pageBitmap = nullptr;
        fields.clear();
        unshown = {};
        for (auto& [id, timer] : timers) {
            if (!timer.onWindow) continue;
            timer.system = 0;
            startSystemTimer(timer);
        }
    }

    // A page as large as the desktop, so the window can grow without
    // anything printed being lost.
    bool makePage(int width, int height) {
        const int pageWidth = std::clamp(std::max(width, ::GetSystemMetrics(SM_CXVIRTUALSCREEN)), 1, kLargestWindow);
        const int pageHeight =
            std::clamp(std::max(height, ::GetSystemMetrics(SM_CYVIRTUALSCREEN)), 1, kLargestWindow);
        const HDC shown = ::GetDC(window);
        page = ::CreateCompatibleDC(shown);
        pageBitmap = page ? ::CreateCompatibleBitmap(shown, pageWidth, pageHeight) : nullptr;
        ::ReleaseDC(window, shown);
        if (!pageBitmap) return false;
        pageSize = {pageWidth, pageHeight};
        originalBitmap = ::SelectObject(page, pageBitmap);
        ::PatBlt(page, 0, 0, pageWidth, pageHeight, WHITENESS);
        ::SetBkMode(page, OPAQUE);
        ::SetBkColor(page, kPaper);
        ::SetTextColor(page, kInk);
        return true;
    }

    void markUnshown(const RECT& area) {
        if (::IsRectEmpty(&unshown))
            unshown = area;
        else
            ::UnionRect(&unshown, &unshown, &area);
    }

    void show(HDC shown, const RECT& area) {
        ::BitBlt(shown, area.left, area.top, area.right - area.left, area.bottom - area.top, page, area.left,
                 area.top, SRCCOPY);
    }

    void present() {
        if (!window || !page || ::IsRectEmpty(&unshown)) return;
        const HDC shown = ::GetDC(window);
        show(shown, unshown);
        ::ReleaseDC(window, shown);
        unshown = {};
    }

    void paint() {
        PAINTSTRUCT paintArea{};
        const HDC shown = ::BeginPaint(window, &paintArea);
        if (page) show(shown, paintArea.rcPaint);
        ::EndPaint(window, &paintArea);
    }

    HFONT fontFor(const FontChoice& choice) {
        if (auto it = fonts.find(choice); it != fonts.end()) return it->second;
        const auto& [chosenFace, chosenPoints, chosenWeight] = choice;
        // The panel's face name is a misspelling of Arial.
        const std::string name = chosenFace == "Ariel" || chosenFace.empty() ? "Arial" : chosenFace;
        const HFONT made = ::CreateFontW(-::MulDiv(chosenPoints, static_cast<int>(dpi), 72), 0, 0, 0,
                                         std::clamp(chosenWeight, 0, 1000), FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH | FF_SWISS, wideFromLatin1(name).c_str());
        if (made) fonts[choice] = made;
        return made;
    }

    HFONT currentFont() {
        if (fontResolved) return font;
        fontResolved = true;
        return font = fontFor({face, points, weight});
    }

    // Draws text at a place on the page and returns the area it covers.
    RECT draw(HFONT with, int left, int top, std::string_view text) {
        if (with) ::SelectObject(page, with);
        const std::wstring wide = wideFromLatin1(text);
        SIZE size{};
        ::GetTextExtentPoint32W(page, wide.c_str(), static_cast<int>(wide.size()), &size);
        ::TextOutW(page, left, top, wide.c_str(), static_cast<int>(wide.size()));
        return {left, top, left + size.cx, top + size.cy};
    }

    void print(std::string_view text) {
        const HFONT with = currentFont();
        const auto place = std::make_tuple(x, y, FontChoice{face, points, weight});
        const int left = drawX.value_or(scaled(x));
        // The panel reprints its fields on every reply from the radio; text
        // that is already there is not drawn again.
        if (auto it = fields.find(place); it != fields.end() && it->second.text == text) {
            advance(it->second.area.left, it->second.area.right - it->second.area.left);
            return;
        }
        const RECT drawn = draw(with, left, scaled(y), text);
        // Whatever this covered is no longer on the page as it was printed.
        std::erase_if(fields, [&](const auto& entry) { return overlaps(entry.second.area, drawn); });
        fields[place] = {std::string(text), left, drawn};
        markUnshown(drawn);
        advance(left, drawn.right - drawn.left);
    }

    void advance(int left, int width) {
        drawX = left + width;
        x += ::MulDiv(width, kPanelDpi, static_cast<int>(dpi));
    }

    // The window moved to a screen of another DPI (or the scale was changed):
    // everything printed is drawn again at the new size.
    void changeDpi(UINT newDpi) {
        if (newDpi == 0 || newDpi == dpi) return;
        const UINT oldDpi = dpi;
        dpi = newDpi;
        for (const auto& [key, made] : fonts) ::DeleteObject(made);
        fonts.clear();
        fontResolved = false;
        if (drawX) drawX = ::MulDiv(*drawX, static_cast<int>(dpi), static_cast<int>(oldDpi));
        if (!page) return;
        ::PatBlt(page, 0, 0, pageSize.cx, pageSize.cy, WHITENESS);
        for (auto& [place, field] : fields) {
            const auto& [fieldX, fieldY, choice] = place;
            field.drawnX = ::MulDiv(field.drawnX, static_cast<int>(dpi), static_cast<int>(oldDpi));
            field.area = draw(fontFor(choice), field.drawnX, scaled(fieldY), field.text);
        }
        unshown = {0, 0, pageSize.cx, pageSize.cy};
        if (window) ::InvalidateRect(window, nullptr, FALSE);
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
            s->changeDpi(LOWORD(wParam));
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
            s->paint();
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
    s.dpi = systemDpi();
    width = std::clamp(s.scaled(std::clamp(width, 1, kLargestWindow)), 1, kLargestWindow);
    height = std::clamp(s.scaled(std::clamp(height, 1, kLargestWindow)), 1, kLargestWindow);
    const std::wstring shownTitle = s.title ? *s.title : wideFromLatin1(title);
    s.window = ::CreateWindowExW(0, kWindowClass, shownTitle.c_str(), WS_OVERLAPPEDWINDOW,
                                 s.scaled(x), s.scaled(y), width, height, nullptr, nullptr, program, &s);
    if (!s.window || !s.makePage(width, height)) {
        std::fprintf(stderr, "vantor: cannot open the display window: %s\n",
                     systemMessage(::GetLastError()).c_str());
        s.destroyWindow();
        return false;
    }
    // On a screen of its own DPI the window takes that one.
    if (const UINT own = dpiOf(s.window); own != s.dpi) {
        const UINT was = s.dpi;
        s.changeDpi(own);
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

void WindowsScreen::moveTo(int x, int y) {
    impl_->x = x;
    impl_->y = y;
    impl_->drawX.reset();
}

void WindowsScreen::setFont(const std::string& face, int points, int weight) {
    Impl& s = *impl_;
    if (points <= 0) points = kDefaultPoints;
    points = std::min(points, kLargestPoints);
    if (s.fontResolved && face == s.face && points == s.points && weight == s.weight) return;
    s.face = face;
    s.points = points;
    s.weight = weight;
    s.fontResolved = false;
}

void WindowsScreen::print(std::string_view text) {
    Impl& s = *impl_;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    if (text.empty() || !s.window || !s.page) return;
    s.print(text);
}

void WindowsScreen::present() { impl_->present(); }

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
        if (s.pending.empty() && !s.pausedInLoop && !::IsRectEmpty(&s.unshown)) {
            s.present();
            s.pump();
        }
        // With events in hand the sources are only looked at, so that input
        // already there goes in the same batch.
        if (s.takeInput()) s.pending.push_back({kInputReady, 0});
        // Inside a loop of Windows' own the panel never sleeps here: what it
        // printed is shown on the way back to it.
        if (s.pausedInLoop) s.present();
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
