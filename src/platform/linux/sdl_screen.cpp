#include "platform/linux/sdl_screen.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>

#include "platform/linux/key_codes.h"

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
// The shortest timer period, as on the platform the design comes from.
constexpr int kShortestTimerMs = 10;
constexpr int kDefaultPoints = 12;
constexpr int kLargestPoints = 400;
constexpr int kLargestWindow = 16384;
constexpr int kBoldWeight = 600;
constexpr char kFallbackFontFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

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

struct TimerSlot {
    int id = 0;
    Uint32 eventType = 0;
    SDL_TimerID sdlTimer = 0;
    // True while a tick of this timer waits in the queue: ticks coalesce, so a
    // busy panel finds at most one.
    std::atomic<bool> tickWaiting{false};
};

Uint32 onTimer(Uint32 interval, void* param) {
    auto* slot = static_cast<TimerSlot*>(param);
    if (!slot->tickWaiting.exchange(true)) {
        SDL_Event event{};
        event.type = slot->eventType;
        event.user.code = slot->id;
        if (SDL_PushEvent(&event) <= 0) slot->tickWaiting = false;
    }
    return interval;
}

struct FontFile {
    std::string path;
    int index = 0;
    bool bold = false;
};

}  // namespace

struct SdlScreen::Impl {
    Uint32 startedSubsystems = 0;
    bool ttfStarted = false;
    bool fontconfigReady = false;
    Uint32 tickEventType = 0;

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_Surface* page = nullptr;  // everything printed; copied to the window

    int x = 0, y = 0;
    std::string face;
    int points = kDefaultPoints;
    int weight = 0;
    TTF_Font* font = nullptr;  // for face, points and weight; resolved on demand
    bool fontResolved = false;
    bool fontFailureReported = false;

    std::map<std::pair<std::string, bool>, FontFile> fontFiles;                  // face, bold
    std::map<std::tuple<std::string, int, int, bool>, TTF_Font*> openFonts;  // file, index, size, bold

    std::map<int, std::unique_ptr<TimerSlot>> timers;

    ~Impl() {
        for (auto& [id, slot] : timers)
            if (slot->sdlTimer != 0) SDL_RemoveTimer(slot->sdlTimer);
        destroyWindow();
        for (auto& [key, opened] : openFonts) TTF_CloseFont(opened);
        if (ttfStarted) TTF_Quit();
        // Quitting the timer subsystem waits for its thread, so no callback
        // can still hold a timer slot when the slots go.
        if (startedSubsystems != 0) SDL_QuitSubSystem(startedSubsystems);
        if (fontconfigReady) FcFini();
    }

    bool startSdl(Uint32 subsystems) {
        const Uint32 missing = subsystems & ~startedSubsystems;
        if (missing == 0) return true;
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        if (SDL_InitSubSystem(missing) != 0) return false;
        startedSubsystems |= missing;
        if (tickEventType == 0) {
            tickEventType = SDL_RegisterEvents(1);
            if (tickEventType == static_cast<Uint32>(-1)) tickEventType = 0;
        }
        return true;
    }

    void destroyWindow() {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        if (page) SDL_FreeSurface(page);
        texture = nullptr;
        renderer = nullptr;
        window = nullptr;
        page = nullptr;
    }

