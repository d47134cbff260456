// The words of a sentence, as the speech log writes them and a speech service
// would say them: from the phrase table, numbers as a person says them.

#include "speech/sentence.h"

#include <gtest/gtest.h>

#include <sstream>

#include "speech/say.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

TEST(SentenceTest, ClipsBecomeTheWordsOfTheirPhrasesWithNumbersRunTogether) {
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"1", "4", "point", "0", "7", "4", "mhz", "usb.wav"}, "14.074 megahertz U S B"},
        {{"vfob", "7", "point", "1", "mhz", "lsb.wav", "preamp", "off", "connected"},
         "V F O B 7.1 megahertz L S B preamp off connected"},
        {{"s", "9", "plus", "2", "0"}, "S 9 plus 20"},
        {{"Power", "4", "5", "watts"}, "power 45 watts"},
        {{"ctcss", "0", "8", "8"}, "C T C S S 088"},
        {{"point", "5"}, "point 5"},                       // no number before it: the word
        {{"3", "point", "mhz"}, "3 point megahertz"},       // no digit after it: the word
        {{"ft.wav", "3.wav", "point", "5"}, "Vantor version 3.5"},
        {{"20", "metres"}, "twenty metres"},               // a band name is a phrase, not digits
        {{"swr", "delay", "na"}, "swr not available"},     // a name the table lacks is itself
        {{}, ""},
    };
    for (const auto& [clips, words] : rows) EXPECT_EQ(sentenceOf(clips), words) << words;
}

class SentenceLogTest : public testing::PanelTest {};

// A pause and a beep end the sentence under way; the end of an operation
// ends it too. The muted S-meter field is neither logged nor a word.
TEST_F(SentenceLogTest, TheSpeechLogGetsEachSentenceOnceAsItEnds) {
    ASSERT_TRUE(openSpeechLog(p, "speech.log"));
    p.wavePrefix = "wave\\";
    for (const char* clip : {"tune", "on", "beep", "beep", "ok"}) say(p, clip);
    p.wavePrefix = std::string(kMutedClipPrefix);
    say(p, "s.wav");
    p.wavePrefix = "wave\\";
    say(p, "off");
    endSentence(p);
    endSentence(p);  // nothing under way: no line
    std::string sentences;
    std::istringstream log(testing::readFile("speech.log"));
    for (std::string line; std::getline(log, line);)
        if (line.starts_with(kSentenceMark)) sentences += line.substr(kSentenceMark.size()) + "|";
    EXPECT_EQ(sentences, "tune on|OK off|");
}

}  // namespace
}  // namespace vantor
