// The plug-ins the core's fuzz targets load hostile data into: four parameters of every kind, with
// the state kept as parameter values (ParamPlug) or as an opaque chunk (ChunkPlug), and the checks
// every run ends with.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugcore/ByteChunk.h"
#include "tests/plugcore/HostlessPlug.h"

class FuzzPlug : public HostlessPlug
{
public:
  FuzzPlug(bool chunks, int nPresets)
      : HostlessPlug(4, "1-1 2-2", nPresets, "Fuzz", "Fuzz", "Maker", 0x00010203, 0x46757A7A, 0x4D6B6572, 0, false,
                     chunks, false, kAPIAU)
  {
    GetParam(0)->InitDouble("Level", 0.5, 0.25, 1.0, 0.01);
    GetParam(1)->InitDouble("Attack", 1.0, 0.0, 2.0, 0.01, "", "", 2.0);
    GetParam(2)->InitBool("Effect", false);
    GetParam(3)->InitEnum("Mode", 1, 4);
    MakePreset("Init", 0.5, 1.0, 0, 1);
    MakePreset("Hot", 0.9, 0.2, 1, 3);
  }
};

// Parameter values, every preset (flag, name, chunk) and the current index.
inline std::vector<unsigned char> FuzzSnapshot(IEffectBase& plug)
{
  ByteChunk c;
  plug.SerializeState(&c);
  plug.SerializePresets(&c);
  const int current = plug.GetCurrentPresetIdx();
  c.Put(&current);
  return std::vector<unsigned char>(c.Bytes(), c.Bytes() + c.Size());
}

inline void FuzzFail(const char* what)
{
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// Every value inside its parameter's bounds (so finite), every preset name terminated.
inline void FuzzCheckPlug(IEffectBase& plug)
{
  for (int i = 0; i < plug.NParams(); ++i) {
    const IParam* p = plug.GetParam(i);
    if (!(p->mValue >= p->mMin && p->mValue <= p->mMax)) FuzzFail("a parameter left its bounds");
  }
  for (int i = 0; i < plug.NPresets(); ++i)
    if (strnlen(plug.GetPreset(i)->mName, IPreset::kNameSize) >= IPreset::kNameSize) FuzzFail("unterminated name");
}
