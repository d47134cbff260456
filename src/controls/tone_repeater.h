#pragma once
// Repeater operation: CTCSS and DCS tone codes, the per-band repeater shift,
// and putting the radio back on a band with its stored settings.

#include <string>

#include "core/panel.h"

namespace vantor {

// Switches the tone off at the radio ("CT00") and in the panel (no code).
void switchToneOff(Panel& p);
// Takes a tone mode the radio already has ("CT0" + mode): off forgets the
// code as switching off does; 1 and 2 are CTCSS, 3 DCS.
void takeToneMode(Panel& p, int mode);
// Sends the tone code in toneCodeText (the caller has set dcsSelected).
void applyToneCode(Panel& p);
// Switches the repeater shift of the current band on or off (silently when repeaterOn is 2).
void toggleRepeater(Panel& p);
// The tone and shift in force now, to be brought back once a mode that ends
// them (see showMode) has come and gone.
ToneAndShift toneAndShiftInForce(const Panel& p);
// Switches the shift and the tone that were in force on again, as V and I
// would: the radio gets "OS0x", then the code and "CT01" or "CT03".
void bringBackToneAndShift(Panel& p, const ToneAndShift& kept);
// Sign and 8-digit shift in kHz of the current band: "-00000600".
std::string repeaterShiftField(Panel& p);
// The highest band row the radio has, by the configured top band: 10 (10 m),
// 11 (6 m), 12 (2 m) or 13 (70 cm).
int topBandRow(const Panel& p);
// Puts the radio on the current band row's frequency, mode, shift, tone and preamp, and says the band.
void applyBandRow(Panel& p);
// Chooses the band row for the megahertz typed in a frequency entry (entryBand).
void bandForEnteredMhz(Panel& p);

}  // namespace vantor
