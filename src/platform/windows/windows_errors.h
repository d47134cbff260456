#pragma once
// What the system says about one of its error codes, in one line.

#include <string>

namespace vantor {

std::string systemMessage(unsigned long error);

// A COM result as "HRESULT 0x80004001 (Not implemented)"; without the
// system's words when it has none for the code.
std::string hresultMessage(long result);

}  // namespace vantor
