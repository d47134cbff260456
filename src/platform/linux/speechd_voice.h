#pragma once
// Whole sentences through speech-dispatcher, the service the operator's
// screen reader already speaks through, with its synthesizer, voice and
// language. It is started by the first connection when it is not running.

#include <memory>
#include <string>

#include "platform/platform.h"

namespace vantor {

class SpeechdVoice : public Voice {
public:
    SpeechdVoice();
    ~SpeechdVoice() override;
    SpeechdVoice(const SpeechdVoice&) = delete;
    SpeechdVoice& operator=(const SpeechdVoice&) = delete;

    bool open(std::string& why) override;
    bool speak(const std::string& words, std::string& why) override;
    bool speakInBackground(const std::string& words, std::string& why) override;
    void setWorkWhileWaiting(std::function<void()> work) override;
    VoiceRange rateRange() const override { return {-100, 100, 10}; }
    VoiceRange volumeRange() const override { return {-100, 100, 10}; }
    int rate() override;
    void setRate(int rate) override;
    void setVolume(int volume) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantor
