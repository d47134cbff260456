#include "platform/windows/wave_out.h"

// The mapper's messages (DRVM_MAPPER_PREFERRED_GET).
#include <mmddk.h>

namespace vantor {

namespace {

std::string utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return "";
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

std::string errorText(MMRESULT result) {
    wchar_t text[MAXERRORLENGTH] = {};
    if (::waveOutGetErrorTextW(result, text, MAXERRORLENGTH) != MMSYSERR_NOERROR)
        return "error " + std::to_string(result);
    return utf8(text);
}

class SystemWaveOut : public WaveOut {
  public:
    ~SystemWaveOut() override { close(); }

    std::vector<std::string> deviceNames() override {
        std::vector<std::string> names;
        const UINT count = ::waveOutGetNumDevs();
        for (UINT i = 0; i < count; ++i) {
            WAVEOUTCAPSW caps{};
            names.push_back(::waveOutGetDevCapsW(i, &caps, sizeof caps) == MMSYSERR_NOERROR
                                ? utf8(caps.szPname)
                                : std::string());
        }
        return names;
    }

    int preferredDevice() override {
        DWORD device = static_cast<DWORD>(-1), flags = 0;
        if (::waveOutMessage(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(WAVE_MAPPER)),
                             DRVM_MAPPER_PREFERRED_GET, reinterpret_cast<DWORD_PTR>(&device),
                             reinterpret_cast<DWORD_PTR>(&flags)) != MMSYSERR_NOERROR ||
            device > 0xFFFF)
            return -1;
        return static_cast<int>(device);
    }

    std::string open(int device, const WAVEFORMATEX& format) override {
        close();
        const UINT id = device < 0 ? WAVE_MAPPER : static_cast<UINT>(device);
        const MMRESULT result = ::waveOutOpen(&handle_, id, &format, 0, 0, CALLBACK_NULL);
        if (result == MMSYSERR_NOERROR) return "";
        handle_ = nullptr;
        return errorText(result);
    }

    bool write(WAVEHDR& header) override {
        if (!handle_) return false;
        if (::waveOutPrepareHeader(handle_, &header, sizeof header) != MMSYSERR_NOERROR) return false;
        if (::waveOutWrite(handle_, &header, sizeof header) == MMSYSERR_NOERROR) return true;
        ::waveOutUnprepareHeader(handle_, &header, sizeof header);
        return false;
    }

    void release(WAVEHDR& header) override {
        if (handle_) ::waveOutUnprepareHeader(handle_, &header, sizeof header);
    }

    void reset() override {
        if (handle_) ::waveOutReset(handle_);
    }

    void close() override {
        if (!handle_) return;
        ::waveOutReset(handle_);
        ::waveOutClose(handle_);
        handle_ = nullptr;
    }

    bool playedBytes(unsigned long long& bytes) override {
        MMTIME position{};
        position.wType = TIME_BYTES;
        if (!handle_ || ::waveOutGetPosition(handle_, &position, sizeof position) != MMSYSERR_NOERROR ||
            position.wType != TIME_BYTES)
            return false;
        bytes = position.u.cb;
        return true;
    }

  private:
    HWAVEOUT handle_ = nullptr;
};

}  // namespace

std::unique_ptr<WaveOut> systemWaveOut() { return std::make_unique<SystemWaveOut>(); }

}  // namespace vantor
