#pragma once
// Speech clips through the sound card with waveOut. The device is opened once
// in the clips' own format and every clip is converted to it, so a sentence
// runs on without gaps. Without a sound card every clip still takes its own
// length, silently, so the pauses the panel makes with clips keep their
// timing; a card that was missing or went away is tried again, so plugging a
// headset in brings speech back.
//
// The output is the system's default unless the operator names one: in the
// environment variable VANTOR_AUDIO_DEVICE, or on the first line of
// audio.cfg in the working directory (beside vantor.cfg). Part of the name
// Windows shows for the device is enough, in any letter case.

#include <memory>
#include <string>

#include "platform/platform.h"

namespace vantor {

class WaveOut;

class WindowsSpeaker : public Speaker {
  public:
    WindowsSpeaker();
    // The tests' sound devices; retryMs is how long a device that failed is
    // left alone before the next clip tries it again.
    WindowsSpeaker(std::unique_ptr<WaveOut> devices, long long retryMs);
    ~WindowsSpeaker() override;
    WindowsSpeaker(const WindowsSpeaker&) = delete;
    WindowsSpeaker& operator=(const WindowsSpeaker&) = delete;

    void play(const std::string& clipPath) override;
    void playInBackground(const std::string& clipPath) override;
    void setWorkWhileWaiting(std::function<void()> work) override;
    bool speechGoesToRadio() override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantor
