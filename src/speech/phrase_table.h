#pragma once
// The phrase table the clips are made from, built into the program: clip
// name, a tab, the words; "#" lines and blank lines are notes.

#include <string_view>

namespace vantor {

std::string_view phraseTableText();

}  // namespace vantor
