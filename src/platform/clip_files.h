#pragma once
// Where the speech clips live on this machine.

#include <string>

namespace vantor {

// File names here are UTF-8 (see pathFromUtf8 in platform/files.h).

// The file a clip path names, or "" when there is none to play.
// "wave\" + name looks in the directory named by the environment variable
// VANTOR_CLIPS when it is set, else in the wave/ directory of the working
// directory or, when there is none, in the clip directory that came with the
// program: the build tree's for the program in that tree, the installed one otherwise.
// ".wav" is added when the name has no extension, and a name that does not
// match exactly is matched ignoring letter case ("Power", "SWR", "EF").
// Any other prefix (the muting prefix "xx") names a file as it stands.
// A name holding a path separator or any character other than letters,
// digits, ".", "_" and "-" names nothing: parts of clip names come from radio replies.
std::string clipFileFor(const std::string& clipPath);

// True when the clip name may be played.
bool isSafeClipName(const std::string& name);

// The clip directory used for "wave\" (for messages and tests); "" when there is none.
std::string clipDirectory();

// For a clip that could not be found: without any clip folder the operator
// hears nothing at all, so that is said once on stderr, at the first such clip.
void reportMissingClipFolder(const std::string& clipPath);

}  // namespace vantor
