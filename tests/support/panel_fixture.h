#pragma once
// A Panel on the fake platform in a fresh temporary working directory, so
// that files the panel writes (debug.dat, savmem.dat) never touch the tree.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/panel.h"
#include "platform/fake/fake_platform.h"

namespace vantor::testing {

using Clips = std::vector<std::string>;

// A sentence written as its clip names: "1 4 point 2 mhz".
inline Clips words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

class TemporaryDirectory {
public:
    TemporaryDirectory() {
        // A name no other test run has taken: creating it fails if it exists.
        std::random_device seed;
        std::mt19937_64 random(seed());
        const auto base = std::filesystem::temp_directory_path();
        do path_ = (base / ("vantor-test-" + std::to_string(random()))).string();
        while (!std::filesystem::create_directory(path_));
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~TemporaryDirectory() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::filesystem::path previous_;
};

inline void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(name, std::ios::binary) << content;
}

inline std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool fileExists(const std::string& name) { return std::filesystem::exists(name); }

// A vantor.cfg for port 1 at 38400 baud, 100 W, top band 70 cm.
inline std::string configuration(int powerControl, int debug, int tuner = 0) {
    return "COM=1\nSPEED=38400\nPOWER=100\nSWR=0\nATU=" + std::to_string(tuner) + "\nTOPBAND=7\nPOWRON=" +
           std::to_string(powerControl) + "\nTSQ=0\n10MOFS+100\n6MOFS-500\n2MOFS-600\n70MOFS-7600\nBRIDGE=0\nDEBUG=" +
           std::to_string(debug) + "\n";
}

class PanelTest : public ::testing::Test {
protected:
    TemporaryDirectory directory;
    fake::FakePlatform fake;
    Panel p{fake.platform};

    PanelTest() {
        p.versionText = "3.5a";
        p.wavePrefix = "wave\\";
        p.comHandle = 1;
        p.baudRate = 38400;
        fake.serial.open(1, 38400);
    }
    // What went to the radio (or to another port) since the last call.
    std::string sent(int port = 1) {
        std::string bytes = fake.serial.written(port);
        fake.serial.clearWritten(port);
        return bytes;
    }
    // Clip paths spoken since the last call, without the "wave\" prefix.
    std::vector<std::string> spoken() {
        std::vector<std::string> clips;
        for (const auto& path : fake.speaker.played) clips.push_back(path.rfind("wave\\", 0) == 0 ? path.substr(5) : path);
        fake.speaker.played.clear();
        return clips;
    }
    // The clips spoken since the last call, without the pauses.
    std::vector<std::string> heard() {
        std::vector<std::string> clips = spoken();
        std::erase(clips, "delay");
        return clips;
    }
    // The debug log written while `action` runs.
    template <typename Action>
    std::string logged(Action action) {
        p.debugLogging = 1;
        p.debugFileHandle = std::make_unique<std::ofstream>("debug.dat", std::ios::binary);
        action();
        p.debugFileHandle.reset();
        return readFile("debug.dat");
    }
};

}  // namespace vantor::testing
