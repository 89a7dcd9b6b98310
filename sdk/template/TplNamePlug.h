// TplNamePlug: the product, written once over any plug-in adapter base (Audio Unit, LV2, CLAP):
// one parameter, "Gain" in decibels (-6 dB at first), applied to every channel, and an editor with one knob.
//
// The member definitions are in TplNamePlugImpl.h, which the build includes once per format.
//
// Threads: OnParamChange runs under the plug-in's mutex and publishes the gain as one atomic word;
// ProcessDoubleReplacing, on the audio thread, takes no lock and reads it once per block.
#pragma once

#include <atomic>

constexpr int kTplNameEditorWidth = 160;
constexpr int kTplNameEditorHeight = 160;
// The knob strip: kTplNameKnobFrames square frames of kTplNameKnobSize pixels, top to bottom.
constexpr int kTplNameKnobSize = 64;
constexpr int kTplNameKnobFrames = 61;
constexpr int kTplNameKnobLeft = (kTplNameEditorWidth - kTplNameKnobSize) / 2;
constexpr int kTplNameKnobTop = 52;
extern const char* const kTplNameBackgroundFile;
extern const char* const kTplNameKnobFile;

template <class TAdapter>
class TplNamePlug : public TAdapter
{
public:
  using InstanceInfo = typename TAdapter::InstanceInfo;
  enum EParams { kGain = 0, kNumParams };
  static constexpr double kMinDb = -60.0;
  static constexpr double kMaxDb = 12.0;
  // Not 0 dB: a plug-in whose output equals its input at first sight reads as bypassed.
  static constexpr double kDefaultDb = -6.0;

  explicit TplNamePlug(InstanceInfo instanceInfo);
  ~TplNamePlug() override = default;

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

private:
  void AttachEditor();

  std::atomic<double> mGain{1.0};
  // The gain the last block ended with (audio thread only, and Reset while not rendering).
  double mApplied = 1.0;
};
