#pragma once
// The words of one spoken sentence: the clips one operation says, each turned
// into its words by the phrase table the clips are made from, the digits of a
// number run together as a person says them ("1 4 point 0 7 4" is "14.074").

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The words of one clip ("usb.wav" is "U S B"); a clip the table lacks is
// its own name, without ".wav".
std::string phraseOf(std::string_view clip);
// The sentence of the clips, in order; "delay" pauses say nothing.
std::string sentenceOf(const std::vector<std::string>& clips);
// The sentence as a braille reader takes it: spelled-out letters run
// together ("14.074 USB", "AF gain").
std::string brailleOf(const std::vector<std::string>& clips);
// A sentence ends before these clips: a pause, and a beep, which is no word.
bool endsSentence(std::string_view clip);

}  // namespace vantor
