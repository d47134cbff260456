#pragma once
// A Panel wired to the simulated radio on the fake serial port. The radio's
// clock follows the virtual clock, and a tick moves time on by 50 ms, as the
// window's timer does.

#include <memory>
#include <string>
#include <vector>

#include "app/radio_startup.h"
#include "panel/keys.h"
#include "panel/window_events.h"
#include "radiosim/radio_engine.h"
#include "support/panel_fixture.h"

namespace vantor::testing {

class RadioTest : public PanelTest {
protected:
    explicit RadioTest(int model = 670) { useRadio(model); }

    void useRadio(int model) {
        radio = std::make_unique<radiosim::RadioEngine>(model);
        radio->setSMeter(130);
        fake.serial.setResponder(1, [this](std::string_view bytes) {
            radio->advance(fake.virtualClock.nowMs() - radio->now());
            return radio->handle(bytes);
        });
    }
    // The panel as start-up leaves it, before the radio has answered.
    void startPanel() {
        fillBandTable(p);
        p.memoryTable.fill("9");
        p.running = 1;
    }
    // The panel a little after the radio has answered: 7.1 MHz known, keys live.
    void startConnectedPanel() {
        startPanel();
        p.radioConnected = 1;
        p.vfoAFrequency = 7100000;
        p.tickCount = 5;
    }
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            fake.virtualClock.advance(50);
            handleWindowEvent(p, kTimerTick, 1);
        }
    }
    // A reply waiting in the port for the poll's next read.
    void answer(const std::string& reply) {
        fake.serial.pushIncoming(1, reply);
        p.replyPending = 1;
        p.pollAskedMs = fake.virtualClock.nowMs();  // as if the poll had just asked
        tick();
    }
    void press(int code) {
        handleWindowEvent(p, kKeyDown, code);
        handleWindowEvent(p, kKeyUp, code);
    }
    // Keys by the characters an operator would type: "E14.25\n".
    void type(const std::string& typed) {
        for (char c : typed) press(c == '.' ? key::point : c == '\n' ? key::enter : c);
    }
    // The commands sent since the last call hold `expected` in this order, and never `never`.
    void expectSent(const std::vector<std::string>& expected, const std::string& never) {
        const std::string commands = sent();
        EXPECT_EQ(commands.find(never), std::string::npos) << commands;
        std::size_t at = 0;
        for (const std::string& command : expected) {
            at = commands.find(command, at);
            ASSERT_NE(at, std::string::npos) << command << " in order in " << commands;
        }
    }
    // Ticks until the first frequency reply has connected the radio and the
    // next one has been shown.
    void connect() {
        for (int i = 0; i < 40 && p.radioConnected == 0; ++i) tick();
        sent();
        spoken();
    }

    std::unique_ptr<radiosim::RadioEngine> radio;
};

}  // namespace vantor::testing
