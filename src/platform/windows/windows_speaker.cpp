#include "platform/windows/windows_speaker.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/audio_device.h"
#include "platform/clip_files.h"
#include "platform/pcm_convert.h"
#include "platform/wav_file.h"
#include "platform/windows/wave_out.h"

namespace vantor {

namespace {

// How long past its own length a clip may take before the wait gives up: a
// stalled device must not stop the panel.
constexpr long long kStallAllowanceMs = 2000;
// play() returns this long before its clip ends, so the next one is queued
// before the device runs dry.
constexpr long long kJoinAheadMs = 30;
// How often the waiting work runs while a clip plays.
constexpr long long kWorkPeriodMs = 5;
// How often, without waiting work, the wait still takes what is sent to the
// window (by Windows, by a screen reader), so the window never stops answering.
constexpr long long kAnswerPeriodMs = 20;
// As on Linux: a device that failed is tried again, and one that has been
// quiet is opened afresh, after this long. The next clip then goes to the
// device there is now: a headset plugged in, or the system's new default.
constexpr long long kLookAgainMs = 2000;
// The clips' own format (tools/make-clips): what the device is opened for.
constexpr PcmFormat kDeviceFormat{1, 16, 22050};
constexpr const wchar_t* kDeviceVariable = L"VANTOR_AUDIO_DEVICE";
constexpr const char* kSettingsFile = "audio.cfg";

long long nowMs() {
    static const long long frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return count.QuadPart / frequency * 1000 + count.QuadPart % frequency * 1000 / frequency;
}

// Sleep keeps to the millisecond while a clip is timed, not to the system's
// usual 15.6 ms tick.
class FineTimer {
  public:
    FineTimer() : fine_(::timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~FineTimer() {
        if (fine_) ::timeEndPeriod(1);
    }
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

  private:
    bool fine_;
};

// Looking at the thread's messages is what tells Windows the window is
// alive, and it hands the window procedure what was sent to it; keys and
// everything else posted stay queued for the panel.
void answerWindows() {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return "";
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

// The device the operator named: the environment first, then the file.
std::string wantedDevice() {
    wchar_t value[256] = {};
    const DWORD length =
        ::GetEnvironmentVariableW(kDeviceVariable, value, static_cast<DWORD>(std::size(value)));
    if (length > 0 && length < std::size(value)) {
        const std::string name = audioDeviceFromFile(utf8(std::wstring(value, length)));
        if (!name.empty()) return name;
    }
    std::ifstream file(kSettingsFile, std::ios::binary);
    if (!file) return "";
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return audioDeviceFromFile(text);
}

// A clip handed to the device; its samples must stay put until it is done.
struct Queued {
    WAVEHDR header{};
    std::vector<std::uint8_t> samples;
};

bool isDeviceFormat(const WavSound& sound) {
    return sound.channels == kDeviceFormat.channels && sound.bitsPerSample == kDeviceFormat.bitsPerSample &&
           sound.samplesPerSecond == kDeviceFormat.samplesPerSecond;
}

WAVEFORMATEX deviceFormat() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(kDeviceFormat.channels);
    format.nSamplesPerSec = static_cast<DWORD>(kDeviceFormat.samplesPerSecond);
    format.wBitsPerSample = static_cast<WORD>(kDeviceFormat.bitsPerSample);
    format.nBlockAlign = static_cast<WORD>(kDeviceFormat.channels * kDeviceFormat.bitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    return format;
}

}  // namespace

struct WindowsSpeaker::Impl {
    std::unique_ptr<WaveOut> out;
    long long lookAgainMs;
    const WAVEFORMATEX format = deviceFormat();
    bool open = false;
    long long nextTryMs = 0;    // a device that failed is left alone until then
    long long quietFromMs = 0;  // when what was queued last has played out
    std::deque<Queued> queued;
    unsigned long long queuedBytes = 0;  // since the device last started afresh (reset)
    bool backgroundQueued = false;       // what is queued is a clip the next one cuts short
    std::function<void()> work;
    bool working = false;
    // What the operator has been told on stderr, so each is said once.
    bool silentReported = false;  // until speech is heard again
    std::string notFoundReported;
    bool radioReported = false;
    bool stallReported = false;
    bool refusedReported = false;

