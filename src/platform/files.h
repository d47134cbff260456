#pragma once
// Text files in the working directory. Standard C++ and, for the crash-safe
// write, the system's own calls, so the same code serves the program and the tests (which use real files in a temporary directory).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// File names are UTF-8 inside the panel. On Windows a path keeps its wide
// form from the system to here and back: a narrow string read through the
// code page would lose every letter the code page lacks (a user folder
// "C:\Users\Jürgen" or one in Cyrillic). On Linux both are the bytes as they are.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8Of(const std::filesystem::path& path);
#ifdef _WIN32
// The same for any text Windows is given (a title, a sentence): invalid UTF-8
// becomes U+FFFD rather than failing.
std::wstring wideFromUtf8(std::string_view text);
#endif

// No file the panel reads or keeps a copy of is larger than this: its own
// files are a few kilobytes, and a link to a device or a huge file must
// neither hold the panel up nor fill the disk.
inline constexpr std::uintmax_t kMaxFileBytes = 1 << 20;

enum class ReadResult { ok, missing, unreadable };

// Reads at most maxLines lines; a line ends at CR, LF or CR LF, which are not
// part of it, and keeps its first maxLineLength characters. Reading stops
// after kMaxFileBytes, so an endless line ends there. A pipe is unreadable,
// as opening it would wait for a writer.
ReadResult readLines(const std::string& path, std::vector<std::string>& lines, std::size_t maxLines,
                     std::size_t maxLineLength);
// Writes each line followed by CR LF into the temporary file path + ".tmp",
// syncs it to disk, renames it over path and syncs the folder, so a crash or
// power cut leaves either the old file or the new one, never half of one.
// False, with errno telling why, when it could not (a full disk, a folder that
// cannot be written): path is then untouched and the temporary file removed.
bool writeLinesSafely(const std::string& path, const std::vector<std::string>& lines);
bool fileExists(const std::string& path);
bool removeFile(const std::string& path);
// Copies path to path + ".bak", or to the first free ".bak1", ".bak2", ...
// up to ".bak999". Only a regular file of at most kMaxFileBytes is copied.
// Returns the name written, "" when the copy failed.
std::string keepBackupCopy(const std::string& path);

}  // namespace vantor
