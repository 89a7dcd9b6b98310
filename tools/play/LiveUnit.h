// LiveUnit: a component instance set up for rendering on a live audio thread.
//
// The unit is opened and configured as any host does (stream formats, maximum frames, sample rate,
// an input callback), then rendered through its fast-dispatch render function: the entry point
// takes the instance lock on every call, fast dispatch takes none, so a render here allocates,
// frees and locks nothing. Render is the only call meant for the audio thread; everything else
// (Configure, parameters, state) belongs to the control thread and must not run during a Render.
#pragma once

#include "tools/host/ComponentHost.h"

#include <string>
#include <vector>

class LiveUnit
{
public:
  LiveUnit() = default;
  LiveUnit(const LiveUnit&) = delete;
  LiveUnit& operator=(const LiveUnit&) = delete;

  // Opens an instance of the component; false with a one-line message.
  bool Open(Component component, std::string& error);
  // (Re)configures for this rate, channel count (in = out) and largest block, and initializes.
  bool Configure(double sampleRate, int channels, int maxFrames, std::string& error);
  bool IsReady() const { return mReady; }
  int Channels() const { return mChannels; }
  int MaxFrames() const { return mMaxFrames; }
  double SampleRate() const { return mSampleRate; }
  // The unit's own latency in frames at the configured rate (0 when it reports none).
  int LatencyFrames();

  // Audio thread: renders frames (<= MaxFrames) from in[c] into out[c] for every channel. False
  // (outputs silent) when the unit refused; no allocation, lock or system call on any path.
  bool Render(const float* const* in, float* const* out, int frames);

  ComponentHost& Host() { return mHost; }

private:
  static OSStatus FeedInput(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, UInt32 bus,
                            UInt32 frames, AudioBufferList* data);

  ComponentHost mHost;
  AudioUnitRenderProc mFastRender = nullptr;
  void* mFastStorage = nullptr;
  bool mReady = false;
  bool mInitialized = false;
  int mChannels = 0;
  int mMaxFrames = 0;
  double mSampleRate = 0.0;
  double mSampleTime = 0.0;
  const float* const* mInput = nullptr; // valid during Render only
  std::vector<unsigned char> mList;     // AudioBufferList for kMaxChannels buffers
};
