#pragma once
// What the system says about one of its error codes, in one line.

#include <string>

namespace vantor {

std::string systemMessage(unsigned long error);

}  // namespace vantor