    // Makes the page (and the texture that carries it to the window) at least
    // the window's size, keeping what is on it.
    bool fitPage() {
        int width = 0, height = 0;
        SDL_GetWindowSize(window, &width, &height);
        width = std::clamp(width, 1, kLargestWindow);
        height = std::clamp(height, 1, kLargestWindow);
        if (page && page->w >= width && page->h >= height && texture) return true;
        if (page) {
            width = std::max(width, page->w);
            height = std::max(height, page->h);
        }
        SDL_Surface* bigger =
            SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        SDL_Texture* carrier = bigger ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                                          SDL_TEXTUREACCESS_STREAMING, width, height)
                                      : nullptr;
        if (!carrier) {
            if (bigger) SDL_FreeSurface(bigger);
            return page && texture;
        }
        SDL_FillRect(bigger, nullptr, SDL_MapRGB(bigger->format, kPaper.r, kPaper.g, kPaper.b));
        if (page) {
            SDL_BlitSurface(page, nullptr, bigger, nullptr);
            SDL_FreeSurface(page);
        }
        if (texture) SDL_DestroyTexture(texture);
        page = bigger;
        texture = carrier;
        return true;
    }

    void present() {
        if (!window || !fitPage()) return;
        SDL_UpdateTexture(texture, nullptr, page->pixels, page->pitch);
        SDL_SetRenderDrawColor(renderer, kPaper.r, kPaper.g, kPaper.b, kPaper.a);
        SDL_RenderClear(renderer);
        SDL_Rect all{0, 0, page->w, page->h};
        SDL_RenderCopy(renderer, texture, nullptr, &all);
        SDL_RenderPresent(renderer);
    }

    FontFile findFontFile(const std::string& wantedFace, bool bold) {
        const auto key = std::make_pair(wantedFace, bold);
        if (auto it = fontFiles.find(key); it != fontFiles.end()) return it->second;
        FontFile found;
        if (!fontconfigReady) fontconfigReady = FcInit() == FcTrue;
        if (fontconfigReady) {
            FcPattern* pattern = FcPatternCreate();
            const std::string family = wantedFace.empty() ? "sans-serif" : wantedFace;
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
            FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
            FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
            FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
            FcDefaultSubstitute(pattern);
            FcResult result = FcResultNoMatch;
            FcPattern* match = FcFontMatch(nullptr, pattern, &result);
            FcChar8* file = nullptr;
            if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
                found.path = reinterpret_cast<const char*>(file);
                FcPatternGetInteger(match, FC_INDEX, 0, &found.index);
                int matchedWeight = FC_WEIGHT_REGULAR;
                FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
                found.bold = matchedWeight >= FC_WEIGHT_DEMIBOLD;
            }
            if (match) FcPatternDestroy(match);
            FcPatternDestroy(pattern);
        }
        if (found.path.empty()) found.path = kFallbackFontFile;
        fontFiles[key] = found;
        return found;
    }

    TTF_Font* currentFont() {
        if (fontResolved) return font;
        fontResolved = true;
        font = nullptr;
        if (!ttfStarted) {
            if (TTF_Init() != 0) return reportFontFailure(TTF_GetError());
            ttfStarted = true;
        }
        const bool bold = weight >= kBoldWeight;
        const FontFile file = findFontFile(face, bold);
        const bool makeBold = bold && !file.bold;
        const auto key = std::make_tuple(file.path, file.index, points, makeBold);
        if (auto it = openFonts.find(key); it != openFonts.end()) return font = it->second;
        TTF_Font* opened = TTF_OpenFontIndex(file.path.c_str(), points, file.index);
        if (!opened) return reportFontFailure(TTF_GetError());
        if (makeBold) TTF_SetFontStyle(opened, TTF_STYLE_BOLD);
        openFonts[key] = opened;
        return font = opened;
    }

    TTF_Font* reportFontFailure(const char* reason) {
        if (!fontFailureReported) {
            fontFailureReported = true;
            std::fprintf(stderr, "vantor: no font for \"%s\": the window shows no text (%s)\n",
                         face.c_str(), reason);
        }
        return nullptr;
    }

    TimerSlot* timer(int id) {
        auto it = timers.find(id);
        return it == timers.end() ? nullptr : it->second.get();
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
                present();
                return;
            default:
                return;
            }
        default:
            if (tickEventType != 0 && event.type == tickEventType) {
                TimerSlot* slot = timer(event.user.code);
                if (!slot) return;
                slot->tickWaiting = false;
                if (slot->sdlTimer != 0) out.push_back({kTimerTick, slot->id});
            }
            return;
        }
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
    if (!s.startSdl(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS)) {
        std::fprintf(stderr, "vantor: cannot open the display: %s\n", SDL_GetError());
        return false;
    }
    // Without a display SDL falls back to a window nobody can see or type
    // into; the panel would run deaf to keys. Only an explicit request for
    // such a driver (SDL_VIDEODRIVER) is honoured.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                                      std::strcmp(driver, "evdev") == 0);
    if (invisible && !std::getenv("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "vantor: cannot open the display: no display server (is DISPLAY set?)\n");
        return false;
    }
    width = std::clamp(width, 1, kLargestWindow);
    height = std::clamp(height, 1, kLargestWindow);
    s.window = SDL_CreateWindow(utf8FromLatin1(title).c_str(), x, y, width, height,
                                SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (s.window) {
        s.renderer = SDL_CreateRenderer(s.window, -1, 0);
        if (!s.renderer) s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!s.window || !s.renderer || !s.fitPage()) {
        std::fprintf(stderr, "vantor: cannot open the display window: %s\n", SDL_GetError());
        s.destroyWindow();
        return false;
    }
    // Keys are read as keys; no input method should swallow them.
    SDL_StopTextInput();
    SDL_RaiseWindow(s.window);
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
    const std::string utf8 = utf8FromLatin1(text);
    SDL_Surface* rendered = TTF_RenderUTF8_Shaded(font, utf8.c_str(), kInk, kPaper);
    if (!rendered) return;
    SDL_Rect where{s.x, s.y, rendered->w, rendered->h};
    SDL_BlitSurface(rendered, nullptr, s.page, &where);
    s.x += rendered->w;
    SDL_FreeSurface(rendered);
    s.present();
}

void SdlScreen::startTimer(int id, int periodMs) {
    Impl& s = *impl_;
    if (!s.startSdl(SDL_INIT_TIMER | SDL_INIT_EVENTS) || s.tickEventType == 0) {
        std::fprintf(stderr, "vantor: timer %d cannot start: %s\n", id, SDL_GetError());
        return;
    }
    auto& slot = s.timers[id];
    if (!slot) {
        slot = std::make_unique<TimerSlot>();
        slot->id = id;
        slot->eventType = s.tickEventType;
    }
    if (slot->sdlTimer != 0) SDL_RemoveTimer(slot->sdlTimer);
    const int period = std::max(periodMs, kShortestTimerMs);
    slot->sdlTimer = SDL_AddTimer(static_cast<Uint32>(period), onTimer, slot.get());
    if (slot->sdlTimer == 0) std::fprintf(stderr, "vantor: timer %d cannot start: %s\n", id, SDL_GetError());
}

void SdlScreen::stopTimer(int id) {
    TimerSlot* slot = impl_->timer(id);
    if (!slot || slot->sdlTimer == 0) return;
    SDL_RemoveTimer(slot->sdlTimer);
    slot->sdlTimer = 0;
}

std::vector<WindowEvent> SdlScreen::waitEvents() {
    Impl& s = *impl_;
    std::vector<WindowEvent> events;
    bool closeSeen = false;
    // With no window and no timer nothing could ever arrive: the panel is done.
    const bool timerRunning = std::any_of(s.timers.begin(), s.timers.end(),
                                          [](const auto& entry) { return entry.second->sdlTimer != 0; });
    if (!s.window && !timerRunning) return {{kCloseRequest, 0}};
    while (events.empty()) {
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, kSignalCheckMs)) {
            s.translate(event, events, closeSeen);
            while (SDL_PollEvent(&event)) s.translate(event, events, closeSeen);
        }
        if (takeCloseSignal() && !closeSeen) {
            events.push_back({kCloseRequest, 0});
            closeSeen = true;
        }
    }
    return events;
}

}  // namespace vantor
