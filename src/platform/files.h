#pragma once
// Text files in the working directory. Portable standard C++, so the same code
// serves the program and the tests (which use real files in a temporary directory).

#include <string>
#include <vector>

namespace vantor {

enum class ReadResult { ok, missing, unreadable };

// Reads every line; a line ends at CR, LF or CR LF, which are not part of it.
ReadResult readLines(const std::string& path, std::vector<std::string>& lines);
// Writes each line followed by CR LF into a temporary file beside path,
// flushes it and renames it over path, so a crash or power cut leaves either
// the old file or the new one, never half of one. False when it could not.
bool writeLinesSafely(const std::string& path, const std::vector<std::string>& lines);
bool fileExists(const std::string& path);
bool removeFile(const std::string& path);
// Copies path to path + ".bak", or to the first free ".bak1", ".bak2", ...
// Returns the name written, "" when the copy failed.
std::string keepBackupCopy(const std::string& path);

}  // namespace vantor
