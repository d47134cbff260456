#include "platform/linux/sdl_speaker.h"

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/clip_files.h"

namespace vantor {

namespace {

// How long past its own length a clip may take before the wait gives up: a
// stalled sound server must not stop the panel.
constexpr Uint64 kStallAllowanceMs = 2000;
// How long the device stays open after the last clip.
constexpr Uint32 kIdleCloseMs = 2000;
constexpr int kClipRate = 22050;
// How often the waiting work runs while a clip plays.
constexpr Uint32 kWorkPeriodMs = 5;

// The sound libraries under SDL print their own complaints while looking for
// a device; the operator gets our one line instead.
class QuietStderr {
  public:
    QuietStderr() : saved_(::dup(2)) {
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && nowhere >= 0) ::dup2(nowhere, 2);
        if (nowhere >= 0) ::close(nowhere);
    }
    ~QuietStderr() {
        if (saved_ < 0) return;
        ::dup2(saved_, 2);
        ::close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

  private:
    int saved_;
};

struct Clip {
    std::vector<Uint8> samples;  // in the device's format; empty without a device
    Uint32 lengthMs = 0;
};

}  // namespace

struct SdlSpeaker::Impl {
    // SDL's timer thread closes an idle device while the panel runs on.
    std::mutex lock;
    bool subsystemStarted = false;
    bool noDevice = false;  // known since the first clip; never asked again
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec obtained{};
    bool backgroundQueued = false;  // what is queued is a clip the next one cuts short
    Uint64 lastQueuedMs = 0;
    SDL_TimerID idleTimer = 0;
    std::function<void()> work;
    bool working = false;

    // Sleeps up to ms, doing the waiting work at least every kWorkPeriodMs.
    void wait(Uint32 ms) {
        if (!work) {
            SDL_Delay(ms);
            return;
        }
        const Uint64 end = SDL_GetTicks64() + ms;
        for (;;) {
            if (!working) {
                working = true;
                work();
                working = false;
            }
            const Uint64 now = SDL_GetTicks64();
            if (now >= end) return;
            SDL_Delay(static_cast<Uint32>(std::min<Uint64>(end - now, kWorkPeriodMs)));
        }
    }

