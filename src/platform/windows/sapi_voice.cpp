#include "platform/windows/sapi_voice.h"

#include <windows.h>
#include <sapi.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/windows/windows_errors.h"

namespace vantor {

namespace {

// How long one wait for the end lasts while there is work to do between
// waits, and while there is none (the window is still answered then).
constexpr unsigned long kWorkPeriodMs = 5;
constexpr unsigned long kAnswerPeriodMs = 20;
// Plain text: the panel's words may hold '<' and '&'.
constexpr unsigned long kSpeakFlags = SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML;
constexpr VoiceRange kRateRange{-10, 10, 1};
constexpr VoiceRange kVolumeRange{0, 100, 10};

class SystemSapi : public SapiCalls {
  public:
    explicit SystemSapi(ISpVoice* voice) : voice_(voice) {}
    ~SystemSapi() override { voice_->Release(); }
    SystemSapi(const SystemSapi&) = delete;
    SystemSapi& operator=(const SystemSapi&) = delete;

    long speak(const wchar_t* text, unsigned long flags) override { return voice_->Speak(text, flags, nullptr); }
    long waitUntilDone(unsigned long ms) override { return voice_->WaitUntilDone(ms); }
    long getRate(long& rate) override { return voice_->GetRate(&rate); }
    long setRate(long rate) override { return voice_->SetRate(rate); }
    long setVolume(unsigned short volume) override { return voice_->SetVolume(volume); }

  private:
    ISpVoice* voice_;
};

long connectToSystem(std::unique_ptr<SapiCalls>& calls) {
    ISpVoice* voice = nullptr;
    const HRESULT result = ::CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                              reinterpret_cast<void**>(&voice));
    if (FAILED(result)) return result;
    if (!voice) return E_POINTER;
    calls = std::make_unique<SystemSapi>(voice);
    return S_OK;
}

long long tickMs() { return static_cast<long long>(::GetTickCount64()); }

// Looking at the thread's messages tells Windows the window is alive and
// hands the window procedure what was sent to it; keys stay queued.
void answerWindows() {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

long long wordCount(const std::string& text) {
    long long words = 0;
    bool inWord = false;
    for (const unsigned char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!space && !inWord) ++words;
        inWord = !space;
    }
    return words;
}

}  // namespace

SapiVoice::SapiVoice() : SapiVoice(connectToSystem, tickMs) {}

SapiVoice::SapiVoice(Connect connect, std::function<long long()> nowMs)
    : connect_(std::move(connect)), nowMs_(std::move(nowMs)) {}

SapiVoice::~SapiVoice() { close(); }

void SapiVoice::close() {
    calls_.reset();
    if (comStarted_) ::CoUninitialize();
    comStarted_ = false;
}

bool SapiVoice::open(std::string& why) {
    if (calls_) return true;
    const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // S_FALSE (already started here) is undone too; a thread already in the
    // other apartment keeps its COM, which serves the voice as well.
    comStarted_ = SUCCEEDED(started);
    if (FAILED(started) && started != RPC_E_CHANGED_MODE) {
        why = "COM does not start for SAPI: " + hresultMessage(started);
        return false;
    }
    std::unique_ptr<SapiCalls> calls;
    HRESULT result = connect_ ? connect_(calls) : E_POINTER;
    if (SUCCEEDED(result) && !calls) result = E_POINTER;
    if (FAILED(result)) {
        why = "SAPI has no voice: " + hresultMessage(result);
        calls.reset();  // released while COM still runs
        close();
        return false;
    }
    // A service that cannot even purge would fail every sentence: it counts
    // as missing, so the panel keeps its clips.
    result = calls->speak(nullptr, SPF_PURGEBEFORESPEAK);
    if (FAILED(result)) {
        why = "SAPI will not speak: " + hresultMessage(result);
        calls.reset();
        close();
        return false;
    }
    long serviceRate = 0;
    result = calls->getRate(serviceRate);
    if (FAILED(result)) {
        why = "SAPI will not tell its rate: " + hresultMessage(result);
        calls.reset();
        close();
        return false;
    }
    calls_ = std::move(calls);
    rate_ = static_cast<int>(serviceRate);
    if (wantedRate_) setRate(*wantedRate_);
    if (wantedVolume_) setVolume(*wantedVolume_);
    return true;
}

bool SapiVoice::start(const std::string& words, std::string& why) {
    if (!calls_) {
        why = "the SAPI voice is not open";
        return false;
    }
    const std::wstring wide = wideFromUtf8(words);
    const HRESULT result = calls_->speak(wide.c_str(), kSpeakFlags);
    if (FAILED(result)) {
        why = "SAPI did not speak: " + hresultMessage(result);
        return false;
    }
    return true;
}

bool SapiVoice::speak(const std::string& words, std::string& why) {
    if (!start(words, why)) return false;
    const long long allowanceMs = kVoiceGiveUpMs + kVoiceGiveUpPerWordMs * wordCount(words);
    const long long giveUp = nowMs_() + allowanceMs;
    for (;;) {
        // The work may speak in turn (it must not); that inner wait does no work.
        const bool work = work_ && !working_;
        const HRESULT result = calls_->waitUntilDone(work ? kWorkPeriodMs : kAnswerPeriodMs);
        if (result == S_OK) return true;
        if (FAILED(result)) {
            calls_->speak(nullptr, SPF_PURGEBEFORESPEAK);
            why = "SAPI did not say when it finished speaking: " + hresultMessage(result);
            return false;
        }
        answerWindows();
        if (work) {
            working_ = true;
            work_();
            working_ = false;
        }
        if (nowMs_() >= giveUp) {
            calls_->speak(nullptr, SPF_PURGEBEFORESPEAK);
            why = "SAPI had not finished speaking after " + std::to_string(allowanceMs) +
                  " ms: the rest of the sentence was cut short";
            return false;
        }
    }
}

bool SapiVoice::speakInBackground(const std::string& words, std::string& why) { return start(words, why); }

void SapiVoice::setWorkWhileWaiting(std::function<void()> work) { work_ = std::move(work); }

VoiceRange SapiVoice::rateRange() const { return kRateRange; }

VoiceRange SapiVoice::volumeRange() const { return kVolumeRange; }

int SapiVoice::rate() {
    long serviceRate = 0;
    if (calls_ && SUCCEEDED(calls_->getRate(serviceRate))) rate_ = static_cast<int>(serviceRate);
    return rate_;
}

void SapiVoice::setRate(int rate) {
    rate = std::clamp(rate, kRateRange.lowest, kRateRange.highest);
    if (!calls_) {
        wantedRate_ = rate;
        rate_ = rate;
        return;
    }
    if (SUCCEEDED(calls_->setRate(rate))) rate_ = rate;
}

void SapiVoice::setVolume(int volume) {
    volume = std::clamp(volume, kVolumeRange.lowest, kVolumeRange.highest);
    if (!calls_) {
        wantedVolume_ = volume;
        return;
    }
    calls_->setVolume(static_cast<unsigned short>(volume));
}

}  // namespace vantor
