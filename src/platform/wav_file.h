#pragma once
// Speech clips as they are stored: RIFF WAVE files holding plain PCM. Read
// here without any sound library, for the platforms whose sound output takes
// the samples as they are.

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

struct WavSound {
    int channels = 0;        // 1 or 2
    int bitsPerSample = 0;   // 8 (unsigned) or 16 (signed, little-endian)
    int samplesPerSecond = 0;
    std::vector<std::uint8_t> samples;  // whole frames only

    int frameBytes() const { return channels * bitsPerSample / 8; }
    // How long the samples take to play.
    long long lengthMs() const;
};

// Reads a PCM WAVE file of 8 or 16 bits, mono or stereo. False, with why
// saying what is wrong, for anything else: a missing or truncated file, a
// compressed format, a chunk that claims more than the file holds. A file
// whose data chunk runs short keeps the whole frames it has.
bool readWavFile(const std::string& path, WavSound& sound, std::string& why);
// The same for a file's bytes.
bool parseWav(const std::string& bytes, WavSound& sound, std::string& why);

}  // namespace vantor
