// The SAPI voice against a stand-in for the speech service, whose waits move a
// clock of its own: how a sentence is handed over, waited for and given up,
// and that COM on the thread is left as the voice found it.

#include "platform/windows/sapi_voice.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <sapi.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vantor {
namespace {

constexpr long long kNever = -1;

// What the stand-in service was asked and how it answers.
struct Service {
    long long clockMs = 0;
    HRESULT connectResult = S_OK;
    HRESULT speakResult = S_OK;
    HRESULT purgeResult = S_OK;
    HRESULT waitResult = S_OK;  // a failure here fails every wait
    HRESULT getRateResult = S_OK;
    long long sentenceMs = 0;   // how long a sentence takes, or kNever
    long long finishesAt = 0;   // on the clock, for the sentence now spoken
    struct Call {
        std::optional<std::wstring> text;  // none: a purge alone
        unsigned long flags = 0;
    };
    std::vector<Call> speakCalls;
    std::vector<unsigned long> waits;
    long rate = 3;
    std::optional<unsigned short> volume;
    int connections = 0;
    bool released = false;
};

class StandIn : public SapiCalls {
  public:
    explicit StandIn(Service& service) : s_(service) {}
    ~StandIn() override { s_.released = true; }

    long speak(const wchar_t* text, unsigned long flags) override {
        s_.speakCalls.push_back({text ? std::optional<std::wstring>(text) : std::nullopt, flags});
        if (!text) {
            if (FAILED(s_.purgeResult)) return s_.purgeResult;
            s_.finishesAt = s_.clockMs;
            return S_OK;
        }
        if (FAILED(s_.speakResult)) return s_.speakResult;
        s_.finishesAt = s_.sentenceMs == kNever ? kNever : s_.clockMs + s_.sentenceMs;
        return S_OK;
    }
    long waitUntilDone(unsigned long ms) override {
        s_.waits.push_back(ms);
        if (FAILED(s_.waitResult)) return s_.waitResult;
        if (s_.finishesAt != kNever && s_.finishesAt <= s_.clockMs + static_cast<long long>(ms)) {
            s_.clockMs = std::max(s_.clockMs, s_.finishesAt);
            return S_OK;
        }
        s_.clockMs += ms;
        return S_FALSE;
    }
    long getRate(long& rate) override {
        if (SUCCEEDED(s_.getRateResult)) rate = s_.rate;
        return s_.getRateResult;
    }
    long setRate(long rate) override {
        s_.rate = rate;
        return S_OK;
    }
    long setVolume(unsigned short volume) override {
        s_.volume = volume;
        return S_OK;
    }

  private:
    Service& s_;
};

std::unique_ptr<SapiVoice> voiceOn(Service& service) {
    return std::make_unique<SapiVoice>(
        [&service](std::unique_ptr<SapiCalls>& calls) -> long {
            ++service.connections;
            if (FAILED(service.connectResult)) return service.connectResult;
            calls = std::make_unique<StandIn>(service);
            return S_OK;
        },
        [&service] { return service.clockMs; });
}

constexpr unsigned long kSentenceFlags = SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML;

// Runs the check on a thread of its own, so that each test finds COM not
// started there.
template <typename Check>
void onFreshThread(Check check) {
    std::thread thread(check);
    thread.join();
}

// Whether COM had been started on this thread: starting it again says so.
bool comRunsHere() {
    const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(result)) ::CoUninitialize();
    return result != S_OK;
}

class OpenedVoice : public ::testing::Test {
  protected:
    void SetUp() override {
        voice = voiceOn(service);
        std::string why;
        ASSERT_TRUE(voice->open(why)) << why;
        service.speakCalls.clear();
    }
    void TearDown() override { voice.reset(); }
    Service service;
    std::unique_ptr<SapiVoice> voice;
};

TEST(SapiVoice, OpenFailsWithWhyAndLeavesNothingBehind) {
    const struct {
        const char* name;
        HRESULT connect, purge, getRate;
        const char* said;
    } cases[] = {
        {"not installed", REGDB_E_CLASSNOTREG, S_OK, S_OK, "SAPI has no voice: HRESULT 0x80040154"},
        {"will not speak", S_OK, E_NOTIMPL, S_OK, "SAPI will not speak: HRESULT 0x80004001"},
        {"will not tell its rate", S_OK, S_OK, E_NOTIMPL, "HRESULT 0x80004001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        onFreshThread([&] {
            Service service;
            service.connectResult = c.connect;
            service.purgeResult = c.purge;
            service.getRateResult = c.getRate;
            auto voice = voiceOn(service);
            std::string why;
            EXPECT_FALSE(voice->open(why));
            EXPECT_NE(why.find(c.said), std::string::npos) << why;
            EXPECT_EQ(service.released, SUCCEEDED(c.connect));
            EXPECT_FALSE(comRunsHere());
            // Nothing is spoken by a voice that did not open, and nothing breaks.
            const std::size_t asked = service.speakCalls.size();
            why.clear();
            EXPECT_FALSE(voice->speak("fourteen", why));
            EXPECT_FALSE(why.empty());
            EXPECT_FALSE(voice->speakInBackground("fourteen", why));
            EXPECT_EQ(service.speakCalls.size(), asked);
        });
    }
}

TEST(SapiVoice, GoneVoiceReleasesTheServiceAndLeavesComAsFound) {
    onFreshThread([] {
        Service service;
        auto voice = voiceOn(service);
        std::string why;
        ASSERT_TRUE(voice->open(why)) << why;
        EXPECT_TRUE(comRunsHere());
        voice.reset();
        EXPECT_TRUE(service.released);
        EXPECT_FALSE(comRunsHere());
    });
    // A thread that runs COM in the other apartment keeps it.
    onFreshThread([] {
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        {
            Service service;
            auto voice = voiceOn(service);
            std::string why;
            EXPECT_TRUE(voice->open(why)) << why;
        }
        EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        ::CoUninitialize();
        ::CoUninitialize();
    });
}

TEST_F(OpenedVoice, WordsGoInUnicodeAsPlainTextCuttingShortWhatWasSpoken) {
    const struct {
        const char* name;
        std::string utf8;
        std::wstring wide;
    } cases[] = {
        {"plain", "14 point 2 5 0 megahertz", L"14 point 2 5 0 megahertz"},
        {"markup characters", "<volume level=\"0\"/> & more", L"<volume level=\"0\"/> & more"},
        {"accents and Cyrillic", "J\xc3\xbcrgen \xd0\x96", L"J\u00fcrgen \u0416"},
        {"invalid bytes", "a\xff" "b", L"a\ufffd" "b"},
        {"nothing", "", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service.speakCalls.clear();
        std::string why;
        EXPECT_TRUE(voice->speak(c.utf8, why)) << why;
        ASSERT_EQ(service.speakCalls.size(), 1u);
        EXPECT_EQ(service.speakCalls[0].text, c.wide);
        EXPECT_EQ(service.speakCalls[0].flags, kSentenceFlags);
    }
}

TEST_F(OpenedVoice, SpeakReturnsOnlyAtTheEndDoingTheWorkMeanwhile) {
    int worked = 0;
    voice->setWorkWhileWaiting([&] { ++worked; });
    service.sentenceMs = 1500;
    std::string why;
    ASSERT_TRUE(voice->speak("seven point one megahertz", why)) << why;
    EXPECT_EQ(service.clockMs, 1500);
    // Every wait is short, and the work runs after each that ended unfinished.
    for (const unsigned long ms : service.waits) EXPECT_LE(ms, 10u);
    EXPECT_EQ(worked, static_cast<int>(service.waits.size()) - 1);
    EXPECT_GE(worked, 1500 / 10);
}

TEST_F(OpenedVoice, WorkThatSpeaksIsNotEnteredAgain) {
    int depth = 0, deepest = 0, worked = 0;
    service.sentenceMs = 100;
    voice->setWorkWhileWaiting([&] {
        ++worked;
        deepest = std::max(deepest, ++depth);
        std::string why;
        if (worked == 1) voice->speak("inner", why);
        --depth;
    });
    std::string why;
    EXPECT_TRUE(voice->speak("outer words", why)) << why;
    EXPECT_EQ(deepest, 1);
}

TEST_F(OpenedVoice, BackgroundWordsReturnAtOnce) {
    service.sentenceMs = kNever;
    std::string why;
    ASSERT_TRUE(voice->speakInBackground("quit", why)) << why;
    EXPECT_TRUE(service.waits.empty());
    ASSERT_EQ(service.speakCalls.size(), 1u);
    EXPECT_EQ(service.speakCalls[0].text, std::wstring(L"quit"));
    EXPECT_EQ(service.speakCalls[0].flags, kSentenceFlags);
}

// A service that never finishes is given up on, later for a longer sentence,
// and what it still had is purged.
TEST_F(OpenedVoice, StalledServiceIsGivenUpOnAfterTimeForTheWords) {
    const struct {
        const char* words;
        long long sentenceMs;
        bool heard;
    } cases[] = {
        {"one", kVoiceGiveUpMs, true},
        {"one", kVoiceGiveUpMs + kVoiceGiveUpPerWordMs + 1000, false},
        {"one two three four five six seven", kVoiceGiveUpMs + 2 * kVoiceGiveUpPerWordMs + 1000, true},
        {"one two three four five six seven", kNever, false},
        {"", kNever, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.words) + " in " + std::to_string(c.sentenceMs));
        service.sentenceMs = c.sentenceMs;
        service.speakCalls.clear();
        std::string why;
        EXPECT_EQ(voice->speak(c.words, why), c.heard) << why;
        if (c.heard) {
            EXPECT_EQ(service.speakCalls.size(), 1u);
            continue;
        }
        EXPECT_NE(why.find("had not finished"), std::string::npos) << why;
        ASSERT_EQ(service.speakCalls.size(), 2u);
        EXPECT_FALSE(service.speakCalls[1].text.has_value());
        EXPECT_TRUE(service.speakCalls[1].flags & SPF_PURGEBEFORESPEAK);
    }
}

TEST_F(OpenedVoice, FailuresOfTheServiceSayWhy) {
    const struct {
        const char* name;
        HRESULT speak, wait;
    } cases[] = {
        {"speak", E_NOTIMPL, S_OK},
        {"wait", S_OK, E_NOTIMPL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service.speakResult = c.speak;
        service.waitResult = c.wait;
        service.sentenceMs = kNever;
        std::string why;
        EXPECT_FALSE(voice->speak("fourteen", why));
        EXPECT_NE(why.find("HRESULT 0x80004001"), std::string::npos) << why;
        // A failed wait is never retried forever.
        EXPECT_LE(service.waits.size(), 1u);
        service.waits.clear();
    }
}

TEST_F(OpenedVoice, RateIsTheServicesOwnUntilSetAndStaysInRange) {
    EXPECT_EQ(voice->rate(), 3);
    const VoiceRange rates = voice->rateRange();
    const VoiceRange volumes = voice->volumeRange();
    const struct {
        int asked, rate;
    } rateCases[] = {{5, 5}, {rates.lowest, rates.lowest}, {rates.highest + 7, rates.highest},
                     {rates.lowest - 1, rates.lowest}};
    for (const auto& c : rateCases) {
        SCOPED_TRACE(c.asked);
        voice->setRate(c.asked);
        EXPECT_EQ(service.rate, c.rate);
        EXPECT_EQ(voice->rate(), c.rate);
    }
    const struct {
        int asked, volume;
    } volumeCases[] = {{60, 60}, {volumes.highest + 1, volumes.highest}, {-40, volumes.lowest}};
    for (const auto& c : volumeCases) {
        SCOPED_TRACE(c.asked);
        voice->setVolume(c.asked);
        EXPECT_EQ(service.volume, c.volume);
    }
    // The operator changed it in Windows meanwhile.
    service.rate = -4;
    EXPECT_EQ(voice->rate(), -4);
}

// Rate and volume set before the voice opens apply once it opens, which
// connects once however often it is asked; the volume is the operator's own
// until the panel sets it.
TEST(SapiVoice, SettingsMadeBeforeOpeningApplyOnceItOpens) {
    for (const bool volumeSet : {true, false}) {
        SCOPED_TRACE(volumeSet);
        Service service;
        auto voice = voiceOn(service);
        voice->setRate(-2);
        if (volumeSet) voice->setVolume(30);
        EXPECT_EQ(service.connections, 0);
        std::string why;
        ASSERT_TRUE(voice->open(why)) << why;
        ASSERT_TRUE(voice->open(why)) << why;
        EXPECT_EQ(service.connections, 1);
        EXPECT_EQ(service.rate, -2);
        EXPECT_EQ(voice->rate(), -2);
        voice->setRate(1);
        EXPECT_EQ(service.volume, volumeSet ? std::optional<unsigned short>(30) : std::nullopt);
    }
}

}  // namespace
}  // namespace vantor
