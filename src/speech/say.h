#pragma once
// The one way the panel speaks: a clip per word, played to the end.

#include <string>
#include <string_view>

#include "core/panel.h"

namespace vantor {

// The clip prefix of the poll's silent S-meter refresh: played on no device,
// never logged, no part of a sentence.
inline constexpr std::string_view kMutedClipPrefix = "xx";
// The speech log's sentence lines begin with this, the words after it.
inline constexpr std::string_view kSentenceMark = "said\t";

// Plays wavePrefix + clip and returns when it has been heard. A clip that
// cannot be found plays nothing and returns at once. The clip belongs to the
// sentence under way; a pause or a beep ends that sentence first.
void say(Panel& p, const std::string& clip);
// Starts the clip and returns at once; the next say cuts it short. It is a
// sentence of its own.
void sayInBackground(Panel& p, const std::string& clip);
// The clips said since the last end are one sentence: the speech log gets
// its words. Called where an operation ends.
void endSentence(Panel& p);
// Opens the speech log: one line per say or sayInBackground with the clip path
// as formed, a tab and the file played for it (empty when there is none), and
// after each sentence kSentenceMark and its words.
// False when the file cannot be created.
bool openSpeechLog(Panel& p, const std::string& path);

}  // namespace vantor
