#pragma once
// A four-parameter plug-in for the state and preset tests. Its parameters mirror a
// small product: 0 "Level" double 0.25..1, 1 "Attack" double 0..2, 2 "Effect" bool,
// 3 "Mode" int 0..5. It records parameter-change handler calls (and whether the
// plug-in lock was held), host notifications, preset-change hooks and what its
// editor was shown.

#include <cstring>
#include <vector>

#include "plugcore/ByteChunk.h"
#include "plugcore/IEditorDelegate.h"
#include "plugcore/IEffectBase.h"
#include "tests/plugcore/HostlessPlug.h"

struct StateTestEditor : public IEditorDelegate
{
  struct Shown
  {
    int index;
    double value;
    bool normalized;
  };
  std::vector<Shown>* mShown;
  explicit StateTestEditor(std::vector<Shown>* shown) : mShown(shown) {}
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    mShown->push_back({paramIdx, value, normalized});
  }
  void SetControlFromPlug(int, double) override {}
  void PrepDraw() override {}
  void PromptForFile(Core_String* file, EFileAction, Core_String*, char*) override { file->Set(""); }
};

class StateTestPlug : public HostlessPlug
{
public:
  explicit StateTestPlug(int nPresets = 3, int nParams = 4)
      : HostlessPlug(nParams, "1-1 2-2", nPresets, "State Test", "State Test", "Maker", 0x00010000, 0x54657374,
                     0x4D6B6572, 0, false, false, false, kAPIAU)
  {
    if (nParams > 0) GetParam(0)->InitDouble("Level", 0.5, 0.25, 1.0, 0.01);
    if (nParams > 1) GetParam(1)->InitDouble("Attack", 1.0, 0.0, 2.0, 0.01);
    if (nParams > 2) GetParam(2)->InitBool("Effect", false);
    if (nParams > 3) GetParam(3)->InitInt("Mode", 3, 0, 5);
  }

  struct HostChange
  {
    int index;
    double normalized;
    bool locked;
  };

  void OnParamChange(int paramIdx) override
  {
    mParamChanges.push_back(paramIdx);
    mChangesLocked = mChangesLocked && GetMutex().IsHeldByCurrentThread();
  }
  void PresetsChangedByHost() override { ++mPresetsChanged; }

  void InformHostOfParamChange(int paramIdx, double normalized) override
  {
    mHostChanges.push_back({paramIdx, normalized, GetMutex().IsHeldByCurrentThread()});
  }

  void SetValues(double a, double b, double c, double d)
  {
    const double v[4] = {a, b, c, d};
    for (int i = 0; i < NParams() && i < 4; ++i) GetParam(i)->Set(v[i]);
  }
  double Value(int i) const { return GetParam(i)->mValue; }
  void ClearRecords()
  {
    mParamChanges.clear();
    mHostChanges.clear();
    mChangesLocked = true;
    mPresetsChanged = 0;
  }

  std::vector<int> mParamChanges;
  bool mChangesLocked = true;
  std::vector<HostChange> mHostChanges;
  int mPresetsChanged = 0;
};

// Every byte of a chunk.
inline std::vector<unsigned char> BytesOf(const ByteChunk& chunk)
{
  return std::vector<unsigned char>(chunk.Bytes(), chunk.Bytes() + chunk.Size());
}

// The doubles stored in a chunk from pos on.
inline std::vector<double> DoublesOf(const ByteChunk& chunk, int pos = 0)
{
  std::vector<double> out;
  double v;
  while ((pos = chunk.Get(&v, pos)) >= 0) out.push_back(v);
  return out;
}

inline ByteChunk ChunkOfDoubles(std::vector<double> values)
{
  ByteChunk c;
  for (double v : values) c.Put(&v);
  return c;
}
