#pragma once
#include "core/panel.h"

namespace vantor {

// Runs once after the configuration is read: window texts, debug log, start
// values, band table, stored memories, the radio's port, optional power-on,
// the start band's frequency, VFO A and the start band's mode.
void radioStartup(Panel& p);
// The 14 built-in band rows.
void fillBandTable(Panel& p);

}  // namespace vantor
