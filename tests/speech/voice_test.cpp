// Speaking through the speech service: one utterance a sentence, pauses and
// beeps as clips, braille beside it, the clips again when the service fails,
// and the operator's rate kept in voice.cfg.

#include <gtest/gtest.h>

#include "panel/keys.h"
#include "speech/say.h"
#include "speech/voice_settings.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

class VoiceTest : public testing::RadioTest {
protected:
    VoiceTest() {
        startConnectedPanel();
        fake.platform.voice = &fake.voice;
        fake.platform.braille = &fake.braille;
    }
    void sayAll(const std::string& clips) {
        for (const std::string& clip : testing::words(clips)) say(p, clip);
        endSentence(p);
    }
    std::string utterances() {
        std::string all;
        for (const auto& u : fake.voice.spoken) all += u.words + "|";
        fake.voice.spoken.clear();
        return all;
    }
};

TEST_F(VoiceTest, EachSentenceIsOneUtteranceAndPausesAndBeepsStayClips) {
    struct Row {
        const char* clips;
        const char* utterances;
        const char* clipsPlayed;
        const char* braille;
    };
    const Row rows[] = {
        {"1 4 point 0 7 4 usb.wav", "14.074 U S B|", "", "14.074 USB"},
        {"tune on beep beep ok", "tune on|OK|", "beep beep", "tune on|OK"},
        {"af delay 5 0", "A.F. gain|50|", "delay", "AF gain|50"},
        {"delay", "", "delay", ""},
    };
    for (const Row& row : rows) {
        fake.braille.shown.clear();
        sayAll(row.clips);
        EXPECT_EQ(utterances(), row.utterances) << row.clips;
        std::string played;
        for (const std::string& clip : spoken()) played += (played.empty() ? "" : " ") + clip;
        EXPECT_EQ(played, row.clipsPlayed) << row.clips;
        std::string braille;
        for (const std::string& text : fake.braille.shown) braille += (braille.empty() ? "" : "|") + text;
        EXPECT_EQ(braille, row.braille) << row.clips;
    }
}

// The help goes on in the background, a sentence of its own.
TEST_F(VoiceTest, TheBackgroundSentenceIsNotWaitedFor) {
    say(p, "ok");
    sayInBackground(p, "help");
    const long long before = fake.virtualClock.nowMs();
    sayInBackground(p, "quit");
    EXPECT_EQ(fake.virtualClock.nowMs(), before);
    EXPECT_EQ(utterances(), "OK|&Help. B, band. F, frequency. E, enter frequency. M, mode. W, filter width. P, power. A, "
                            "A.F. gain. R, R F gain. S, S meter or S W R. Q, quit. H, help. F 1 to F 6: preamp, "
                            "attenuator, noise blanker, noise reduction, notch, speech processor.|&quit|");
    EXPECT_TRUE(spoken().empty());
}

// The programs sharing the radio are served while the voice speaks.
TEST_F(VoiceTest, TheWorkGoesOnWhileTheVoiceSpeaks) {
    int served = 0;
    fake.voice.setWorkWhileWaiting([&] { ++served; });
    sayAll("1 4 point 0 7 4 usb.wav");
    EXPECT_GT(served, 10);
}

// A service that fails mid-run leaves the clips to say the sentence it lost
// and all after it, with one line for the operator's helper.
TEST_F(VoiceTest, AFailingServiceHandsOverToTheClipsWithOneLine) {
    fake.voice.failAfter = 1;
    ::testing::internal::CaptureStderr();
    sayAll("ok");
    sayAll("1 4 usb.wav");
    sayAll("off");
    sayInBackground(p, "quit");
    const std::string complaints = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(utterances(), "OK|");
    EXPECT_EQ(spoken(), (testing::Clips{"1", "4", "usb.wav", "off", "&wave\\quit"}));
    EXPECT_EQ(complaints,
              "vantor: the speech service failed (the service went away); speaking with the clips\n");
    EXPECT_EQ(fake.platform.voice, nullptr);
}

// X then up or down steps the rate, says it at the new rate and keeps it;
// the next run starts at it, unless the command line chose another.
TEST_F(VoiceTest, TheRateKeysStepWithinTheRangeAndAreKept) {
    const std::tuple<int, int, const char*, int> rows[] = {
        {0, key::up, "rate 10|", 10},
        {-30, key::down, "rate minus 40|", -40},
        {100, key::up, "rate 100|", 100},  // the top stays the top
        {-100, key::down, "rate minus 100|", -100},
    };
    for (const auto& [start, code, said, rate] : rows) {
        fake.voice.rateNow = start;
        press('X');
        utterances();
        press(code);
        ASSERT_FALSE(fake.voice.spoken.empty());
        EXPECT_EQ(fake.voice.spoken.back().rate, rate);
        EXPECT_EQ(utterances(), said);
        EXPECT_EQ(p.keyPrefix, 0);
        EXPECT_EQ(testing::readFile(kVoiceSettingsFile), "rate " + std::to_string(rate) + "\r\n");
    }
    p.voiceRate.reset();
    readVoiceSettings(p);
    EXPECT_EQ(p.voiceRate, -100);
    p.voiceRate = 20;  // from the command line
    readVoiceSettings(p);
    EXPECT_EQ(p.voiceRate, 20);
}

TEST_F(VoiceTest, TheSettingsFileTakesWhatItCanAndNamesTheRest) {
    const std::tuple<const char*, std::optional<int>, std::optional<int>, const char*> rows[] = {
        {"rate 30\nvolume -20\n", 30, -20, ""},
        {"volume +5\r\n", std::nullopt, 5, ""},
        {"rate fast\nvolume 10\n", std::nullopt, 10, "\"rate fast\" is neither"},
        {"pitch 3\n", std::nullopt, std::nullopt, "\"pitch 3\" is neither"},
        {"rate 250\n", 100, std::nullopt, "a voice rate of 250 is outside -100 to 100; 100 is used"},
        {"", std::nullopt, std::nullopt, ""},
    };
    for (const auto& [text, rate, volume, complaint] : rows) {
        testing::writeFile(kVoiceSettingsFile, text);
        p.voiceRate.reset();
        p.voiceVolume.reset();
        fake.voice.rateNow = fake.voice.volumeNow = 7;
        ::testing::internal::CaptureStderr();
        readVoiceSettings(p);
        applyVoiceSettings(p);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(p.voiceRate, rate) << text;
        EXPECT_EQ(p.voiceVolume, volume) << text;
        EXPECT_EQ(fake.voice.rateNow, rate.value_or(7)) << text;
        EXPECT_EQ(fake.voice.volumeNow, volume.value_or(7)) << text;
        if (*complaint) EXPECT_NE(said.find(complaint), std::string::npos) << said;
        else EXPECT_EQ(said, "") << text;
    }
}

}  // namespace
}  // namespace vantor
