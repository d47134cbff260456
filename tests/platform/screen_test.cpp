// The window's events. Most of the window needs a display (the end-to-end
// tests run it under a virtual one); without DISPLAY only the first test runs.

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "loopback_client.h"
#include "platform/linux/linux_network.h"
#include "platform/linux/linux_serial_ports.h"
#include "platform/linux/sdl_screen.h"
#include "support/panel_fixture.h"
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

// The one wait also wakes for serial and network input: a client connecting
// or writing, a radio replying on a pseudo-terminal linked as COM5.
class ScreenInputTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        screen.watch(serial);
        screen.watch(net);
        listener = net.listen("127.0.0.1", 0);
        ASSERT_GT(listener, 0) << net.lastError();
        radio = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_TRUE(radio >= 0 && ::grantpt(radio) == 0 && ::unlockpt(radio) == 0);
        std::filesystem::create_symlink(::ptsname(radio), "COM5");
        ASSERT_TRUE(serial.open(5, 38400));
    }
    void TearDown() override {
        if (radio >= 0) ::close(radio);
    }
    // Earlier clients stay connected.
    void connectClient() {
        clients.push_back(std::make_unique<testing::LoopbackClient>(net.localPort(listener)));
        client = clients.back().get();
        ASSERT_TRUE(client->connected());
    }
    int acceptClient() {
        connection = 0;
        testing::eventually([&] { return connection != 0 || (connection = net.accept(listener)) != 0; });
        return connection;
    }
    void radioSends(const char* bytes) { ASSERT_GT(::write(radio, bytes, std::strlen(bytes)), 0); }
    static bool holds(const std::vector<WindowEvent>& batch, int message) {
        for (const WindowEvent& e : batch)
            if (e.message == message) return true;
        return false;
    }

    testing::TemporaryDirectory dir;
    LinuxSerialPorts serial;
    LinuxNetwork net;
    int listener = 0, connection = 0, radio = -1;
    std::vector<std::unique_ptr<testing::LoopbackClient>> clients;
    testing::LoopbackClient* client = nullptr;
};

// Input wakes the wait at once, and again once the panel has taken it. The
// timer only bounds a wait that input fails to end.
TEST_F(ScreenInputTest, InputWakesTheWait) {
    struct Case {
        const char* what;
        std::function<void()> arrive, take;
    };
    connectClient();
    ASSERT_GT(acceptClient(), 0);
    const int talking = connection;
    const Case cases[] = {
        {"a client connects", [&] { connectClient(); }, [&] { acceptClient(); }},
        {"a client writes", [&] { clients.front()->send("f\n"); },
         [&] { testing::eventually([&] { return net.read(talking, 100) != ""; }); }},
        {"the radio replies", [&] { radioSends("FA014250000;"); },
         [&] { testing::eventually([&] { return serial.read(5, 100) != ""; }); }},
    };
    screen.startTimer(2, 5000);
    for (const Case& c : cases) {
        for (int round = 0; round < 2; ++round) {
            c.arrive();
            const std::vector<WindowEvent> batch = screen.waitEvents();
            EXPECT_TRUE(holds(batch, kInputReady)) << c.what << ", round " << round;
            EXPECT_FALSE(holds(batch, kTimerTick)) << c.what << ", round " << round;
            c.take();
        }
    }
}

// Input the panel leaves unread, and lines that hung up, are reported once a
// tick at most: the wait never spins on them.
TEST_F(ScreenInputTest, InputLeftWaitingDoesNotSpinTheWait) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    // Each case adds to what the ones before left.
    const Case cases[] = {
        {"a client's words not read", [&] { connectClient(); acceptClient(); client->send("f\n"); }},
        {"a client that hung up", [&] { connectClient(); acceptClient(); client->hangUp(true); }},
        {"a client not accepted", [&] { connectClient(); }},
        {"a radio reply not read", [&] { radioSends("FA014250000;"); }},
        {"a radio line that hung up", [&] { ::close(radio); radio = -1; }},
    };
    screen.startTimer(1, 10);
    for (const Case& c : cases) {
        c.arrange();
        int reports = 0, untimed = 0;
        for (int batch = 0; batch < 30; ++batch) {
            const std::vector<WindowEvent> events = screen.waitEvents();
            reports += holds(events, kInputReady);
            untimed += holds(events, kInputReady) && !holds(events, kTimerTick);
        }
        EXPECT_GT(reports, 0) << c.what;
        EXPECT_LE(untimed, 1) << c.what;
    }
}

}  // namespace
}  // namespace vantor