    Impl(std::unique_ptr<WaveOut> devices, long long lookAgain)
        : out(std::move(devices)), lookAgainMs(lookAgain) {}
    ~Impl() { closeDevice(); }

    // Sleeps up to ms, doing the waiting work at least every kWorkPeriodMs
    // and answering the window at least every kAnswerPeriodMs.
    void wait(long long ms) {
        const long long end = nowMs() + std::max(ms, 0LL);
        for (;;) {
            answerWindows();
            if (work && !working) {
                working = true;
                work();
                working = false;
            }
            const long long now = nowMs();
            if (now >= end) return;
            ::Sleep(static_cast<DWORD>(std::min(end - now, work ? kWorkPeriodMs : kAnswerPeriodMs)));
        }
    }

    void closeDevice() {
        if (!open) return;
        out->reset();
        for (Queued& clip : queued) out->release(clip.header);
        out->close();
        open = false;
        queued.clear();
        queuedBytes = 0;
        backgroundQueued = false;
    }

    // Gives back the clips the device has finished.
    void releaseDone() {
        while (!queued.empty() && (queued.front().header.dwFlags & WHDR_DONE)) {
            out->release(queued.front().header);
            queued.pop_front();
        }
    }

    // Which device speech goes to, saying on stderr what the operator should
    // know about it.
    AudioDeviceChoice choose() {
        const std::vector<std::string> names = out->deviceNames();
        const int preferred = out->preferredDevice();
        const std::string wanted = wantedDevice();
        const AudioDeviceChoice choice = chooseAudioDevice(names, preferred, wanted);
        if (choice.wantedNotFound && wanted != notFoundReported) {
            std::fprintf(stderr,
                         "vantor: no audio device is named like \"%s\" (VANTOR_AUDIO_DEVICE or %s): "
                         "speech goes to the system's default device\n",
                         wanted.c_str(), kSettingsFile);
            notFoundReported = wanted;
        }
        if (choice.radioCodecByDefault && !radioReported) {
            const std::size_t standard =
                preferred >= 0 && static_cast<std::size_t>(preferred) < names.size() ? preferred : 0;
            std::fprintf(stderr,
                         "vantor: speech goes to the radio's sound card \"%s\", the system's default audio "
                         "device: name the one to speak on in %s or VANTOR_AUDIO_DEVICE\n",
                         names[standard].c_str(), kSettingsFile);
            radioReported = true;
        }
        return choice;
    }

    // The device, open; false when there is none. A device that failed is
    // tried again when kLookAgainMs have passed, at the next clip.
    bool haveDevice() {
        const long long now = nowMs();
        if (open) {
            releaseDone();
            if (!queued.empty() || now < quietFromMs + lookAgainMs) return true;
            closeDevice();
        }
        if (now < nextTryMs) return false;
        const AudioDeviceChoice choice = choose();
        std::string why = out->open(choice.device, format);
        if (!why.empty() && choice.device >= 0) {
            // The named device is there but will not play: the default rather
            // than silence.
            if (!refusedReported)
                std::fprintf(stderr,
                             "vantor: the audio device named in VANTOR_AUDIO_DEVICE or %s does not open "
                             "(%s): speech goes to the system's default device\n",
                             kSettingsFile, why.c_str());
            refusedReported = true;
            why = out->open(-1, format);
        }
        if (why.empty()) {
            open = true;
            return true;
        }
        nextTryMs = now + lookAgainMs;
        if (!silentReported)
            std::fprintf(stderr, "vantor: no audio device: speech is silent until there is one (%s)\n",
                         why.c_str());
        silentReported = true;
        return false;
    }

