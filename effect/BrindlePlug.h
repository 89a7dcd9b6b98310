// BrindlePlug: the product itself, a fuzz distortion with a fixed tone stage and an optional
// speaker-cabinet stage, written once over any plug-in adapter base (the Audio Unit adapter for the
// component, the LV2 adapter for the LV2 bundle, the LV2 UI's stand-in for the editor there).
//
// It owns the four parameters ("Level", "Attack", "Effect", "Cabinet"), the "Init" factory preset,
// parameter changes, sample-rate dependent set-up, block processing and the editor layout. Inputs
// are summed to one signal, processed in double precision and written to every output. The signal
// chain itself lives in BrindleChain.h so that tools and tests can run it without a host.
//
// An adapter base provides a nested InstanceInfo, the Audio Unit adapter's constructor argument
// list and GetBundleID(). The member definitions are in BrindlePlugImpl.h; the file that makes the
// product for an adapter includes it and instantiates the template once.
//
// Threads: OnParamChange and Reset hold the plug-in mutex; ProcessDoubleReplacing takes no lock
// and reads the settings as single words (relaxed atomics) once per block.
#pragma once

#include "effect/AuDSP.h"
#include "effect/BrindleChain.h"
#include "effect/BrindleNoise.h"
#include "effect/BrindleParams.h"

#include <atomic>

template <class TAdapter>
class BrindlePlug : public TAdapter, public BrindleParams
{
public:
  using InstanceInfo = typename TAdapter::InstanceInfo;

  explicit BrindlePlug(InstanceInfo instanceInfo);
  ~BrindlePlug() override = default;

  // Clears every filter history; a sample rate other than the last Init's runs Init again.
  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // The same rendering straight into the host's single-precision buffers.
  bool ProcessDoubleToSingle(double** inputs, float** outputs, int nFrames) override;

  // (Re)applies every parameter, designs the filters for the current sample rate and refills the
  // noise table from the process-wide generator.
  void Init();
  // Fuzz and tone stage for one sample.
  void DriveA(double input, double& output);
  // Cabinet stage for one sample.
  void Cab(double input, double& output);
  // Adds the generator's next value to x.
  static void add_white_noise(float& x);

  // Read-only views for tools and tests.
  const AuDSP& GetDSP() const { return mDSP; }
  const double* GetNoiseTable() const { return mNoiseTable; }
  double GetFilterSampleRate() const { return mFilterSampleRate; }
  double GetOutputGain() const { return mOutputGain.load(std::memory_order_relaxed); }
  double GetDrive() const { return mDrive.load(std::memory_order_relaxed); }
  bool IsEffectOn() const { return mEffectOn.load(std::memory_order_relaxed); }
  bool IsCabinetOn() const { return mCabinetOn.load(std::memory_order_relaxed); }
  int GetLampControlIdx() const { return mLampControlIdx; }

protected:
  // The editor layout stores the lamp's control index here while it builds the editor.
  void SetLampControlIdx(int idx) { mLampControlIdx = idx; }

private:
  void InitParams();
  // Builds the editor with its images and six controls and hands it to the base.
  void AttachEditor();
  BrindleSettings CurrentSettings() const;

  double mFilterSampleRate = 0.0;       // rate of the current filter design
  double mPrevSampleRate = 0.0;         // rate of the last Init; Reset compares against it
  std::atomic<double> mOutputGain{0.0}; // 4 x "Level"
  std::atomic<double> mDrive{0.0};      // 5 x "Attack"
  std::atomic<double> mAttack{0.0};     // "Attack"
  double mNoiseTable[kBrindleNoiseTableSize];
  int mLampControlIdx = -1; // no editor control until the layout sets one
  std::atomic<bool> mEffectOn{false};
  std::atomic<bool> mCabinetOn{false};
  AuDSP mDSP;
};
