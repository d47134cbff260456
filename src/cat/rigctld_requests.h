#pragma once
// What each rigctld request asks of the radio and what the radio's answers
// give back: the arguments checked, the CAT commands a request needs, and the
// values read from the answers (the levels, switches and clarifier are
// cat/rigctld_settings.h's).

#include <optional>

#include "cat/rigctld_radio.h"
#include "cat/rigctld_session.h"
#include "cat/rigctld_settings.h"

namespace vantor {

// Works out what the request needs from the radio, or the error it already has.
// The VFO a client selects is its own: it only decides which VFO f and F use.
void prepareRequest(RigctldRequest& request, bool& onVfoB, const RigDescription& rig);

// Labelled values of a query's answer, or nothing when it carries none.
std::optional<RigctldValues> requestValues(const RigctldRequest& request, const RigDescription& rig);

// With VFO A's mode and VFO B's frequency read, the split mode is set as the
// FT-991 allows: the mode on VFO A, VFO A copied to VFO B, then VFO A's mode
// and VFO B's frequency put back. 0, or the code of an answer that is none.
int continueSplitMode(RigctldRequest& request, const RigDescription& rig);

}  // namespace vantor
