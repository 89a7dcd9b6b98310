#include "plugcore/IPreset.h"

#include <cstdio>
#include <cstring>

#include "containers/Core_CopyText.h"
#include "containers/Core_PtrList.h"

void IPreset::SetName(const char* name)
{
  Core_CopyText(mName, name, kNameSize);
}

IPreset* GetNextUninitializedPreset(const Core_PtrList<IPreset>* presets)
{
  if (!presets) return nullptr;
  for (int i = 0, n = presets->GetSize(); i < n; ++i) {
    IPreset* preset = presets->Get(i);
    if (preset && !preset->mInitialized) return preset;
  }
  return nullptr;
}

void MakeDefaultUserPresetName(const Core_PtrList<IPreset>* presets, char* out, int outSize)
{
  static const char kUserPreset[] = "user preset";
  if (!out || outSize <= 0) return;
  int count = 0;
  for (int i = 0, n = presets ? presets->GetSize() : 0; i < n; ++i) {
    const IPreset* preset = presets->Get(i);
    if (preset && std::strstr(preset->mName, kUserPreset)) ++count;
  }
  std::snprintf(out, static_cast<size_t>(outSize), "%s %d", kUserPreset, count + 1);
}
