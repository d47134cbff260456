#pragma once
// The waveOut calls the speaker makes, behind an interface so that the tests
// can stand in for a sound card that is missing, comes later, or goes while
// it plays. One device open at a time.

#include <windows.h>
// mmsystem.h needs the types windows.h declares.
#include <mmsystem.h>

#include <memory>
#include <string>
#include <vector>

namespace vantor {

class WaveOut {
  public:
    virtual ~WaveOut() = default;
    // The output devices' names (UTF-8), by device number.
    virtual std::vector<std::string> deviceNames() = 0;
    // The device the system plays on by default, -1 when it does not say.
    virtual int preferredDevice() = 0;
    // Opens the device (-1: the system's default) for the format; "" when
    // that worked, else why not.
    virtual std::string open(int device, const WAVEFORMATEX& format) = 0;
    // Prepares the buffer and hands it to the device; false when the device
    // refuses it (the buffer is then unprepared again).
    virtual bool write(WAVEHDR& header) = 0;
    // Gives back a buffer the device is done with.
    virtual void release(WAVEHDR& header) = 0;
    // Stops and marks every buffer done; the count of bytes played starts afresh.
    virtual void reset() = 0;
    virtual void close() = 0;
    // Bytes played since the device opened or was last reset; false when it cannot tell.
    virtual bool playedBytes(unsigned long long& bytes) = 0;
};

// The machine's waveOut devices.
std::unique_ptr<WaveOut> systemWaveOut();

}  // namespace vantor
