#pragma once
// The radio's capabilities as rigctld's dump_caps prints them, for the people
// and programs that read them: the radio as Hamlib knows it, with only what
// this network port serves marked as settable or readable.

#include <string>

#include "cat/rigctld_radio.h"

namespace vantor {

std::string dumpCaps(const RigDescription& rig);

}  // namespace vantor
