#include "platform/windows/windows_speaker.h"

#include <windows.h>
// mmsystem.h needs the types windows.h declares.
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>

#include "platform/clip_files.h"
#include "platform/wav_file.h"

namespace vantor {

namespace {

// How long past its own length a clip may take before the wait gives up: a
// stalled device must not stop the panel.
constexpr ULONGLONG kStallAllowanceMs = 2000;
// play() returns this long before its clip ends, so the next one is queued
// before the device runs dry.
constexpr long long kJoinAheadMs = 30;
// How often the waiting work runs while a clip plays.
constexpr ULONGLONG kWorkPeriodMs = 5;

// A clip handed to the device; its samples must stay put until it is done.
struct Queued {
    WAVEHDR header{};
    std::vector<std::uint8_t> samples;
};

bool sameFormat(const WAVEFORMATEX& a, const WavSound& b) {
    return a.nChannels == b.channels && a.wBitsPerSample == b.bitsPerSample &&
           static_cast<int>(a.nSamplesPerSec) == b.samplesPerSecond;
}

}  // namespace

struct WindowsSpeaker::Impl {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX format{};
    bool noDevice = false;  // known since the first clip; never asked again
    std::deque<Queued> queued;
    unsigned long long queuedBytes = 0;  // since the device last started afresh (waveOutReset)
    bool backgroundQueued = false;       // what is queued is a clip the next one cuts short
    std::function<void()> work;
    bool working = false;

    ~Impl() { closeDevice(); }

    // Sleeps up to ms, doing the waiting work at least every kWorkPeriodMs.
    void wait(long long ms) {
        const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(std::max(ms, 0LL));
        for (;;) {
            if (work && !working) {
                working = true;
                work();
                working = false;
            }
            const ULONGLONG now = ::GetTickCount64();
            if (now >= end) return;
            ::Sleep(static_cast<DWORD>(work ? std::min(end - now, kWorkPeriodMs) : end - now));
        }
    }

    void closeDevice() {
        if (!device) return;
        ::waveOutReset(device);
        releaseDone();
        ::waveOutClose(device);
        device = nullptr;
        queued.clear();
        queuedBytes = 0;
    }

    // Gives back the clips the device has finished.
    void releaseDone() {
        while (!queued.empty() && (queued.front().header.dwFlags & WHDR_DONE)) {
            ::waveOutUnprepareHeader(device, &queued.front().header, sizeof(WAVEHDR));
            queued.pop_front();
        }
    }

    // The device, open for the clip's format; false when there is none. The
    // first failure is reported once and the speaker stays silent from then on.
    bool haveDevice(const WavSound& sound) {
        if (noDevice) return false;
        if (device && sameFormat(format, sound)) return true;
        closeDevice();
        format = WAVEFORMATEX{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = static_cast<WORD>(sound.channels);
        format.nSamplesPerSec = static_cast<DWORD>(sound.samplesPerSecond);
        format.wBitsPerSample = static_cast<WORD>(sound.bitsPerSample);
        format.nBlockAlign = static_cast<WORD>(sound.frameBytes());
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        const MMRESULT result = ::waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
        if (result == MMSYSERR_NOERROR) return true;
        device = nullptr;
        noDevice = true;
        wchar_t text[MAXERRORLENGTH] = {};
        ::waveOutGetErrorTextW(result, text, MAXERRORLENGTH);
        std::fprintf(stderr, "vantor: no audio device: speech is silent (%ls)\n", text);
        return false;
    }

    bool queue(WavSound& sound, bool inBackground) {
        if (backgroundQueued || inBackground) {
            ::waveOutReset(device);
            queuedBytes = 0;
        }
        releaseDone();
        // An idle device starts counting afresh, so the count never wraps.
        if (queued.empty() && queuedBytes != 0) {
            ::waveOutReset(device);
            queuedBytes = 0;
        }
        backgroundQueued = inBackground;
        if (sound.samples.empty()) return true;
        Queued& clip = queued.emplace_back();
        clip.samples = std::move(sound.samples);
        clip.header.lpData = reinterpret_cast<LPSTR>(clip.samples.data());
        clip.header.dwBufferLength = static_cast<DWORD>(clip.samples.size());
        if (::waveOutPrepareHeader(device, &clip.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
            ::waveOutWrite(device, &clip.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            ::waveOutUnprepareHeader(device, &clip.header, sizeof(WAVEHDR));
            queued.pop_back();
            return false;
        }
        queuedBytes += clip.header.dwBufferLength;
        return true;
    }

    // How much of what is queued is still to be heard.
    long long remainingMs() {
        MMTIME position{};
        position.wType = TIME_BYTES;
        if (::waveOutGetPosition(device, &position, sizeof position) != MMSYSERR_NOERROR ||
            position.wType != TIME_BYTES || format.nAvgBytesPerSec == 0)
            return 0;
        const unsigned long long played = position.u.cb;
        if (played >= queuedBytes) return 0;
        return static_cast<long long>((queuedBytes - played) * 1000 / format.nAvgBytesPerSec);
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

WindowsSpeaker::WindowsSpeaker() : impl_(std::make_unique<Impl>()) {}

WindowsSpeaker::~WindowsSpeaker() = default;

void WindowsSpeaker::play(const std::string& clipPath) {
    Impl& s = *impl_;
    WavSound sound;
    if (!s.load(clipPath, sound)) return;
    const long long lengthMs = sound.lengthMs();
    if (!s.haveDevice(sound) || !s.queue(sound, false)) {
        s.wait(lengthMs);  // no sound card: the clip's time passes silently
        return;
    }
    // Returns while the clip's last samples are still playing, so the next
    // clip joins it before the device runs dry.
    const ULONGLONG giveUp = ::GetTickCount64() + static_cast<ULONGLONG>(lengthMs) + kStallAllowanceMs;
    for (long long left = s.remainingMs(); left > kJoinAheadMs && ::GetTickCount64() < giveUp;
         left = s.remainingMs())
        s.wait(std::max(left - kJoinAheadMs, 1LL));
    s.releaseDone();
}

void WindowsSpeaker::playInBackground(const std::string& clipPath) {
    Impl& s = *impl_;
    WavSound sound;
    if (s.load(clipPath, sound) && s.haveDevice(sound)) s.queue(sound, true);
}

void WindowsSpeaker::setWorkWhileWaiting(std::function<void()> work) { impl_->work = std::move(work); }

}  // namespace vantor
