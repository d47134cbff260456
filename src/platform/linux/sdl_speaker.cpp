#include "platform/linux/sdl_speaker.h"

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/clip_files.h"

namespace vantor {

namespace {

// How long past its own length a clip may take before the wait gives up: a
// stalled sound server must not stop the panel.
constexpr Uint64 kStallAllowanceMs = 2000;
constexpr Uint32 kDrainPollMs = 5;

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
    bool openTried = false;
    bool subsystemStarted = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec obtained{};

    ~Impl() {
        if (device != 0) SDL_CloseAudioDevice(device);
        if (subsystemStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool haveDevice() {
        if (openTried) return device != 0;
        openTried = true;
        std::fflush(stderr);
        {
            QuietStderr quiet;
            subsystemStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
            if (subsystemStarted) device = openDevice();
        }
        if (device == 0) {
            std::fprintf(stderr, "vantor: no audio device: speech is silent (%s)\n", SDL_GetError());
            return false;
        }
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

    SDL_AudioDeviceID openDevice() {
        SDL_AudioSpec wanted{};
        wanted.freq = 22050;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 1;
        // A short buffer keeps the gap between the words of a sentence short.
        wanted.samples = 512;
        wanted.callback = nullptr;  // clips are queued
        return SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained,
                                   SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    }

    // Time the device holds samples after they leave the queue.
    Uint32 deviceBufferMs() const {
        if (obtained.freq <= 0) return 0;
        return static_cast<Uint32>(obtained.samples) * 1000u / static_cast<Uint32>(obtained.freq) + 1;
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
            SDL_AudioStream* stream =
                SDL_NewAudioStream(format.format, format.channels, format.freq, obtained.format,
                                   obtained.channels, obtained.freq);
            ok = stream != nullptr && SDL_AudioStreamPut(stream, buffer, static_cast<int>(length)) == 0 &&
                 SDL_AudioStreamFlush(stream) == 0;
            if (ok) {
                clip.samples.resize(static_cast<std::size_t>(SDL_AudioStreamAvailable(stream)));
                const int got = SDL_AudioStreamGet(stream, clip.samples.data(),
                                                   static_cast<int>(clip.samples.size()));
                ok = got >= 0;
                if (ok) clip.samples.resize(static_cast<std::size_t>(got));
            }
            if (stream != nullptr) SDL_FreeAudioStream(stream);
        }
        SDL_FreeWAV(buffer);
        return ok;
    }

    // Starts the clip, cutting short whatever is still queued.
    void start(const Clip& clip) {
        SDL_ClearQueuedAudio(device);
        if (!clip.samples.empty())
            SDL_QueueAudio(device, clip.samples.data(), static_cast<Uint32>(clip.samples.size()));
    }
};

SdlSpeaker::SdlSpeaker() : impl_(std::make_unique<Impl>()) {}

SdlSpeaker::~SdlSpeaker() = default;

void SdlSpeaker::play(const std::string& clipPath) {
    const std::string file = clipFileFor(clipPath);
    if (file.empty()) return;
    const bool sound = impl_->haveDevice();
    Clip clip;
    if (!impl_->load(file, clip)) return;
    if (!sound) {
        SDL_Delay(clip.lengthMs);
        return;
    }
    impl_->start(clip);
    const Uint64 giveUp = SDL_GetTicks64() + clip.lengthMs + kStallAllowanceMs;
    while (SDL_GetQueuedAudioSize(impl_->device) > 0 && SDL_GetTicks64() < giveUp)
        SDL_Delay(kDrainPollMs);
    SDL_Delay(impl_->deviceBufferMs());
}

void SdlSpeaker::playInBackground(const std::string& clipPath) {
    const std::string file = clipFileFor(clipPath);
    if (file.empty() || !impl_->haveDevice()) return;
    Clip clip;
    if (impl_->load(file, clip)) impl_->start(clip);
}

}  // namespace vantor
