// Crash-safe output files for the brindle command: the one path every output it writes goes
// through (sound, pictures, presets). A regular file or new path is written into a hidden temporary
// file in its destination's folder and put in place only once every byte is written and synced, so a
// failed run (a full disk, a signal) never leaves a half-written or clobbered file. Standard output,
// devices and FIFOs are written straight into (see OutputTarget.h).
#pragma once

#include <cstddef>
#include <string>

// The folder part of path: "." without a slash, "/" for a file at the root.
std::string FolderOf(const std::string& path);

// The mkstemp pattern of the temporary file for path, in the same folder: ".NAME.tmp-XXXXXX", or
// ".brindle-XXXXXX" when that would not fit a file name.
std::string TempPatternFor(const std::string& path);

// Puts the finished temporary file in place at path (a regular file or a new path, links already
// followed). A replaced file keeps its mode and, as root, its owner; a new file gets the permissions
// of any new file. A file with several hard links keeps its inode: the new bytes are copied over it
// after a copy of the old ones is made beside it and room for the new ones is reserved, and a copy
// that fails part way is undone from that copy. False, with the message, on failure (the file at
// path then holds its old bytes); the caller removes the temporary file.
bool MoveOutputIntoPlace(const std::string& temp, const std::string& path, std::string& error);

// Removes the temporary output of an interrupted run; installed for SIGINT, SIGTERM and SIGHUP.
void InstallTempFileCleanup();

// One output file, written safely.
class SafeOutput
{
public:
  SafeOutput() = default;
  ~SafeOutput(); // abandons an uncommitted output
  SafeOutput(const SafeOutput&) = delete;
  SafeOutput& operator=(const SafeOutput&) = delete;

  // Resolves the name ("-" is standard output) and opens the descriptor to write into.
  bool Open(const std::string& name, std::string& error);
  int Fd() const { return mFd; }
  // True when writing straight into standard output, a device or a FIFO.
  bool IsStream() const { return mStream; }
  const std::string& Name() const { return mName; }
  // Writes every byte; false with the system's reason.
  bool WriteAll(const void* bytes, size_t count, std::string& error);
  // Syncs and closes, then moves a temporary file into place; false, with the reason, when any of
  // it fails, and the destination is then as it was.
  bool Commit(std::string& error);
  // Closes and removes the temporary file.
  void Abandon();

private:
  int mFd = -1;
  bool mStream = false;
  std::string mName; // as given, for messages
  std::string mPath; // the file to replace
  std::string mTemp;
};

// Writes bytes to path through a SafeOutput.
bool WriteOutputFile(const std::string& path, const std::string& bytes, std::string& error);

// "cannot write 'NAME': " and the system's reason for err.
std::string WriteFailure(const std::string& name, int err);
