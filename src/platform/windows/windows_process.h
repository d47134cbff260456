#pragma once
// What a window program (no console of its own) needs from Windows at its
// start: its arguments in full, a way to answer --help, and a home for the
// lines other systems find on standard error.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vantor {

// The arguments after the program's name, in UTF-8, from the wide command
// line: the narrow argv has them in the code page, which lacks most letters.
std::vector<std::string> commandLineArguments();

// Writes text (UTF-8) where whoever started the program reads it: its
// standard output when it was given one, else the console it was started
// from; else standard error, so that it reaches the log.
void writeToStarter(const std::string& text);

// From construction to destruction, every line written to standard error
// (std::cerr, stderr, descriptor 2) is appended to the file, stamped with the
// local time and kept within its size (platform/error_log.h), and still goes
// to the standard error the program was given, if any. The destructor waits
// until the last line is in the file.
class StandardErrorLog {
  public:
    explicit StandardErrorLog(const std::filesystem::path& file);
    ~StandardErrorLog();
    StandardErrorLog(const StandardErrorLog&) = delete;
    StandardErrorLog& operator=(const StandardErrorLog&) = delete;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantor
