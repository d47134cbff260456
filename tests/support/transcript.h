#pragma once
// The simulated radio behind a panel whose clips and commands are written down
// in the order they happened: "nb on NB01; NL0;" says that the operator heard
// "nb" and "on" before the radio got NB01 and then the query NL0 (pauses are
// left out). A test may also put its own answer in the radio's mouth.

#include <map>
#include <string>

#include "support/radio_fixture.h"

namespace vantor::testing {

class TranscriptTest : public RadioTest {
protected:
    TranscriptTest() {
        startConnectedPanel();
        useModel(670);
    }
    // The radio and the panel's idea of it are of this model.
    void useModel(int model) {
        useRadio(model);
        p.radioModel = model;
        fake.serial.setResponder(1, [this](std::string_view bytes) {
            noteClips();
            text_ += (text_.empty() ? "" : " ") + std::string(bytes);
            radio->advance(fake.virtualClock.nowMs() - radio->now());
            const std::string reply = radio->handle(bytes);
            const auto own = answers.find(std::string(bytes));
            return own == answers.end() ? reply : own->second;
        });
    }
    // What happened since the last call.
    std::string transcript() {
        noteClips();
        std::string text;
        text.swap(text_);
        sent();
        spoken();
        heard_ = 0;
        return text;
    }

    // Answers the test gives instead of the radio's, by command ("KS;").
    std::map<std::string, std::string> answers;

private:
    void noteClips() {
        auto& played = fake.speaker.played;
        for (; heard_ < played.size(); ++heard_) {
            const std::string& path = played[heard_];
            const std::string clip = path.rfind("wave\\", 0) == 0 ? path.substr(5) : path;
            if (clip != "delay") text_ += (text_.empty() ? "" : " ") + clip;
        }
    }
    std::string text_;
    std::size_t heard_ = 0;
};

}  // namespace vantor::testing
