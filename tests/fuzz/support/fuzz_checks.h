#pragma once
// What every fuzz target relies on: a scratch working directory, standard
// error held back and read line by line, and the checks whose failure ends
// the run with abort() so that libFuzzer (or the replay) reports the input.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

namespace vantor::fuzz {

[[noreturn]] inline void broken(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

inline void require(bool holds, const std::string& what) {
    if (!holds) broken(what);
}

// An empty working directory of this process's own, on a memory file system
// where there is one: the panel syncs every file it writes.
class WorkDirectory {
  public:
    // Enters the directory, emptied; made on first use, removed at exit.
    static void enterEmpty();
};

// Standard error while an input runs. The operator cannot hear it, so the
// panel's rule is one line per fault, each starting "vantor: ".
class HeldErrors {
  public:
    HeldErrors() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
    ~HeldErrors() { std::cerr.rdbuf(previous_); }
    HeldErrors(const HeldErrors&) = delete;
    HeldErrors& operator=(const HeldErrors&) = delete;
    // Every line held so far has the prefix; returns the number of lines.
    int checkLines() const;

  private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

// A clip path as the panel plays it ("wave\point", "&wave\5.wav", the
// muted "xx5") names a clip the program ships in tools/clips/phrases.tsv.
bool isShippedClip(const std::string& path);

}  // namespace vantor::fuzz
