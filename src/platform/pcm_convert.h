#pragma once
// Clips in the one format the sound device was opened for. The device stays
// open in that format, so a clip recorded differently (stereo, 8-bit, 44.1 kHz)
// still follows the others without a gap.

#include <cstdint>
#include <vector>

#include "platform/wav_file.h"

namespace vantor {

struct PcmFormat {
    int channels = 1;        // 1 or 2
    int bitsPerSample = 16;  // 8 (unsigned) or 16 (signed, little-endian)
    int samplesPerSecond = 22050;
};

// The sound's samples in the format: stereo is mixed to mono and mono is
// given to both channels, and the rate is changed by straight-line steps
// between neighbouring frames. The result lasts as long as the sound, to the
// nearest frame. Nothing for a sound or format that is not one of these.
std::vector<std::uint8_t> convertPcm(const WavSound& sound, const PcmFormat& format);

}  // namespace vantor
