// The window's events. Most of the window needs a display (the end-to-end
// tests run it under a virtual one); without DISPLAY only the first test runs.

#include <gtest/gtest.h>

#include <chrono>
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

}  // namespace
}  // namespace vantor
