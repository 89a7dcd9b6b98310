// GainPlug: a stereo gain with a constant-power pan, written once over any plug-in adapter base
// (the Audio Unit adapter for Gain.component; another adapter instantiates the same template).
//
// It owns the two parameters ("Gain" in dB, "Pan" from left to right), the "Init" factory preset,
// block processing and the editor layout: one knob strip, used for both knobs. The numbers come from
// GainLaw.h. Changes are ramped over one block so that a turned knob does not click.
//
// An adapter base provides a nested InstanceInfo, the Audio Unit adapter's constructor argument
// list and GetBundleID(). The member definitions are in GainPlugImpl.h; the file that makes the
// product for an adapter includes it and instantiates the template once.
//
// Threads: OnParamChange holds the plug-in mutex and publishes the target gains as single words;
// ProcessDoubleReplacing takes no lock, reads them once per block and alone moves the applied gains.
#pragma once

#include "examples/gain/GainLaw.h"
#include "examples/gain/GainParams.h"

#include <atomic>

constexpr int kGainEditorWidth = 200;
constexpr int kGainEditorHeight = 150;
// The knob strip: kGainKnobFrames square frames of kGainKnobSize pixels, stacked top to bottom.
constexpr int kGainKnobSize = 56;
constexpr int kGainKnobFrames = 61;
extern const char* const kGainBackgroundFile;
extern const char* const kGainKnobFile;

template <class TAdapter>
class GainPlug : public TAdapter, public GainParams
{
public:
  using InstanceInfo = typename TAdapter::InstanceInfo;

  explicit GainPlug(InstanceInfo instanceInfo);
  ~GainPlug() override = default;

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  // The gains the current settings ask for; the audio reaches them by the end of the next block.
  GainChannelGains TargetGains() const;

private:
  void InitParams();
  void AttachEditor();

  std::atomic<double> mGainDb{0.0};
  std::atomic<double> mPan{0.0};
  // What the last block ended with (audio thread only, and Reset while not rendering).
  GainChannelGains mApplied;
};
