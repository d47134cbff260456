// The window's events. Most of the window needs a display (the end-to-end
// tests run it under a virtual one); without DISPLAY only the first test runs.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/linux/sdl_screen.h"
#include "work_dir.h"

namespace vantor {
namespace {

TEST(ScreenWithoutWindow, WaitingForNothingEndsThePanel) {
    SdlScreen screen;
    screen.moveTo(10, 10);
    screen.setFont("Ariel", 12, 700);
    screen.print("no window yet");
    const std::vector<WindowEvent> events = screen.waitEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, kCloseRequest);
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
        ASSERT_TRUE(screen.openWindow(20, 20, 400, 200, "Vantor test"));
    }
    // How often the event is in the first batch that holds it (within a bound).
    int countInBatchWith(int message, int parameter) {
        for (int batch = 0, n = 0; batch < 100; ++batch) {
            for (const WindowEvent& e : screen.waitEvents())
                n += e.message == message && e.parameter == parameter;
            if (n > 0) return n;
        }
        return 0;
    }
    SdlScreen screen;
};

TEST_F(ScreenTest, SignalsBecomeCloseRequestsAndTicksDoNotPileUp) {
    for (int signalNumber : {SIGINT, SIGTERM}) {
        std::raise(signalNumber);
        EXPECT_EQ(countInBatchWith(kCloseRequest, 0), 1) << signalNumber;
    }
    screen.startTimer(1, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // many periods while the panel is busy
    EXPECT_EQ(countInBatchWith(kTimerTick, 1), 1);
}

TEST_F(ScreenTest, TextIsDrawnInTheAskedOrFallbackFace) {
    testing::StderrCapture errors;
    for (const char* face : {"Ariel", "Arial", "DejaVu Sans", "", "No Such Face At All"}) {
        for (int weight : {0, 400, 700}) {
            screen.setFont(face, 14, weight);
            screen.moveTo(5, 5);
            screen.print("Freq 14.250.000 \xb5V caf\xe9\r\n");
            screen.print("\r\n");
        }
    }
    screen.setFont("Ariel", 0, 400);
    screen.print("default size");
    EXPECT_EQ(errors.text(), "");
}

// Share of the window's pixels in the area that are not white paper.
double inkIn(const SDL_Rect& area) {
    SDL_Window* window = SDL_GetWindowFromID(1);
    SDL_Surface* shown = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!shown || SDL_LockSurface(shown) != 0) return -1;
    int ink = 0;
    for (int y = area.y; y < area.y + area.h; ++y)
        for (int x = area.x; x < area.x + area.w; ++x) {
            Uint32 pixel = 0;
            std::memcpy(&pixel, static_cast<Uint8*>(shown->pixels) + y * shown->pitch + x * 4, 4);
            Uint8 r = 0, g = 0, b = 0;
            SDL_GetRGB(pixel, shown->format, &r, &g, &b);
            ink += r < 128 && g < 128 && b < 128;
        }
    SDL_UnlockSurface(shown);
    return static_cast<double>(ink) / (area.w * area.h);
}

TEST_F(ScreenTest, TheWindowShowsEachFieldAsLastPrintedOnceWaitingStarts) {
    screen.setFont("Ariel", 30, 700);
    screen.startTimer(1, 10);
    const SDL_Rect field{100, 50, 60, 30};  // inside "MMMM" printed at (100, 50)
    struct Step {
        int x;
        const char* text;
        bool inked;  // the field afterwards
    };
    const Step steps[] = {
        {100, "MMMM", true},
        {100, "MMMM", true},           // the same text again draws nothing new
        {100, "            ", false},  // blanks over it, at the same place
        {100, "MMMM", true},
        {60, "            ", false},   // blanks from elsewhere cover it
        {100, "MMMM", true},           // so the same text is drawn again
    };
    for (const Step& step : steps) {
        screen.moveTo(step.x, 50);
        screen.print(step.text);
        screen.waitEvents();  // a tick ends it; presenting comes first
        const double ink = inkIn(field);
        EXPECT_EQ(ink > 0.05, step.inked) << step.x << " \"" << step.text << "\": " << ink;
    }
}

}  // namespace
}  // namespace vantor