    ~Impl() {
        {
            std::lock_guard<std::mutex> held(lock);
            if (idleTimer != 0) SDL_RemoveTimer(idleTimer);
            idleTimer = 0;
            if (device != 0) SDL_CloseAudioDevice(device);
            device = 0;
        }
        // The last user of the timer subsystem waits here for its thread, so
        // no idle check can still be running when the speaker goes.
        if (subsystemStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
    }

    // Opens the device if it is closed; false when there is none. The first
    // failure is reported once and the speaker stays silent from then on.
    // Called with the lock held.
    bool haveDevice() {
        if (device != 0) return true;
        if (noDevice) return false;
        std::fflush(stderr);
        {
            QuietStderr quiet;
            if (!subsystemStarted) subsystemStarted = SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER) == 0;
            if (subsystemStarted) device = openDevice();
        }
        if (device == 0) {
            noDevice = true;
            std::fprintf(stderr, "vantor: no audio device: speech is silent (%s)\n", SDL_GetError());
            return false;
        }
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

    SDL_AudioDeviceID openDevice() {
        SDL_AudioSpec wanted{};
        wanted.freq = kClipRate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 1;
        // The device buffer is what may still sound when a clip's play returns.
        wanted.samples = 512;
        wanted.callback = nullptr;  // clips are queued
        return SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained,
                                   SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    }

    Uint32 bufferMs() const {
        return obtained.freq > 0
                   ? static_cast<Uint32>(obtained.samples) * 1000u / static_cast<Uint32>(obtained.freq)
                   : 0;
    }

    bool load(const std::string& file, Clip& clip) {
        SDL_AudioSpec format{};
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        if (SDL_LoadWAV(file.c_str(), &format, &buffer, &length) == nullptr) return false;
        const Uint32 frameBytes = SDL_AUDIO_BITSIZE(format.format) / 8u * format.channels;
        if (frameBytes == 0 || format.freq <= 0) {
            SDL_FreeWAV(buffer);
            return false;
        }
        length -= length % frameBytes;
        clip.lengthMs = static_cast<Uint32>(static_cast<std::uint64_t>(length / frameBytes) * 1000u /
                                            static_cast<std::uint64_t>(format.freq));
        bool ok = true;
        if (device != 0) {
            SDL_AudioStream* stream = SDL_NewAudioStream(format.format, format.channels, format.freq,
                                                         obtained.format, obtained.channels, obtained.freq);
            ok = stream != nullptr && SDL_AudioStreamPut(stream, buffer, static_cast<int>(length)) == 0 &&
                 SDL_AudioStreamFlush(stream) == 0;
            if (ok) {
                clip.samples.resize(static_cast<std::size_t>(SDL_AudioStreamAvailable(stream)));
                const int got =
                    SDL_AudioStreamGet(stream, clip.samples.data(), static_cast<int>(clip.samples.size()));
                ok = got >= 0;
                if (ok) clip.samples.resize(static_cast<std::size_t>(got));
            }
            if (stream != nullptr) SDL_FreeAudioStream(stream);
        }
        SDL_FreeWAV(buffer);
        return ok;
    }

    // Queues the clip. A clip in the background is cut short by the next one;
    // a spoken one is followed without a gap. Called with the lock held.
    void queue(const Clip& clip, bool inBackground) {
        if (backgroundQueued || inBackground) SDL_ClearQueuedAudio(device);
        backgroundQueued = inBackground;
        if (!clip.samples.empty())
            SDL_QueueAudio(device, clip.samples.data(), static_cast<Uint32>(clip.samples.size()));
        lastQueuedMs = SDL_GetTicks64();
        if (idleTimer == 0) idleTimer = SDL_AddTimer(kIdleCloseMs, closeWhenIdle, this);
    }

    // A device left open keeps its thread waking to play silence, so one that
    // has played nothing for a while is closed; the next clip opens it again.
    static Uint32 closeWhenIdle(Uint32 interval, void* param) {
        auto* self = static_cast<Impl*>(param);
        std::lock_guard<std::mutex> held(self->lock);
        if (self->device == 0 || self->idleTimer == 0) return 0;
        const bool quiet = SDL_GetQueuedAudioSize(self->device) == 0 &&
                           SDL_GetTicks64() >= self->lastQueuedMs + kIdleCloseMs;
        if (!quiet) return interval;
        SDL_CloseAudioDevice(self->device);
        self->device = 0;
        self->idleTimer = 0;
        return 0;
    }

    Uint32 queuedBytes() {
        std::lock_guard<std::mutex> held(lock);
        return device != 0 ? SDL_GetQueuedAudioSize(device) : 0;
    }
};

SdlSpeaker::SdlSpeaker() : impl_(std::make_unique<Impl>()) {}

SdlSpeaker::~SdlSpeaker() = default;

void SdlSpeaker::play(const std::string& clipPath) {
    Impl& s = *impl_;
    const std::string file = clipFileFor(clipPath);
    if (file.empty()) return reportMissingClipFolder(clipPath);
    Clip clip;
    Uint32 bufferBytes = 0, bytesPerMs = 0, bufferMs = 0;
    {
        std::lock_guard<std::mutex> held(s.lock);
        const bool sound = s.haveDevice();
        if (!s.load(file, clip)) return;
        if (sound) {
            s.queue(clip, false);
            bufferBytes = s.obtained.size;
            bytesPerMs = std::max<Uint32>(1, static_cast<Uint32>(s.obtained.freq) * s.obtained.channels *
                                                 SDL_AUDIO_BITSIZE(s.obtained.format) / 8u / 1000u);
            bufferMs = s.bufferMs();
        }
    }
    if (bufferBytes == 0) {
        s.wait(clip.lengthMs);  // no sound card: the clip's time passes silently
        return;
    }
    // Returns while the clip's last samples are still queued, so the next
    // clip joins it before the device runs dry: what remains is at most one
    // device buffer. The device takes the queue a buffer at a time, so the
    // wait sleeps to a buffer short of the estimate and then looks each
    // millisecond.
    const Uint64 giveUp = SDL_GetTicks64() + clip.lengthMs + kStallAllowanceMs;
    for (Uint32 queued = s.queuedBytes(); queued > bufferBytes && SDL_GetTicks64() < giveUp;
         queued = s.queuedBytes()) {
        const Uint32 estimateMs = (queued - bufferBytes) / bytesPerMs;
        s.wait(estimateMs > bufferMs + 1 ? estimateMs - bufferMs : 1);
    }
}

void SdlSpeaker::setWorkWhileWaiting(std::function<void()> work) { impl_->work = std::move(work); }

void SdlSpeaker::playInBackground(const std::string& clipPath) {
    Impl& s = *impl_;
    const std::string file = clipFileFor(clipPath);
    if (file.empty()) return reportMissingClipFolder(clipPath);
    std::lock_guard<std::mutex> held(s.lock);
    Clip clip;
    if (s.haveDevice() && s.load(file, clip)) s.queue(clip, true);
}

}  // namespace vantor
