#pragma once
// IEffectLV2UIPlug: the plug-in object as it lives in an LV2 host's user-interface process.
//
// An LV2 host keeps the editor apart from the audio instance: the two only exchange control-port
// values. So the UI side builds its own copy of the product over this adapter base (the product is
// a class template over its base), which gives it the product's parameters and editor layout
// without any of the audio work mattering. What the editor's controls do reaches the host through
// the host's write function, one float per control port (the parameter's real value, as the port
// declares it), with touch begin and end when the host offers the touch feature. Values the host
// sends back (SetFromPort) move the parameter, the editor and whatever the product's OnParamChange
// shows (Brindle's lamp follows "Effect" this way).
//
// Everything here runs on the host's UI thread.

#include <lv2/ui/ui.h>

#include <cstdint>
#include <string>

#include "plugcore/IEffectBase.h"

class IEffectLV2UIPlug : public IEffectBase
{
public:
  // What the UI's instantiate hands the product's constructor.
  struct InstanceInfo
  {
    std::string mBundleID;                 // the bundle registry's name for the LV2 bundle
    LV2UI_Write_Function mWrite = nullptr; // null: changes stay in the UI
    LV2UI_Controller mController = nullptr;
    const LV2UI_Touch* mTouch = nullptr; // null when the host offers no touch feature
    uint32_t mFirstControlPort = 0;      // port index of parameter 0
  };

  // The argument list every adapter base of the product offers; all but the first and the last go
  // to IEffectBase. The UI side has no side chain, so plugScChans is unused.
  IEffectLV2UIPlug(InstanceInfo info, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                   const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                   int latency, bool spareFlag, bool plugDoesChunks, bool plugIsInst, int plugScChans);
  ~IEffectLV2UIPlug() override;

  const char* GetBundleID() const { return mBundleID.c_str(); }
  // The control port of parameter idx (no range check).
  uint32_t PortOfParam(int idx) const { return mFirstControlPort + static_cast<uint32_t>(idx); }
  // The parameter of a control port, or -1 for any other port.
  int ParamOfPort(uint32_t port) const;

  // A value the host reports for a port: the parameter takes it as the audio side reads the port
  // (LV2ParamValueFromPort: switches, whole numbers, clamped), the editor shows it and the
  // product's OnParamChange runs. Ports that are no parameter's, and values that are not numbers,
  // are ignored; so is a value the parameter already holds, which is what the host echoes after
  // every change the editor writes. True when the parameter changed.
  bool SetFromPort(uint32_t port, float value);

  // ---- Host calls the editor makes ----
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override;

  // ---- No transport, MIDI or host-driven resizing on the UI side ----
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* pNum, int* pDenom) override;
  void GetTime(ITimeInfo* pTimeInfo) override;
  void ResizeGraphics(int /*w*/, int /*h*/) override {}
  bool SendMidiMsg(IMidiMsg* /*pMsg*/) override { return false; }

private:
  void WritePort(int idx);

  std::string mBundleID;
  LV2UI_Write_Function mWrite;
  LV2UI_Controller mController;
  const LV2UI_Touch* mTouch;
  uint32_t mFirstControlPort;
};