    // Queues the clip. A clip in the background is cut short by the next one;
    // a spoken one is followed without a gap. False when the device refuses it.
    bool queue(const WavSound& sound, bool inBackground) {
        if (backgroundQueued || inBackground) {
            out->reset();
            queuedBytes = 0;
        }
        releaseDone();
        // An idle device starts counting afresh, so the count never wraps.
        if (queued.empty() && queuedBytes != 0) {
            out->reset();
            queuedBytes = 0;
        }
        backgroundQueued = inBackground;
        std::vector<std::uint8_t> samples =
            isDeviceFormat(sound) ? sound.samples : convertPcm(sound, kDeviceFormat);
        if (samples.empty()) return true;
        Queued& clip = queued.emplace_back();
        clip.samples = std::move(samples);
        clip.header.lpData = reinterpret_cast<LPSTR>(clip.samples.data());
        clip.header.dwBufferLength = static_cast<DWORD>(clip.samples.size());
        if (!out->write(clip.header)) {
            queued.pop_back();
            return false;
        }
        queuedBytes += clip.header.dwBufferLength;
        quietFromMs = nowMs() + remainingMs();
        if (silentReported)
            std::fprintf(stderr, "vantor: an audio device takes the clips again: speech is heard\n");
        silentReported = false;
        return true;
    }

    // Onto the device; false when the clip cannot be heard. A device that
    // refuses it has gone (a headset unplugged), so the one the system has
    // now is opened at once.
    bool playOnDevice(const WavSound& sound, bool inBackground) {
        if (!haveDevice()) return false;
        if (queue(sound, inBackground)) return true;
        closeDevice();
        if (!silentReported)
            std::fprintf(stderr, "vantor: the audio device went away: speech is silent until there is one\n");
        silentReported = true;
        nextTryMs = 0;
        return haveDevice() && queue(sound, inBackground);
    }

    // How much of what is queued is still to be heard.
    long long remainingMs() {
        unsigned long long played = 0;
        if (!open || !out->playedBytes(played) || played >= queuedBytes) return 0;
        return static_cast<long long>((queuedBytes - played) * 1000 / format.nAvgBytesPerSec);
    }

    // A device that stops playing is given up and tried again like a missing
    // one: until then the clips pass silently in their own time rather than
    // each holding the panel for the stall allowance.
    void giveUpStalled() {
        if (!stallReported)
            std::fprintf(stderr,
                         "vantor: the audio device stopped playing: it is opened again for a later clip\n");
        stallReported = true;
        silentReported = true;
        closeDevice();
        nextTryMs = nowMs() + lookAgainMs;
    }

    bool load(const std::string& clipPath, WavSound& sound) {
        const std::string file = clipFileFor(clipPath);
        if (file.empty()) {
            reportMissingClipFolder(clipPath);
            return false;
        }
        std::string why;
        return readWavFile(file, sound, why);
    }
};

WindowsSpeaker::WindowsSpeaker() : WindowsSpeaker(systemWaveOut(), kLookAgainMs) {}

WindowsSpeaker::WindowsSpeaker(std::unique_ptr<WaveOut> devices, long long retryMs)
    : impl_(std::make_unique<Impl>(std::move(devices), retryMs)) {}

WindowsSpeaker::~WindowsSpeaker() = default;

void WindowsSpeaker::play(const std::string& clipPath) {
    Impl& s = *impl_;
    WavSound sound;
    if (!s.load(clipPath, sound)) return;
    FineTimer fine;
    const long long lengthMs = sound.lengthMs();
    if (!s.playOnDevice(sound, false)) {
        s.wait(lengthMs);  // no sound card: the clip's time passes silently
        return;
    }
    // Returns while the clip's last samples are still playing, so the next
    // clip joins it before the device runs dry.
    const long long giveUp = nowMs() + lengthMs + kStallAllowanceMs;
    for (long long left = s.remainingMs(); left > kJoinAheadMs; left = s.remainingMs()) {
        if (nowMs() >= giveUp) {
            s.giveUpStalled();
            return;
        }
        s.wait(std::max(left - kJoinAheadMs, 1LL));
    }
    s.releaseDone();
}

void WindowsSpeaker::playInBackground(const std::string& clipPath) {
    Impl& s = *impl_;
    WavSound sound;
    if (s.load(clipPath, sound)) s.playOnDevice(sound, true);
}

void WindowsSpeaker::setWorkWhileWaiting(std::function<void()> work) { impl_->work = std::move(work); }

bool WindowsSpeaker::speechGoesToRadio() { return impl_->choose().radioCodecByDefault; }

}  // namespace vantor
