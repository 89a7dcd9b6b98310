// Where an output of the brindle command goes, decided before anything is written, so that no
// command destroys what is already there.
//
// A regular file or a new path is written beside its destination and moved into place when complete
// (see OutputFiles.h); a symlink is followed and its target replaced, never the link itself. Standard
// output ("-"), the /dev/stdout and /dev/fd names, character devices (/dev/null) and FIFOs are
// written straight into, since renaming over them would replace the device or pipe with a file.
// The checks here also refuse an output that is an input of the same run, and one that would
// replace a file of another kind.
#pragma once

#include <string>
#include <vector>

enum class OutputKind {
  kReplace, // regular file or new path: temporary file, then moved into place
  kStream   // written straight into: standard output, a device, a FIFO
};

struct OutputTarget
{
  OutputKind kind = OutputKind::kReplace;
  // kReplace: the file to create or replace, symlinks followed. kStream: the name to open, or "-".
  std::string path;
};

// False, with a message, for a folder or a symlink loop.
bool ResolveOutputTarget(const std::string& given, OutputTarget& target, std::string& error);

// Opens a kStream target for writing ("-" duplicates standard output); -1 with a message.
int OpenStreamOutput(const OutputTarget& target, std::string& error);

// True when both names exist and are the same regular file (same device and inode), links followed;
// a may be "-", standard input, and b "-", standard output.
bool IsSameFile(const std::string& a, const std::string& b);

// False, with a message naming the input, when output is the same file as any of inputs.
bool CheckOutputIsNoInput(const std::vector<std::string>& inputs, const std::string& output, std::string& error);

// What an existing output must start with to be replaced without --force.
enum class OutputContent { kPng, kPropertyList, kProgramOrBank };

// False, with a message suggesting --force, when output is an existing non-empty regular file
// whose first bytes are not of that kind. New paths, empty files and streams always pass.
bool CheckReplacesSameKind(const std::string& output, OutputContent kind, std::string& error);
