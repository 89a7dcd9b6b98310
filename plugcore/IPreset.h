#pragma once
// IPreset: one preset slot of the plug-in — whether it holds a state, its name and
// the state itself, exactly as the plug-in's SerializeState wrote it.
//
// Also holds the constants of the serialized state formats: the optional version
// header that products with their own state layout put in front of it, and the
// marker that MakePresetFromNamedParams uses for "value not given".

#include <cstdint>

#include "plugcore/ByteChunk.h"

template <class T>
class Core_PtrList;

// 'pfft' as a native 32-bit integer (bytes 74 66 66 70 on little-endian machines).
constexpr int32_t kIEffectVerMagic = 0x70666674;
// Version word of the framework's state format, 1.0.0.
constexpr int32_t kIEffectVer = 0x00010000;
// Slot value meaning "no value named for this parameter".
constexpr double kPresetSentinel = 9.999e-8;

struct IPreset
{
  static constexpr int kNameSize = 256;

  bool mInitialized = false;
  char mName[kNameSize] = "empty";
  ByteChunk mChunk;

  IPreset() = default;
  explicit IPreset(const char* name) { SetName(name); }

  // Copies the name, cut to fit the buffer; null gives "".
  void SetName(const char* name);
};

// The first preset whose mInitialized is false, or null.
IPreset* GetNextUninitializedPreset(const Core_PtrList<IPreset>* presets);

// Writes "user preset N" into out (outSize bytes), N being one more than the number
// of presets whose name contains "user preset".
void MakeDefaultUserPresetName(const Core_PtrList<IPreset>* presets, char* out, int outSize = IPreset::kNameSize);
