#pragma once
// Whole sentences through SAPI 5, in the voice, rate and volume the operator
// set in Windows until the panel changes the rate or volume. COM is started
// on the thread that opens the voice, which must also be the one that speaks
// and destroys it: the panel's window thread.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace vantor {

// The calls of ISpVoice the voice makes, so that the tests can stand in for
// the service. Each returns an HRESULT.
class SapiCalls {
  public:
    virtual ~SapiCalls() = default;
    virtual long speak(const wchar_t* text, unsigned long flags) = 0;
    virtual long waitUntilDone(unsigned long ms) = 0;
    virtual long getRate(long& rate) = 0;
    virtual long setRate(long rate) = 0;
    virtual long setVolume(unsigned short volume) = 0;
};

class SapiVoice : public Voice {
  public:
    // Makes the calls, or returns the failed HRESULT.
    using Connect = std::function<long(std::unique_ptr<SapiCalls>& calls)>;

    // The system's voice (CLSID_SpVoice).
    SapiVoice();
    // The tests' service, and the clock the wait for a sentence's end keeps to.
    SapiVoice(Connect connect, std::function<long long()> nowMs);
    ~SapiVoice() override;
    SapiVoice(const SapiVoice&) = delete;
    SapiVoice& operator=(const SapiVoice&) = delete;

    bool open(std::string& why) override;
    bool speak(const std::string& words, std::string& why) override;
    bool speakInBackground(const std::string& words, std::string& why) override;
    void setWorkWhileWaiting(std::function<void()> work) override;
    VoiceRange rateRange() const override;
    VoiceRange volumeRange() const override;
    int rate() override;
    void setRate(int rate) override;
    void setVolume(int volume) override;

  private:
    bool start(const std::string& words, std::string& why);
    void close();

    Connect connect_;
    std::function<long long()> nowMs_;
    std::unique_ptr<SapiCalls> calls_;
    bool comStarted_ = false;  // this voice's CoInitializeEx, to be undone
    std::function<void()> work_;
    bool working_ = false;
    // Asked for before the voice was open; the last rate known.
    std::optional<int> wantedRate_;
    std::optional<int> wantedVolume_;
    int rate_ = 0;
};

}  // namespace vantor
