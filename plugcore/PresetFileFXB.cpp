// Bank files (.fxb): the builder and the parser. A parameter-form bank is its
// 156-byte header followed by one parameter-form program per preset.

#include "plugcore/PresetFileBigEndian.h"
#include "plugcore/PresetFiles.h"

using namespace presetfile;

bool BuildFXB(const FXBBank& bank, PresetFileBytes* out, std::string* error)
{
  if (!bank.mIsChunk) {
    for (const FXPProgram& program : bank.mPrograms) {
      if (program.mIsChunk) {
        if (error) *error = "a parameter-form bank holds parameter-form programs only";
        return false;
      }
      if (!CheckFinite(program.mValues, error)) return false;
    }
  }
  PresetFileBytes bytes;
  Writer w(&bytes);
  const int32_t chunkSize = static_cast<int32_t>(bank.mChunk.size());
  w.Int(kCcnK);
  w.Int(bank.mIsChunk ? chunkSize + kBankChunkStart : 0);
  w.Int(bank.mIsChunk ? kFBCh : kFxBk);
  w.Int(2);
  w.Int(bank.mPlugID);
  w.Int(bank.mPlugVersion);
  w.Int(bank.mIsChunk ? bank.mNumPresets : static_cast<int32_t>(bank.mPrograms.size()));
  w.Int(bank.mCurrentPreset);
  w.Zeros(kBankReservedSize);
  if (bank.mIsChunk) {
    w.Int(chunkSize);
    w.Bytes(bank.mChunk);
  } else {
    for (const FXPProgram& program : bank.mPrograms) {
      WriteProgram(w, program);
      // Stop early: a bank of huge programs should not be built whole only to be refused.
      if (bytes.size() > static_cast<size_t>(kPresetFileMaxBytes)) break;
    }
  }
  if (bytes.size() > static_cast<size_t>(kPresetFileMaxBytes)) {
    if (error) *error = "the bank would be larger than the 1 MiB preset file limit";
    return false;
  }
  *out = std::move(bytes);
  return true;
}

bool ParseFXB(const unsigned char* data, size_t size, FXBBank* out, std::string* error)
{
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (!data && size) return false;
  if (size > static_cast<size_t>(kPresetFileMaxBytes))
    return fail("the file is larger than the 1 MiB preset file limit");
  Reader r(data, size);
  int32_t magic = 0, form = 0, version = 0;
  FXBBank b;
  if (!r.Int(0, &magic) || !r.Int(8, &form) || !r.Int(12, &version) || !r.Int(16, &b.mPlugID) ||
      !r.Int(20, &b.mPlugVersion) || !r.Int(24, &b.mNumPresets) || !r.Int(28, &b.mCurrentPreset) ||
      !r.Fits(0, kBankHeaderSize))
    return fail("the bank header is truncated");
  if (magic != kCcnK) return fail("not a preset file (no \"CcnK\" mark)");
  if (b.mNumPresets < 0) return fail("negative preset count");
  if (form == kFBCh) {
    int32_t chunkSize = 0;
    if (!r.Int(kBankHeaderSize, &chunkSize)) return fail("the bank header is truncated");
    if (chunkSize < 0 || !r.Bytes(kBankChunkStart, static_cast<size_t>(chunkSize), &b.mChunk))
      return fail("the state chunk does not fit in the file");
    b.mIsChunk = true;
  } else if (form == kFxBk) {
    // Each program takes at least its header, so a count beyond that is a lie;
    // checking first keeps a hostile count from reserving memory.
    if (static_cast<size_t>(b.mNumPresets) > (size - kBankHeaderSize) / kProgramHeaderSize)
      return fail("the file ends before all " + std::to_string(b.mNumPresets) + " programs");
    size_t pos = kBankHeaderSize;
    b.mPrograms.reserve(static_cast<size_t>(b.mNumPresets));
    for (int32_t i = 0; i < b.mNumPresets; ++i) {
      FXPProgram program;
      std::string why;
      if (!ReadProgram(r, pos, false, &program, &pos, &why)) return fail("program " + std::to_string(i) + ": " + why);
      b.mPrograms.push_back(std::move(program));
    }
  } else {
    return fail("not a bank (form \"" + PresetFileCodeText(form) + "\")");
  }
  *out = std::move(b);
  return true;
}
