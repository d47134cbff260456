#include "platform/linux/sdl_screen.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>
#include <poll.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>

#include "platform/linux/key_codes.h"
#include "platform/linux/sdl_fonts.h"
#include "platform/linux/x11_connection.h"

namespace vantor {

namespace {

volatile std::sig_atomic_t closeSignalPending = 0;

void onCloseSignal(int signalNumber) {
    if (closeSignalPending) {
        // The first request was never taken: the panel is stuck, so let the
        // signal end it as it would without us.
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    closeSignalPending = 1;
}

bool takeCloseSignal() {
    if (!closeSignalPending) return false;
    closeSignalPending = 0;
    return true;
}

// How often waitEvents looks for a close signal while nothing else happens.
constexpr Uint32 kSignalCheckMs = 100;
// A window on a server whose connection cannot be watched is looked at this
// often while the wait watches the serial ports and sockets.
constexpr int kUnwatchedWindowSliceMs = 10;
// SDL's queue is emptied in batches of this many events.
constexpr int kEventBatch = 32;
// The shortest timer period, as on the platform the design comes from.
constexpr int kShortestTimerMs = 10;
constexpr int kDefaultPoints = 12;
constexpr int kLargestPoints = 400;
constexpr int kLargestWindow = 16384;
constexpr int kBoldWeight = 600;

const SDL_Color kInk{0, 0, 0, 255};
const SDL_Color kPaper{255, 255, 255, 255};

// Window text is 8-bit, one character a byte (Latin-1).
std::string utf8FromLatin1(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// A timer is a deadline that waitEvents keeps: no timer thread wakes the
// process, and a busy panel finds at most one tick of each timer waiting.
struct TimerSlot {
    int periodMs = 0;
    Uint64 dueMs = 0;
};

// Text printed at one place in one font, kept so that printing the same text
// there again draws nothing.
struct PrintedField {
    std::string text;
    SDL_Rect area{};
};

bool overlaps(const SDL_Rect& a, const SDL_Rect& b) { return SDL_HasIntersection(&a, &b) == SDL_TRUE; }

}  // namespace

struct SdlScreen::Impl {
    Uint32 startedSubsystems = 0;

    // The window is drawn in software straight onto its own surface: for a
    // few lines of text that costs far less than a GPU renderer, which under
    // a plain X server runs as a pool of busy threads.
    SDL_Window* window = nullptr;
    SDL_Surface* page = nullptr;  // everything printed; copied to the window
    SDL_Rect unshown{};           // the part of the page printed since the last present
    bool wholeWindowStale = false;
    std::map<std::tuple<int, int, TTF_Font*>, PrintedField> fields;  // by x, y and font

    int x = 0, y = 0;
    std::string face;
    int points = kDefaultPoints;
    int weight = 0;
    TTF_Font* font = nullptr;  // for face, points and weight; resolved on demand
    bool fontResolved = false;
    bool fontFailureReported = false;

    SdlFonts fonts;

    std::map<int, TimerSlot> timers;  // running timers by id

    int displayFd = -1;  // the window's server connection; -1 when unknown
    std::vector<DescriptorSource*> sources;
    std::vector<pollfd> watched;                  // for one wait, and
    std::vector<DescriptorSource*> watchedOwner;  // the source of each but the window's

    ~Impl() {
        destroyWindow();
        if (startedSubsystems != 0) SDL_QuitSubSystem(startedSubsystems);
    }

    bool startSdl(Uint32 subsystems) {
        const Uint32 missing = subsystems & ~startedSubsystems;
        if (missing == 0) return true;
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        if (SDL_InitSubSystem(missing) != 0) return false;
        startedSubsystems |= missing;
        return true;
    }

    void destroyWindow() {
        if (window) SDL_DestroyWindow(window);
        if (page) SDL_FreeSurface(page);
        window = nullptr;
        page = nullptr;
        displayFd = -1;
        fields.clear();
        unshown = {};
    }

    // Makes the page at least the window's size, keeping what is on it.
    bool fitPage() {
        int width = 0, height = 0;
        SDL_GetWindowSize(window, &width, &height);
        width = std::clamp(width, 1, kLargestWindow);
        height = std::clamp(height, 1, kLargestWindow);
        if (page && page->w >= width && page->h >= height) return true;
        if (page) {
            width = std::max(width, page->w);
            height = std::max(height, page->h);
        }
        SDL_Surface* bigger = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        if (!bigger) return page != nullptr;
        SDL_FillRect(bigger, nullptr, SDL_MapRGB(bigger->format, kPaper.r, kPaper.g, kPaper.b));
        if (page) {
            SDL_BlitSurface(page, nullptr, bigger, nullptr);
            SDL_FreeSurface(page);
        }
        page = bigger;
        wholeWindowStale = true;
        return true;
    }

    bool needsPresent() const { return window && (wholeWindowStale || !SDL_RectEmpty(&unshown)); }

    void markUnshown(const SDL_Rect& area) {
        if (SDL_RectEmpty(&unshown))
            unshown = area;
        else
            SDL_UnionRect(&unshown, &area, &unshown);
    }

    // Copies what changed on the page to the window. The window's surface
    // belongs to SDL and is remade when the window changes size, so after
    // that the whole page goes over.
    void present() {
        if (!window || (!wholeWindowStale && SDL_RectEmpty(&unshown))) return;
        if (!fitPage()) return;
        SDL_Surface* shown = SDL_GetWindowSurface(window);
        if (!shown) return;
        SDL_Rect area = wholeWindowStale ? SDL_Rect{0, 0, shown->w, shown->h} : unshown;
        SDL_Rect target = area;
        SDL_BlitSurface(page, &area, shown, &target);
        SDL_Rect visible{0, 0, shown->w, shown->h};
        if (SDL_IntersectRect(&area, &visible, &area) == SDL_TRUE)
            SDL_UpdateWindowSurfaceRects(window, &area, 1);
        wholeWindowStale = false;
        unshown = {};
    }

    TTF_Font* currentFont() {
        if (fontResolved) return font;
        fontResolved = true;
        std::string why;
        font = fonts.open(face, points, weight >= kBoldWeight, why);
        if (!font && !fontFailureReported) {
            fontFailureReported = true;
            std::fprintf(stderr, "vantor: no font for \"%s\": the window shows no text (%s)\n", face.c_str(),
                         why.c_str());
        }
        return font;
    }

    void translate(const SDL_Event& event, std::vector<WindowEvent>& out, bool& closeSeen) {
        auto requestClose = [&] {
            if (!closeSeen) out.push_back({kCloseRequest, 0});
            closeSeen = true;
        };
        switch (event.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (const int key = virtualKeyFor(event.key.keysym.scancode, event.key.keysym.sym))
                    out.push_back({event.type == SDL_KEYDOWN ? kKeyDown : kKeyUp, key});
                return;
            case SDL_QUIT:
                requestClose();
                return;
            case SDL_WINDOWEVENT:
                switch (event.window.event) {
                    case SDL_WINDOWEVENT_CLOSE:
                        requestClose();
                        return;
                    case SDL_WINDOWEVENT_EXPOSED:
                    case SDL_WINDOWEVENT_SHOWN:
                    case SDL_WINDOWEVENT_RESTORED:
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                        wholeWindowStale = true;
                        return;
                    default:
                        return;
                }
            default:
                return;
        }
    }

    // One tick for each timer that has come due. A timer late by several
    // periods (the panel was speaking) ticks once and keeps its rhythm from now.
    void addDueTicks(std::vector<WindowEvent>& out) {
        const Uint64 now = SDL_GetTicks64();
        for (auto& [id, slot] : timers) {
            if (now < slot.dueMs) continue;
            out.push_back({kTimerTick, id});
            for (DescriptorSource* source : sources) source->watchAll();
            slot.dueMs += static_cast<Uint64>(slot.periodMs);
            if (slot.dueMs <= now) slot.dueMs = now + static_cast<Uint64>(slot.periodMs);
        }
    }

    // How long the wait for events may sleep: until the next tick, and never
    // so long that a close signal waits.
    int sleepMs() const {
        const Uint64 now = SDL_GetTicks64();
        Uint64 sleep = kSignalCheckMs;
        for (const auto& [id, slot] : timers)
            sleep = std::min(sleep, slot.dueMs > now ? slot.dueMs - now : 0);
        return static_cast<int>(sleep);
    }

    // Everything the window's server has sent. Drawing can leave events in
    // Xlib's queue, where the connection's descriptor no longer shows them,
    // so this comes after drawing and before sleeping.
    void takeWindowEvents(std::vector<WindowEvent>& out, bool& closeSeen) {
        SDL_PumpEvents();
        SDL_Event batch[kEventBatch];
        int n;
        while ((n = SDL_PeepEvents(batch, kEventBatch, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0)
            for (int i = 0; i < n; ++i) translate(batch[i], out, closeSeen);
    }

    // Sleeps until the window's server sends something, input is waiting on
    // a watched descriptor, or the time is up; true for watched input. A
    // descriptor reported here is left out until the panel reads from it or
    // a timer ticks, so input left unread or a hung-up line wakes the panel
    // at most once a tick.
    bool waitForInput(int timeoutMs) {
        watched.clear();
        watchedOwner.clear();
        for (DescriptorSource* source : sources) {
            source->addWatched(watched);
            watchedOwner.resize(watched.size(), source);
        }
        if (displayFd >= 0)
            watched.push_back({displayFd, POLLIN, 0});
        else
            timeoutMs = std::min(timeoutMs, kUnwatchedWindowSliceMs);
        // A signal cuts the sleep short; the next round takes it.
        if (::poll(watched.data(), watched.size(), timeoutMs) <= 0) return false;
        bool ready = false;
        for (std::size_t i = 0; i < watchedOwner.size(); ++i) {
            if (watched[i].revents == 0) continue;
            watchedOwner[i]->reported(watched[i].fd);
            ready = true;
        }
        return ready;
    }

    // Without a window only SDL's own events and the timers can wake the panel.
    void waitWithoutWindow(int timeoutMs, std::vector<WindowEvent>& out, bool& closeSeen) {
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, timeoutMs)) return;
        translate(event, out, closeSeen);
        while (SDL_PollEvent(&event)) translate(event, out, closeSeen);
    }
};

SdlScreen::SdlScreen() : impl_(std::make_unique<Impl>()) {}

SdlScreen::~SdlScreen() = default;

void SdlScreen::catchCloseSignals() {
    struct sigaction action {};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool SdlScreen::openWindow(int x, int y, int width, int height, const std::string& title) {
    catchCloseSignals();
    Impl& s = *impl_;
    if (s.window) closeWindow();
    if (!s.startSdl(SDL_INIT_VIDEO | SDL_INIT_EVENTS)) {
        std::fprintf(stderr, "vantor: cannot open the display: %s\n", SDL_GetError());
        return false;
    }
    // Without a display SDL falls back to a window nobody can see or type
    // into; the panel would run deaf to keys. Only an explicit request for
    // such a driver (SDL_VIDEODRIVER) is honoured.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 ||
                                      std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "evdev") == 0);
    if (invisible && !std::getenv("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "vantor: cannot open the display: no display server (is DISPLAY set?)\n");
        return false;
    }
    width = std::clamp(width, 1, kLargestWindow);
    height = std::clamp(height, 1, kLargestWindow);
    // SDL would otherwise carry the window's surface through its GPU renderer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    s.window = SDL_CreateWindow(utf8FromLatin1(title).c_str(), x, y, width, height,
                                SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (!s.window || !s.fitPage() || !SDL_GetWindowSurface(s.window)) {
        std::fprintf(stderr, "vantor: cannot open the display window: %s\n", SDL_GetError());
        s.destroyWindow();
        return false;
    }
    // Keys are read as keys; no input method should swallow them.
    SDL_StopTextInput();
    SDL_RaiseWindow(s.window);
    s.displayFd = displayConnection(s.window);
    s.present();
    return true;
}

void SdlScreen::closeWindow() { impl_->destroyWindow(); }

void SdlScreen::moveTo(int x, int y) {
    impl_->x = x;
    impl_->y = y;
}

void SdlScreen::setFont(const std::string& face, int points, int weight) {
    Impl& s = *impl_;
    if (points <= 0) points = kDefaultPoints;
    points = std::min(points, kLargestPoints);
    if (s.fontResolved && face == s.face && points == s.points &&
        (weight >= kBoldWeight) == (s.weight >= kBoldWeight))
        return;
    if (face != s.face) s.fontFailureReported = false;
    s.face = face;
    s.points = points;
    s.weight = weight;
    s.fontResolved = false;
}

void SdlScreen::print(std::string_view text) {
    Impl& s = *impl_;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    if (text.empty() || !s.window || !s.page) return;
    TTF_Font* font = s.currentFont();
    if (!font) return;
    // The panel reprints its fields on every reply from the radio; text that
    // is already there is not drawn again.
    const auto place = std::make_tuple(s.x, s.y, font);
    if (auto it = s.fields.find(place); it != s.fields.end() && it->second.text == text) {
        s.x += it->second.area.w;
        return;
    }
    const std::string utf8 = utf8FromLatin1(text);
    SDL_Surface* rendered = TTF_RenderUTF8_Shaded(font, utf8.c_str(), kInk, kPaper);
    if (!rendered) return;
    SDL_Rect where{s.x, s.y, rendered->w, rendered->h};
    const SDL_Rect drawn = where;
    SDL_BlitSurface(rendered, nullptr, s.page, &where);
    SDL_FreeSurface(rendered);
    // Whatever this covered is no longer on the page as it was printed.
    std::erase_if(s.fields, [&](const auto& entry) { return overlaps(entry.second.area, drawn); });
    s.fields[place] = {std::string(text), drawn};
    s.markUnshown(drawn);
    s.x += drawn.w;
}

void SdlScreen::present() { impl_->present(); }

void SdlScreen::startTimer(int id, int periodMs) {
    Impl& s = *impl_;
    if (!s.startSdl(SDL_INIT_EVENTS)) {
        std::fprintf(stderr, "vantor: timer %d cannot start: %s\n", id, SDL_GetError());
        return;
    }
    const int period = std::max(periodMs, kShortestTimerMs);
    s.timers[id] = {period, SDL_GetTicks64() + static_cast<Uint64>(period)};
}

void SdlScreen::stopTimer(int id) { impl_->timers.erase(id); }

void SdlScreen::watch(DescriptorSource& source) { impl_->sources.push_back(&source); }

std::vector<WindowEvent> SdlScreen::waitEvents() {
    Impl& s = *impl_;
    std::vector<WindowEvent> events;
    bool closeSeen = false;
    // With no window and no timer nothing could ever arrive: the panel is done.
    if (!s.window && s.timers.empty()) return {{kCloseRequest, 0}};
    for (;;) {
        if (s.window) {
            // A key already waiting goes first; what the last batch printed is
            // shown once, before the panel sleeps (again if the window was
            // uncovered meanwhile).
            s.takeWindowEvents(events, closeSeen);
            for (int round = 0; round < 2 && events.empty() && s.needsPresent(); ++round) {
                s.present();
                s.takeWindowEvents(events, closeSeen);
            }
        }
        if (takeCloseSignal() && !closeSeen) {
            events.push_back({kCloseRequest, 0});
            closeSeen = true;
        }
        s.addDueTicks(events);
        // With events in hand the descriptors are only looked at, so that
        // input already there goes in the same batch.
        const int sleepMs = events.empty() ? s.sleepMs() : 0;
        if (!s.window)
            s.waitWithoutWindow(sleepMs, events, closeSeen);
        else if (s.waitForInput(sleepMs))
            events.push_back({kInputReady, 0});
        if (!events.empty()) return events;
    }
}

}  // namespace vantor
