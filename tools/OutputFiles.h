// Crash-safe output files for the brindle command: an output is written into a hidden temporary file
// in its destination's folder and renamed over the destination only once complete, so a failed run
// never leaves a half-written or clobbered file.
#pragma once

#include <string>

// The folder part of path: "." without a slash, "/" for a file at the root.
std::string FolderOf(const std::string& path);

// The mkstemp pattern of the temporary file for path: ".NAME.tmp-XXXXXX" in the same folder.
std::string TempPatternFor(const std::string& path);

// Gives the finished temporary file the permissions of any new file (mkstemp makes it private to the
// user) and renames it over path. False, with the message, when the rename fails; the caller then
// removes the temporary file.
bool MoveOutputIntoPlace(const std::string& temp, const std::string& path, std::string& error);
