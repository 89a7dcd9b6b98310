#pragma once
// Program (.fxp) and bank (.fxb) preset files as bytes: one builder and one strict
// parser per format, with no file system and no plug-in object involved. The
// plug-in's own file calls (IEffectBase::SaveProgramAsFXP and friends) and the
// command line both go through these, so a file is read the same way everywhere.
//
// Layout: every header integer is 32-bit big-endian, parameter values are
// big-endian IEEE-754 floats holding normalized values (0..1), four-character codes
// are stored as their characters in order. An embedded state chunk is copied as the
// plug-in wrote it (native byte order inside).
//
//   program, parameter form: "CcnK" 0 "FxCk" 1 id version n name[28] float[n]
//   program, chunk form:     "CcnK" S+60 "FPCh" 1 id version n name[28] S chunk[S]
//   bank, parameter form:    "CcnK" 0 "FxBk" 2 id version nPrograms current zero[124]
//                            then nPrograms parameter-form programs
//   bank, chunk form:        "CcnK" S+160 "FBCh" 2 id version nPresets current zero[124]
//                            S chunk[S]
//
// The parsers accept only complete, self-consistent files: a truncated file, a
// chunk size that does not fit, a count that is negative or larger than the data,
// a non-finite value or a file over kPresetFileMaxBytes is refused with a one-line
// reason. The builders refuse to write what the parsers would refuse.

#include <cstdint>
#include <string>
#include <vector>

// One limit for every preset file the framework and its tools read or write.
constexpr int kPresetFileMaxBytes = 1 << 20;
// Name fields hold at most this many bytes, terminator included.
constexpr int kPresetFileNameSize = 28;

using PresetFileBytes = std::vector<unsigned char>;

struct FXPProgram
{
  int32_t mPlugID = 0;
  int32_t mPlugVersion = 0;
  // The parameter count the header announces; in the parameter form it equals
  // mValues.size().
  int32_t mNumParams = 0;
  std::string mName; // at most kPresetFileNameSize - 1 bytes are kept
  bool mIsChunk = false;
  std::vector<float> mValues; // parameter form: normalized values in index order
  PresetFileBytes mChunk;     // chunk form: the state chunk
};

struct FXBBank
{
  int32_t mPlugID = 0;
  int32_t mPlugVersion = 0;
  int32_t mNumPresets = 0;
  int32_t mCurrentPreset = 0;
  bool mIsChunk = false;
  std::vector<FXPProgram> mPrograms; // parameter form, mNumPresets of them
  PresetFileBytes mChunk;            // chunk form
};

// False (with a reason) only for what ParseFXP/ParseFXB would refuse: non-finite
// values or a result over the size limit.
bool BuildFXP(const FXPProgram& program, PresetFileBytes* out, std::string* error);
bool BuildFXB(const FXBBank& bank, PresetFileBytes* out, std::string* error);

bool ParseFXP(const unsigned char* data, size_t size, FXPProgram* out, std::string* error);
bool ParseFXB(const unsigned char* data, size_t size, FXBBank* out, std::string* error);

// The four ASCII characters of a code, '?' for any that is not printable.
std::string PresetFileCodeText(int32_t code);

// Whole-file reading with the size limit, and writing that never leaves a partial
// file: the bytes go to a temporary file beside the destination, which is renamed
// over it only once complete. False with a one-line reason on any failure.
bool ReadPresetFile(const char* path, PresetFileBytes* out, std::string* error);
bool WritePresetFile(const char* path, const PresetFileBytes& bytes, std::string* error);
