#pragma once
// A concrete IEffectBase for tests that need no host: the adapter's operations do nothing and
// report no transport. Tests derive from it and override only what they watch.

#include "plugcore/IEffectBase.h"

class HostlessPlug : public IEffectBase
{
public:
  using IEffectBase::IEffectBase;

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
};
