#pragma once
// Speech clips through the sound card. The audio device is opened by the
// first clip and closed again when it has been quiet for a while; clips are
// queued on it so a sentence runs on without gaps. Without a sound card every clip still takes its own length, silently,
// so the pauses the panel makes with clips keep their timing.

#include <memory>
#include <string>

#include "platform/platform.h"

namespace vantor {

class SdlSpeaker : public Speaker {
public:
    SdlSpeaker();
    ~SdlSpeaker() override;
    SdlSpeaker(const SdlSpeaker&) = delete;
    SdlSpeaker& operator=(const SdlSpeaker&) = delete;

    void play(const std::string& clipPath) override;
    void playInBackground(const std::string& clipPath) override;
    void setWorkWhileWaiting(std::function<void()> work) override;
    // SDL does not say which device is the default, so it is never known to be the radio's.
    bool speechGoesToRadio() override { return false; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantor
