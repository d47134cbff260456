#pragma once
// Speech clips through the sound card with waveOut. Clips are queued on the
// device so a sentence runs on without gaps. Without a sound card every clip
// still takes its own length, silently, so the pauses the panel makes with
// clips keep their timing.

#include <memory>
#include <string>

#include "platform/platform.h"

namespace vantor {

class WindowsSpeaker : public Speaker {
public:
    WindowsSpeaker();
    ~WindowsSpeaker() override;
    WindowsSpeaker(const WindowsSpeaker&) = delete;
    WindowsSpeaker& operator=(const WindowsSpeaker&) = delete;

    void play(const std::string& clipPath) override;
    void playInBackground(const std::string& clipPath) override;
    void setWorkWhileWaiting(std::function<void()> work) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantor
