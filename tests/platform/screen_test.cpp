// The window's events. Most of the window needs a display (the end-to-end
// tests run it under a virtual one); without DISPLAY only the first test runs.

#include <gtest/gtest.h>

#include <csignal>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/linux/sdl_screen.h"
#include "work_dir.h"

namespace vantor {
namespace {

bool operator==(const WindowEvent& a, const WindowEvent& b) {
    return a.message == b.message && a.parameter == b.parameter;
}

int count(const std::vector<WindowEvent>& events, WindowEvent wanted) {
    int n = 0;
    for (const WindowEvent& e : events) n += e == wanted;
    return n;
}

TEST(ScreenWithoutWindow, WaitingForNothingEndsThePanel) {
    SdlScreen screen;
    screen.moveTo(10, 10);
    screen.setFont("Ariel", 12, 700);
    screen.print("no window yet");
    const std::vector<WindowEvent> events = screen.waitEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0] == (WindowEvent{kCloseRequest, 0}));
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
        ASSERT_TRUE(screen.openWindow(20, 20, 400, 200, "Vantor test"));
    }
    // Waits (boundedly) for a batch holding the wanted event.
    std::vector<WindowEvent> batchWith(WindowEvent wanted) {
        for (int batch = 0; batch < 100; ++batch) {
            std::vector<WindowEvent> events = screen.waitEvents();
            if (count(events, wanted) > 0) return events;
        }
        return {};
    }
    SdlScreen screen;
};

TEST_F(ScreenTest, SignalsBecomeCloseRequests) {
    for (int signalNumber : {SIGINT, SIGTERM}) {
        std::raise(signalNumber);
        EXPECT_EQ(count(batchWith({kCloseRequest, 0}), {kCloseRequest, 0}), 1) << signalNumber;
    }
}

TEST_F(ScreenTest, TicksDoNotPileUp) {
    screen.startTimer(1, 10);
    // Many periods pass while the panel is busy elsewhere.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(count(batchWith({kTimerTick, 1}), {kTimerTick, 1}), 1);
    screen.stopTimer(1);
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

}  // namespace
}  // namespace vantor
