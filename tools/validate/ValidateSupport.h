// What the checks of `brindle validate` share: the outcome each answers, the context they run in,
// and the helpers that open, drive and measure a unit the way a host does.
#pragma once

#include "tools/host/ComponentHost.h"
#include "tools/validate/RealtimeProbe.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct CheckOutcome
{
  bool pass = true;
  std::string detail; // reason for a failure; optional note for a pass
};

struct ValidateContext
{
  Component component = nullptr;
  std::uint32_t seed = 1;
  int level = 5; // strictness 1..10; some checks do more at higher levels
};

inline CheckOutcome Pass(std::string note = {})
{
  return {true, std::move(note)};
}
inline CheckOutcome Fail(std::string reason)
{
  return {false, std::move(reason)};
}

// Shared helpers for the checks.
namespace validate {

// Deterministic noise in [-amplitude, amplitude).
class Noise
{
public:
  explicit Noise(std::uint32_t seed) : mState(seed ? seed : 1) {}
  std::uint32_t NextWord()
  {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return mState;
  }
  // Uniform in [0, 1).
  double Unit() { return (NextWord() >> 8) * (1.0 / 16777216.0); }
  void Fill(float* out, int n, float amplitude)
  {
    for (int i = 0; i < n; ++i) out[i] = amplitude * static_cast<float>(2.0 * Unit() - 1.0);
  }

private:
  std::uint32_t mState;
};

// Planar audio for up to ComponentHost::kMaxChannels channels.
struct Planar
{
  Planar(int channels, int frames);
  std::vector<std::vector<float>> data;
  std::vector<const float*> in;
  std::vector<float*> out;
};

// Opens, configures (channels in and out, rate, max frames) and initializes; false with the reason.
bool PrepareHost(ValidateContext& context, ComponentHost& host, const HostFormat& format, std::string& error);
HostFormat Stereo(double rate, int maxFrames);

// "" when every sample is finite and not subnormal, else the first offence ("NaN at channel 0
// frame 17").
// allowSubnormal accepts denormal samples, for settings that legitimately scale the output into them
// (a gain parameter restored at 1e-43 is in range).
std::string FindBadSample(const Planar& audio, int channels, int frames, bool allowSubnormal = false);

// Parameter IDs with their info; false with a reason.
struct ParameterDescription
{
  AudioUnitParameterID id;
  AudioUnitParameterInfo info; // names released; cfNameString and unitName are null
  std::string name;
};
bool DescribeParameters(ComponentHost& host, std::vector<ParameterDescription>& out, std::string& error);

// Renders a unit the way a host does, with full control of the time stamp and the output list:
// seeded noise comes in through a render callback on input bus 0, output lands in `output`
// (channel by channel, whatever memory the unit pointed the list at).
class RenderRig
{
public:
  RenderRig(int channels, int maxFrames, std::uint32_t seed);
  RenderRig(const RenderRig&) = delete;
  RenderRig& operator=(const RenderRig&) = delete;
  // Installs the input callback and looks up the fast-dispatch render function.
  OSStatus Attach(AudioUnit unit);
  // New noise for the next render.
  void NextInput(int frames);
  // One render of bus 0 through the entry or the fast-dispatch function; null output data asks
  // the unit for memory of its own.
  OSStatus Render(double sampleTime, int frames, bool fast = false, bool nullOutput = false);
  long Pulls() const { return mPulls; }
  const Planar& Output() const { return mOutput; }
  Planar& Input() { return mInput; }

private:
  static OSStatus Feed(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                       AudioBufferList* data);
  AudioUnit mUnit = nullptr;
  AudioUnitRenderProc mFastRender = nullptr;
  void* mFastPlug = nullptr;
  int mChannels;
  Noise mNoise;
  Planar mInput, mOutput;
  std::vector<unsigned char> mList;
  long mPulls = 0;
};

// Counts allocations, frees and locks on this thread across `renders` renders of a prepared stereo
// unit, through the entry or fast dispatch; false with the reason when rendering fails.
bool MeasureRenders(ValidateContext& context, bool fastDispatch, int renders, RealtimeCounts& counts,
                    std::string& error);

} // namespace validate
