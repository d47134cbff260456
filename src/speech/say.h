#pragma once
// The one way the panel speaks: a clip per word, played to the end.

#include <string>

#include "core/panel.h"

namespace vantor {

// Plays wavePrefix + clip and returns when it has been heard. A clip that
// cannot be found plays nothing and returns at once.
void say(Panel& p, const std::string& clip);
// Starts the clip and returns at once; the next say cuts it short.
void sayInBackground(Panel& p, const std::string& clip);
// Opens the speech log: one line per say or sayInBackground with the clip path
// as formed, a tab and the file played for it (empty when there is none).
// False when the file cannot be created.
bool openSpeechLog(Panel& p, const std::string& path);

}  // namespace vantor
