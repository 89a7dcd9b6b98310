// Program files (.fxp): the builder, the parser, and the program layout that
// parameter-form banks repeat once per preset.

#include <cmath>
#include <cstdio>

#include "plugcore/PresetFileBigEndian.h"
#include "plugcore/PresetFiles.h"

namespace presetfile {

bool CheckFinite(const std::vector<float>& values, std::string* error)
{
  for (size_t i = 0; i < values.size(); ++i) {
    if (!std::isfinite(values[i])) {
      if (error) *error = "parameter " + std::to_string(i) + " has a value that is not a finite number";
      return false;
    }
  }
  return true;
}

void WriteProgram(Writer& w, const FXPProgram& program)
{
  const int32_t chunkSize = static_cast<int32_t>(program.mChunk.size());
  w.Int(kCcnK);
  w.Int(program.mIsChunk ? chunkSize + kProgramChunkStart : 0);
  w.Int(program.mIsChunk ? kFPCh : kFxCk);
  w.Int(1);
  w.Int(program.mPlugID);
  w.Int(program.mPlugVersion);
  w.Int(program.mIsChunk ? program.mNumParams : static_cast<int32_t>(program.mValues.size()));
  w.Name(program.mName, kPresetFileNameSize);
  if (program.mIsChunk) {
    w.Int(chunkSize);
    w.Bytes(program.mChunk);
  } else {
    for (float v : program.mValues) w.Float(v);
  }
}

bool ReadProgram(const Reader& r, size_t pos, bool allowChunk, FXPProgram* out, size_t* next, std::string* error)
{
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  int32_t magic = 0, form = 0, version = 0;
  FXPProgram p;
  if (!r.Int(pos, &magic) || !r.Int(pos + 8, &form) || !r.Int(pos + 12, &version) || !r.Int(pos + 16, &p.mPlugID) ||
      !r.Int(pos + 20, &p.mPlugVersion) || !r.Int(pos + 24, &p.mNumParams) ||
      !r.Name(pos + 28, kPresetFileNameSize, &p.mName))
    return fail("the program header is truncated");
  if (magic != kCcnK) return fail("not a preset file (no \"CcnK\" mark)");
  if (form == kFxCk) {
    if (version != 1) return fail("unknown program format version " + std::to_string(version));
    if (p.mNumParams < 0) return fail("negative parameter count");
    const size_t valuesAt = pos + kProgramHeaderSize;
    if (!r.Fits(valuesAt, static_cast<size_t>(p.mNumParams) * 4u))
      return fail("the file ends before all " + std::to_string(p.mNumParams) + " parameter values");
    p.mValues.resize(static_cast<size_t>(p.mNumParams));
    for (int32_t i = 0; i < p.mNumParams; ++i)
      r.Float(valuesAt + 4u * static_cast<size_t>(i), &p.mValues[static_cast<size_t>(i)]);
    if (!CheckFinite(p.mValues, error)) return false;
    *next = valuesAt + static_cast<size_t>(p.mNumParams) * 4u;
  } else if (form == kFPCh && allowChunk) {
    if (version != 1) return fail("unknown program format version " + std::to_string(version));
    int32_t chunkSize = 0;
    if (!r.Int(pos + kProgramHeaderSize, &chunkSize)) return fail("the program header is truncated");
    if (chunkSize < 0 || !r.Bytes(pos + kProgramChunkStart, static_cast<size_t>(chunkSize), &p.mChunk))
      return fail("the state chunk does not fit in the file");
    p.mIsChunk = true;
    *next = pos + kProgramChunkStart + static_cast<size_t>(chunkSize);
  } else {
    return fail("not a program (form \"" + PresetFileCodeText(form) + "\")");
  }
  *out = std::move(p);
  return true;
}

} // namespace presetfile

using namespace presetfile;

std::string PresetFileCodeText(int32_t code)
{
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const int c = static_cast<int>((static_cast<uint32_t>(code) >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return text;
}

bool BuildFXP(const FXPProgram& program, PresetFileBytes* out, std::string* error)
{
  if (!program.mIsChunk && !CheckFinite(program.mValues, error)) return false;
  PresetFileBytes bytes;
  Writer w(&bytes);
  WriteProgram(w, program);
  if (bytes.size() > static_cast<size_t>(kPresetFileMaxBytes)) {
    if (error) *error = "the program would be larger than the 1 MiB preset file limit";
    return false;
  }
  *out = std::move(bytes);
  return true;
}

bool ParseFXP(const unsigned char* data, size_t size, FXPProgram* out, std::string* error)
{
  if (!data && size) return false;
  if (size > static_cast<size_t>(kPresetFileMaxBytes)) {
    if (error) *error = "the file is larger than the 1 MiB preset file limit";
    return false;
  }
  Reader r(data, size);
  size_t end = 0;
  return ReadProgram(r, 0, true, out, &end, error);
}
