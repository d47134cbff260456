#pragma once
// The three rows of the main window that mirror the radio for a sighted
// helper: mode and S-meter on top, VFO marker and frequency in the middle,
// feature words below.

#include <string_view>

#include "core/panel.h"
#include "core/radio_picture.h"

namespace vantor {

// Window positions of the rows.
inline constexpr int kModeX = 50, kModeY = 45;
inline constexpr int kFeatureY = 250;
inline constexpr int kMarkerX = 80, kFrequencyX = 285, kFrequencyY = 150;
inline constexpr const char* kFace = "Ariel";  // falls back to the default sans face

// Handles a frequency reply in replyText ("FA"/"FB", nine digits, ";"): it
// updates the window, the band row and the frequency the keys work from; the
// first one after start then connects the radio.
void showFrequencyReply(Panel& p);
// Ends the run that Q began, with the memories saved.
void endQuit(Panel& p);
// Applies currentMode: shows its name, sends the mode, narrow and width
// commands, and brings the frequency back where the radio may have moved it.
void showMode(Panel& p);
// Notes the mode a tune or the keyer is about to set aside.
void setModeAside(Panel& p);
// Ends a tune or the keyer on the mode set aside: showMode, or the radio's
// own digit for a mode the panel has no name for.
void bringBackModeSetAside(Panel& p);
// Shows the mode a program sharing the radio set, and sends nothing: the
// radio is where the program put it, width and narrow filter included.
void showModeName(Panel& p);
// Rewrites the feature row.
void showFeatures(Panel& p);
// The current band row remembers currentMode (not for modes set by a bridge client).
void rememberBandMode(Panel& p);

}  // namespace vantor
