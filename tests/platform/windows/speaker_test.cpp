// The Windows speaker against sound devices the test stands in for: one that
// is missing at first, goes away while the panel speaks, or stops playing;
// the device the operator names; clips of other formats on the one device;
// and the window answering Windows while speech is waited for.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/pcm_convert.h"
#include "platform/wav_file.h"
#include "platform/windows/wave_out.h"
#include "platform/windows/windows_speaker.h"
#include "support/panel_fixture.h"
#include "support/wav_bytes.h"

namespace vantor {
namespace {

// A clip file of 100 ms whose every byte is fill.
WavSound writeClip(const std::string& name, int channels, int bits, int rate, char fill) {
    WavSound sound;
    sound.channels = channels;
    sound.bitsPerSample = bits;
    sound.samplesPerSecond = rate;
    sound.samples.assign(static_cast<std::size_t>(rate / 10 * sound.frameBytes()),
                         static_cast<std::uint8_t>(fill));
    testing::writeFile("wave/" + name + ".wav",
                       testing::wavBytes(channels, bits, rate, std::string(sound.samples.begin(), sound.samples.end())));
    return sound;
}

// What the stand-in devices were asked and what they took. The device plays
// instantly: whatever is written has been heard at the next look.
struct Devices {
    std::vector<std::string> names = {"Speakers (Realtek(R) Audio)"};
    int preferred = 0;
    int opensToFail = 0;
    int refused = -2;         // a device that never opens
    bool lost = false;        // the open device has gone: it takes nothing until opened again
    bool stalls = false;      // plays nothing, ever
    std::vector<int> opened;  // the device asked for by each open that worked
    int openTries = 0;
    std::vector<WAVEFORMATEX> formats;
    std::vector<std::vector<std::uint8_t>> written;
};

class StandInWaveOut : public WaveOut {
  public:
    explicit StandInWaveOut(Devices& devices) : d_(devices) {}
    std::vector<std::string> deviceNames() override { return d_.names; }
    int preferredDevice() override { return d_.preferred; }
    std::string open(int device, const WAVEFORMATEX& format) override {
        ++d_.openTries;
        if (device == d_.refused) return "device busy";
        if (d_.opensToFail > 0) {
            --d_.opensToFail;
            return "no such device";
        }
        d_.lost = false;
        d_.opened.push_back(device);
        d_.formats.push_back(format);
        played_ = 0;
        return "";
    }
    bool write(WAVEHDR& header) override {
        if (d_.lost) return false;
        header.dwFlags = WHDR_PREPARED;
        pending_.push_back(&header);
        d_.written.emplace_back(header.lpData, header.lpData + header.dwBufferLength);
        if (!d_.stalls) played_ += header.dwBufferLength;
        return true;
    }
    void release(WAVEHDR& header) override { header.dwFlags = 0; }
    void reset() override {
        finish();
        played_ = 0;
    }
    void close() override { finish(); }
    bool playedBytes(unsigned long long& bytes) override {
        if (!d_.stalls) finish();
        bytes = played_;
        return true;
    }

  private:
    void finish() {
        for (WAVEHDR* header : pending_) header->dwFlags |= WHDR_DONE;
        pending_.clear();
    }
    Devices& d_;
    unsigned long long played_ = 0;
    std::vector<WAVEHDR*> pending_;
};

struct SpeakerTest : ::testing::Test {
    void SetUp() override {
        std::filesystem::create_directory("wave");
        for (int i = 0; i < 5; ++i)
            clips.push_back(writeClip("c" + std::to_string(i), 1, 16, 22050, char('a' + i)));
    }
    WindowsSpeaker speaker(long long retryMs) {
        return WindowsSpeaker(std::make_unique<StandInWaveOut>(devices), retryMs);
    }
    // Which of the clips c0.. each write carried.
    std::vector<int> heard() const {
        std::vector<int> out;
        for (const auto& bytes : devices.written)
            for (std::size_t i = 0; i < clips.size(); ++i)
                if (bytes == clips[i].samples) out.push_back(static_cast<int>(i));
        return out;
    }
    testing::TemporaryDirectory directory;
    Devices devices;
    std::vector<WavSound> clips;
};

constexpr long long kAtOnce = 0;
constexpr long long kNotSoon = 600000;

// No sound device at the first clip, or a device that went away: a later
// clip finds the device again, and each change is written once on stderr.
TEST_F(SpeakerTest, AMissingOrLostDeviceIsTriedAgainAndALaterClipIsHeard) {
    const struct {
        const char* what;
        int opensToFail;
        int lostAtClip;  // -1: never
        int opensToFailThen;
        long long retryMs;
        std::vector<int> heard;
        int silentLines, backLines;
    } cases[] = {
        {"there from the start", 0, -1, 0, kNotSoon, {0, 1, 2, 3, 4}, 0, 0},
        {"missing at the first clip", 1, -1, 0, kAtOnce, {1, 2, 3, 4}, 1, 1},
        {"missing for three clips", 3, -1, 0, kAtOnce, {3, 4}, 1, 1},
        {"missing, not tried again too soon", 1, -1, 0, kNotSoon, {}, 1, 0},
        {"unplugged: the clip goes to the device there now", 0, 1, 0, kNotSoon, {0, 1, 2, 3, 4}, 1, 1},
        {"unplugged, plugged back two clips later", 0, 1, 2, kAtOnce, {0, 3, 4}, 1, 1},
        {"unplugged, not tried again too soon", 0, 1, 1, kNotSoon, {0}, 1, 0},
    };
    for (const auto& c : cases) {
        devices = Devices{};
        devices.opensToFail = c.opensToFail;
        WindowsSpeaker s = speaker(c.retryMs);
        ::testing::internal::CaptureStderr();
        for (int i = 0; i < 5; ++i) {
            if (i == c.lostAtClip) {
                devices.lost = true;
                devices.opensToFail = c.opensToFailThen;
            }
            s.play("wave\\c" + std::to_string(i));
        }
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(heard(), c.heard) << c.what;
        const auto count = [&said](const std::string& line) {
            int n = 0;
            for (auto at = said.find(line); at != std::string::npos; at = said.find(line, at + 1)) ++n;
            return n;
        };
        EXPECT_EQ(count("speech is silent"), c.silentLines) << c.what << "\n" << said;
        EXPECT_EQ(count("speech is heard"), c.backLines) << c.what << "\n" << said;
        for (const WAVEFORMATEX& format : devices.formats) EXPECT_EQ(format.nSamplesPerSec, 22050u) << c.what;
    }
}

// A device that takes a clip and never plays it holds the panel only for the
// clip's length and a little more; it is given up and opened afresh when it
// is due to be tried again, and meanwhile no clip is handed to it.
TEST_F(SpeakerTest, AStalledDeviceIsOpenedAfreshWhenItIsTriedAgain) {
    for (const long long retryMs : {kAtOnce, kNotSoon}) {
        devices = Devices{};
        WindowsSpeaker s = speaker(retryMs);
        devices.stalls = true;
        ::testing::internal::CaptureStderr();
        s.play("wave\\c0");
        devices.stalls = false;
        s.play("wave\\c1");
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(heard(), (retryMs == kAtOnce ? std::vector<int>{0, 1} : std::vector<int>{0})) << retryMs;
        EXPECT_EQ(devices.opened.size(), retryMs == kAtOnce ? 2u : 1u) << retryMs;
        EXPECT_NE(said.find("stopped playing"), std::string::npos) << said;
    }
}

// Clips of any format go to the device in its one format, opened once: the
// words of a sentence follow each other without the device closing between.
TEST_F(SpeakerTest, ClipsOfOtherFormatsAreConvertedForTheOneOpenDevice) {
    const WavSound stereo = writeClip("stereo", 2, 16, 44100, 0x11);
    const WavSound eight = writeClip("eight", 1, 8, 11025, char(0xC0));
    WindowsSpeaker s = speaker(kNotSoon);
    for (const char* clip : {"wave\\c0", "wave\\stereo", "wave\\eight", "wave\\c1"}) s.play(clip);
    s.playInBackground("wave\\stereo");
    s.play("wave\\c2");
    const PcmFormat device{1, 16, 22050};
    const std::vector<std::vector<std::uint8_t>> expected = {
        clips[0].samples, convertPcm(stereo, device), convertPcm(eight, device),
        clips[1].samples, convertPcm(stereo, device), clips[2].samples};
    EXPECT_EQ(devices.written, expected);
    ASSERT_EQ(devices.formats.size(), 1u);
    EXPECT_EQ(devices.formats[0].nChannels, 1);
    EXPECT_EQ(devices.formats[0].wBitsPerSample, 16);
    EXPECT_EQ(devices.formats[0].nAvgBytesPerSec, 44100u);
}

// The operator names the device in the environment or in audio.cfg; the
// panel is told when speech would go to the radio's sound card by default.
TEST_F(SpeakerTest, SpeechGoesToTheNamedDeviceAndTheRadioByDefaultIsTold) {
    const std::vector<std::string> station = {"Speakers (Realtek(R) Audio)", "Speakers (USB Audio CODEC )",
                                              "Headphones (Jabra)"};
    const struct {
        const char* what;
        int preferred;
        const wchar_t* variable;
        const char* file;
        int opened;
        bool toRadio;
        bool notFoundLine;
        int refused = -2;
        bool refusedLine = false;
    } cases[] = {
        {"default is the computer's", 0, nullptr, nullptr, -1, false, false},
        {"default is the radio's", 1, nullptr, nullptr, -1, true, false},
        {"named in the environment", 1, L"jabra", nullptr, 2, false, false},
        {"named in audio.cfg", 1, nullptr, "# speech\r\nRealtek\r\n", 0, false, false},
        {"the environment before the file", 1, L"Headphones", "Realtek\n", 2, false, false},
        {"a name no device has", 1, L"Sennheiser", nullptr, -1, true, true},
        {"the radio's, asked for", 0, L"usb audio codec", nullptr, 1, false, false},
        {"the named one does not open: the default", 0, L"jabra", nullptr, -1, false, false, 2, true},
    };
    for (const auto& c : cases) {
        devices = Devices{};
        devices.names = station;
        devices.preferred = c.preferred;
        devices.refused = c.refused;
        ::SetEnvironmentVariableW(L"VANTOR_AUDIO_DEVICE", c.variable);
        std::filesystem::remove("audio.cfg");
        if (c.file) testing::writeFile("audio.cfg", c.file);
        WindowsSpeaker s = speaker(kNotSoon);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(s.speechGoesToRadio(), c.toRadio) << c.what;
        s.play("wave\\c0");
        s.play("wave\\c1");
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(devices.opened, std::vector<int>{c.opened}) << c.what;
        EXPECT_EQ(said.find("no audio device is named like") != std::string::npos, c.notFoundLine)
            << c.what << said;
        EXPECT_EQ(said.find("does not open") != std::string::npos, c.refusedLine) << c.what << said;
        EXPECT_EQ(heard(), (std::vector<int>{0, 1})) << c.what;
        const auto radioLine = said.find("radio's sound card");
        EXPECT_EQ(radioLine != std::string::npos, c.toRadio) << c.what << said;
        if (radioLine != std::string::npos) {
            EXPECT_EQ(said.find("radio's sound card", radioLine + 1), std::string::npos)
                << "said once: " << said;
        }
    }
    ::SetEnvironmentVariableW(L"VANTOR_AUDIO_DEVICE", nullptr);
}

// While a clip is waited for, what is sent to the window (by Windows, by a
// screen reader) is answered, and keys stay queued for the panel.
TEST_F(SpeakerTest, TheWindowAnswersWhileSpeechIsWaitedFor) {
    static std::atomic<bool> playing{false};
    static std::atomic<int> answeredWhilePlaying;
    answeredWhilePlaying = 0;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_APP) {
            if (playing) ++answeredWhilePlaying;
            return 42;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VantorSpeakerTest";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowW(L"VantorSpeakerTest", L"speaker test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::PostMessageW(window, WM_KEYDOWN, 'F', 0);

    devices.opensToFail = 1000;  // the clips' time passes silently
    WindowsSpeaker s = speaker(kNotSoon);
    std::atomic<long long> answer{0};
    std::atomic<bool> answered{false};
    std::thread sender([&] {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(window, WM_APP, 0, 0, SMTO_NORMAL, 10000, &result);
        answer = static_cast<long long>(result);
        answered = true;
    });
    // The sent message waits on this thread before the speech starts.
    for (int tries = 0; tries < 1000 && !(::GetQueueStatus(QS_SENDMESSAGE) & (QS_SENDMESSAGE << 16)); ++tries)
        ::Sleep(5);
    playing = true;
    ::testing::internal::CaptureStderr();
    s.play("wave\\c0");
    ::testing::internal::GetCapturedStderr();
    playing = false;
    // Without the answer the sender would still be waiting; pump so it ends.
    for (int tries = 0; tries < 200 && !answered; ++tries) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
        ::PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_NOREMOVE);
    }
    sender.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(answeredWhilePlaying, 1);
    EXPECT_TRUE(::PeekMessageW(&message, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) << "the key was taken";
    EXPECT_EQ(message.wParam, static_cast<WPARAM>('F'));
    ::DestroyWindow(window);
    ::UnregisterClassW(L"VantorSpeakerTest", windowClass.hInstance);
}

}  // namespace
}  // namespace vantor
