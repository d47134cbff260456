#include "platform/windows/windows_screen.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <tuple>

#include "platform/windows/windows_errors.h"

namespace vantor {

namespace {

constexpr wchar_t kWindowClass[] = L"VantorPanel";
// The shortest timer period Windows keeps.
constexpr int kShortestTimerMs = 10;
constexpr int kDefaultPoints = 12;
constexpr int kLargestPoints = 400;
constexpr int kLargestWindow = 16384;
// How long closing the console waits for the panel to save and unkey, well
// inside the time Windows gives a console program.
constexpr DWORD kConsoleCloseWaitMs = 4500;
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kPaper = RGB(255, 255, 255);

// The keypad's + and - do what the main keyboard's do.
int panelKey(WPARAM virtualKey) {
    switch (virtualKey) {
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

// The console the panel may have been started from.
std::atomic<DWORD> consoleOwnerThread{0};
HANDLE windowClosed = nullptr;

BOOL WINAPI onConsoleClose(DWORD kind) {
    const DWORD thread = consoleOwnerThread.load();
    if (thread == 0) return FALSE;
    ::PostThreadMessageW(thread, WM_CLOSE, 0, 0);
    // For these Windows ends the process as soon as this returns.
    if (kind == CTRL_CLOSE_EVENT || kind == CTRL_LOGOFF_EVENT || kind == CTRL_SHUTDOWN_EVENT)
        ::WaitForSingleObject(windowClosed, kConsoleCloseWaitMs);
    return TRUE;
}

// Text printed at one place in one font, kept so that printing the same text
// there again draws nothing.
struct PrintedField {
    std::string text;
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
    RECT unshown{};  // the part of the page printed since the last present
    std::map<std::tuple<int, int, HFONT>, PrintedField> fields;  // by x, y and font

    int x = 0, y = 0;
    std::string face;
    int points = kDefaultPoints;
    int weight = 0;
    HFONT font = nullptr;  // for face, points and weight; made on demand
    bool fontResolved = false;
    std::map<std::tuple<std::string, int, int>, HFONT> fonts;

    std::map<int, UINT_PTR> timers;  // the system's timer for each of the panel's

    std::vector<WaitSource*> sources;
    std::vector<WindowEvent> pending;  // what the window procedure heard
    // Windows asked whether the session may end: no more messages are taken
    // until the panel has had the close request, so the end of the session
    // cannot come before the panel has unkeyed and saved.
    bool sessionEnding = false;

    Impl() {
        if (!windowClosed) windowClosed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }

    ~Impl() {
        destroyWindow();
        for (const auto& [id, timer] : timers) ::KillTimer(nullptr, timer);
        for (const auto& [key, made] : fonts) ::DeleteObject(made);
    }

    void requestClose() {
        const bool already = std::any_of(pending.begin(), pending.end(),
                                         [](const WindowEvent& e) { return e.message == kCloseRequest; });
        if (!already) pending.push_back({kCloseRequest, 0});
    }

    void destroyWindow() {
        if (window) {
            // The window procedure must not reach a screen that is going.
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
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
        if (windowClosed) ::SetEvent(windowClosed);
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

    HFONT currentFont() {
        if (fontResolved) return font;
        fontResolved = true;
        const auto key = std::make_tuple(face, points, weight);
        if (auto it = fonts.find(key); it != fonts.end()) return font = it->second;
        // The panel's face name is a misspelling of Arial.
        const std::string name = face == "Ariel" || face.empty() ? "Arial" : face;
        const HDC screen = ::GetDC(nullptr);
        const int pixelsPerInch = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ::ReleaseDC(nullptr, screen);
        font = ::CreateFontW(-::MulDiv(points, pixelsPerInch, 72), 0, 0, 0, std::clamp(weight, 0, 1000), FALSE,
                             FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, wideFromLatin1(name).c_str());
        if (font) fonts[key] = font;
        return font;
    }

    // A tick for a timer the panel started; a stale one of a stopped timer is dropped.
    void timerTick(UINT_PTR timer) {
        for (const auto& [id, running] : timers) {
            if (running != timer) continue;
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
                if (message.message == WM_TIMER) timerTick(message.wParam);
                // Posted by the console's Ctrl-C handler.
                if (message.message == WM_CLOSE || message.message == WM_QUIT) requestClose();
                continue;
            }
            ::DispatchMessageW(&message);
        }
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
            s->pending.push_back({message == WM_KEYDOWN ? kKeyDown : kKeyUp, panelKey(wParam)});
            return 0;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            // F10 alone comes as a system key; with Alt held these stay
            // Windows' own (Alt+F4 closes the window).
            if (wParam == VK_F10 && (lParam & (1 << 29)) == 0) {
                s->pending.push_back({message == WM_SYSKEYDOWN ? kKeyDown : kKeyUp, VK_F10});
                return 0;
            }
            break;
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
    consoleOwnerThread = ::GetCurrentThreadId();
    ::SetConsoleCtrlHandler(onConsoleClose, TRUE);
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
    width = std::clamp(width, 1, kLargestWindow);
    height = std::clamp(height, 1, kLargestWindow);
    if (windowClosed) ::ResetEvent(windowClosed);
    s.window = ::CreateWindowExW(0, kWindowClass, wideFromLatin1(title).c_str(), WS_OVERLAPPEDWINDOW, x, y, width,
                                 height, nullptr, nullptr, program, &s);
    if (!s.window || !s.makePage(width, height)) {
        std::fprintf(stderr, "vantor: cannot open the display window: %s\n",
                     systemMessage(::GetLastError()).c_str());
        s.destroyWindow();
        return false;
    }
    ::ShowWindow(s.window, SW_SHOWNORMAL);
    ::UpdateWindow(s.window);
    ::SetForegroundWindow(s.window);
    return true;
}

void WindowsScreen::closeWindow() { impl_->destroyWindow(); }

void WindowsScreen::moveTo(int x, int y) {
    impl_->x = x;
    impl_->y = y;
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
    const HFONT font = s.currentFont();
    if (font) ::SelectObject(s.page, font);
    // The panel reprints its fields on every reply from the radio; text that
    // is already there is not drawn again.
    const auto place = std::make_tuple(s.x, s.y, font);
    if (auto it = s.fields.find(place); it != s.fields.end() && it->second.text == text) {
        s.x += it->second.area.right - it->second.area.left;
        return;
    }
    const std::wstring wide = wideFromLatin1(text);
    SIZE size{};
    ::GetTextExtentPoint32W(s.page, wide.c_str(), static_cast<int>(wide.size()), &size);
    ::TextOutW(s.page, s.x, s.y, wide.c_str(), static_cast<int>(wide.size()));
    const RECT drawn{s.x, s.y, s.x + size.cx, s.y + size.cy};
    // Whatever this covered is no longer on the page as it was printed.
    std::erase_if(s.fields, [&](const auto& entry) { return overlaps(entry.second.area, drawn); });
    s.fields[place] = {std::string(text), drawn};
    s.markUnshown(drawn);
    s.x += size.cx;
}

void WindowsScreen::present() { impl_->present(); }

void WindowsScreen::startTimer(int id, int periodMs) {
    Impl& s = *impl_;
    stopTimer(id);
    const UINT period = static_cast<UINT>(std::max(periodMs, kShortestTimerMs));
    // A thread timer: it ticks with or without the window.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, period, nullptr);
    if (timer == 0) {
        std::fprintf(stderr, "vantor: timer %d cannot start: %s\n", id, systemMessage(::GetLastError()).c_str());
        return;
    }
    s.timers[id] = timer;
}

void WindowsScreen::stopTimer(int id) {
    Impl& s = *impl_;
    if (auto it = s.timers.find(id); it != s.timers.end()) {
        ::KillTimer(nullptr, it->second);
        s.timers.erase(it);
    }
}

void WindowsScreen::watch(WaitSource& source) { impl_->sources.push_back(&source); }

std::vector<WindowEvent> WindowsScreen::waitEvents() {
    Impl& s = *impl_;
    // With no window and no timer nothing could ever arrive: the panel is done.
    if (!s.window && s.timers.empty()) return {{kCloseRequest, 0}};
    for (;;) {
        // A key already waiting goes first; what the last batch printed is
        // shown once, before the panel sleeps.
        s.takeMessages();
        if (s.pending.empty() && !::IsRectEmpty(&s.unshown)) {
            s.present();
            s.takeMessages();
        }
        // With events in hand the sources are only looked at, so that input
        // already there goes in the same batch.
        if (s.takeInput()) s.pending.push_back({kInputReady, 0});
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
