// Crash-safe output files for the brindle command: an output is written into a hidden temporary file
// in its destination's folder and renamed over the destination only once complete, so a failed run
// never leaves a half-written or clobbered file.
#pragma once

#include <string>

// The folder part of path: "." without a slash, "/" for a file at the root.
std::string FolderOf(const std::string& path);

// The mkstemp pattern of the temporary file for path: ".NAME.tmp-XXXXXX" in the same folder.
std::string TempPatternFor(const std::string& path);

// Moves the finished temporary file to path (a regular file or a new path, links already followed).
// A replaced file keeps its mode and, as root, its owner; one with several hard links is rewritten
// in place so the links stay together. A new file gets the permissions of any new file (mkstemp
// makes it private to the user). False, with the message, on failure; the caller then removes the
// temporary file.
bool MoveOutputIntoPlace(const std::string& temp, const std::string& path, std::string& error);
