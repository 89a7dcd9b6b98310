// Presets of IEffectBase: making presets from the current state, from value lists,
// from chunks and from Base64 blobs; restoring, renaming and pruning them; and the
// preset bank form that stores every preset in one chunk.

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "plugcore/Base64.h"
#include "plugcore/IEffectBase.h"
#include "plugcore/Trace.h"

namespace {

// Variadic preset values: integer types arrive as int, everything else as double.
bool TakesIntArg(const IParam* param)
{
  switch (param->Type()) {
  case IParam::kTypeBool:
  case IParam::kTypeInt:
  case IParam::kTypeEnum:
    return true;
  default:
    return false;
  }
}

double NextArg(const IParam* param, va_list& args)
{
  if (TakesIntArg(param)) return static_cast<double>(va_arg(args, int));
  return va_arg(args, double);
}

} // namespace

bool IEffectBase::SerializePresets(ByteChunk* chunk)
{
  if (!chunk) return false;
  bool ok = true;
  const int n = NPresets();
  for (int i = 0; i < n && ok; ++i) {
    IPreset* preset = mPresets.Get(i);
    Trace("SerializePresets", __LINE__, "%d %s", i, preset->mName);
    chunk->PutString(preset->mName);
    chunk->PutFlag(preset->mInitialized);
    if (preset->mInitialized) ok = chunk->AppendChunk(&preset->mChunk) > 0 && ok;
  }
  return ok;
}

int IEffectBase::UnserializePresets(ByteChunk* chunk, int startPos)
{
  if (!chunk) return -1;
  int pos = startPos;
  std::string name;
  const int n = NPresets();
  for (int i = 0; i < n && pos >= 0; ++i) {
    IPreset* preset = mPresets.Get(i);
    // A fresh name per preset: an empty stored name reads as "", not as the name
    // of the preset before it.
    name.clear();
    pos = preset ? chunk->GetString(&name, pos) : -1;
    if (pos < 0) break; // a name that does not fit changes nothing
    preset->SetName(name.c_str());
    Trace("UnserializePresets", __LINE__, "%d %s", i, preset->mName);
    pos = chunk->GetFlag(&preset->mInitialized, pos);
    if (pos >= 0 && preset->mInitialized) {
      pos = UnserializeState(chunk, pos);
      if (pos > 0) {
        preset->mChunk.Clear();
        SerializeState(&preset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPreset);
  return pos < 0 ? -1 : pos;
}

namespace {

// Claims the next free slot for a new preset: initialized, named, empty chunk.
IPreset* TakeNextUninitializedPreset(Core_PtrList<IPreset>* presets, const char* name)
{
  IPreset* preset = GetNextUninitializedPreset(presets);
  if (!preset) return nullptr;
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.Clear();
  return preset;
}

} // namespace

void IEffectBase::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; ++i) {
    IPreset* preset = TakeNextUninitializedPreset(&mPresets, name ? name : "Empty");
    if (!preset) return;
    SerializeState(&preset->mChunk);
  }
}

void IEffectBase::MakePreset(const char* name, ...)
{
  IPreset* preset = TakeNextUninitializedPreset(&mPresets, name);
  if (!preset) return;
  va_list args;
  va_start(args, name);
  const int n = NParams();
  for (int i = 0; i < n; ++i) {
    const double v = NextArg(GetParam(i), args);
    preset->mChunk.Put(&v);
  }
  va_end(args);
}

void IEffectBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IPreset* preset = TakeNextUninitializedPreset(&mPresets, name);
  if (!preset) return;
  const int n = NParams();
  std::vector<double> values(static_cast<size_t>(n), kPresetSentinel);
  va_list args;
  va_start(args, nParamsNamed);
  for (int k = 0; k < nParamsNamed; ++k) {
    const int idx = va_arg(args, int);
    // Past an unknown index the type of the value that follows is unknown too,
    // so the rest of the list cannot be read safely.
    if (idx < 0 || idx >= n) break;
    values[static_cast<size_t>(idx)] = NextArg(GetParam(idx), args);
  }
  va_end(args);
  for (int i = 0; i < n; ++i) {
    double v = values[static_cast<size_t>(i)];
    if (v == kPresetSentinel) v = GetParam(i)->mValue;
    preset->mChunk.Put(&v);
  }
}

void IEffectBase::MakePresetFromChunk(const char* name, ByteChunk* chunk)
{
  IPreset* preset = TakeNextUninitializedPreset(&mPresets, name);
  if (!preset) return;
  preset->mChunk.AppendChunk(chunk);
}

void IEffectBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  ByteChunk decoded;
  if (decoded.Resize(sizeOfChunk) != (sizeOfChunk > 0 ? sizeOfChunk : 0)) return;
  Base64Decode(blob, decoded.Bytes(), decoded.Size());
  MakePresetFromChunk(name, &decoded);
}

void IEffectBase::EnsureDefaultPreset()
{
  MakeDefaultPreset("Empty", NPresets());
}

void IEffectBase::PruneUninitializedPresets()
{
  for (int i = NPresets() - 1; i >= 0; --i) {
    IPreset* preset = mPresets.Get(i);
    if (preset && !preset->mInitialized) mPresets.Delete(i, true);
  }
}

bool IEffectBase::RestorePreset(int index)
{
  IPreset* preset = mPresets.Get(index);
  if (!preset) return false;
  bool ok;
  if (!preset->mInitialized) {
    // Restoring an empty slot captures the current state into it instead.
    char name[IPreset::kNameSize];
    MakeDefaultUserPresetName(&mPresets, name, sizeof name);
    preset->mInitialized = true;
    preset->SetName(name);
    preset->mChunk.Clear();
    ok = SerializeState(&preset->mChunk);
  } else {
    ok = UnserializeState(&preset->mChunk, 0) > 0;
  }
  if (ok) {
    mCurrentPreset = index;
    PresetsChangedByHost();
    RedrawParamControls();
  }
  return ok;
}

bool IEffectBase::RestorePreset(const char* name)
{
  if (!name || !*name) return false;
  const int n = NPresets();
  for (int i = 0; i < n; ++i) {
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  }
  return false;
}

const char* IEffectBase::GetPresetName(int index) const
{
  const IPreset* preset = mPresets.Get(index);
  return preset ? preset->mName : "";
}

void IEffectBase::ModifyCurrentPreset(const char* newName)
{
  IPreset* preset = mPresets.Get(mCurrentPreset);
  if (!preset) return;
  Trace("ModifyCurrentPreset", __LINE__, "%d %s", mCurrentPreset, preset->mName);
  preset->mChunk.Clear();
  SerializeState(&preset->mChunk);
  if (newName && *newName) preset->SetName(newName);
}
