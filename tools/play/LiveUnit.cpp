#include "tools/play/LiveUnit.h"

#include <cmath>
#include <cstddef>
#include <cstring>

bool LiveUnit::Open(Component component, std::string& error)
{
  const OSStatus status = mHost.Open(component);
  if (status != noErr) error = "cannot open the component: " + DescribeStatus(status);
  return status == noErr;
}

bool LiveUnit::Configure(double sampleRate, int channels, int maxFrames, std::string& error)
{
  mReady = false;
  if (mInitialized) mHost.Uninitialize();
  mInitialized = false;
  if (channels < 1 || channels > ComponentHost::kMaxChannels || maxFrames < 1 || !(sampleRate > 0)) {
    error = "unusable audio format";
    return false;
  }
  HostFormat format;
  format.sampleRate = sampleRate;
  format.inChannels = format.outChannels = channels;
  format.maxFrames = maxFrames;
  OSStatus status = mHost.Configure(format);
  if (status != noErr) {
    error = "the component refused " + std::to_string(channels) + " channel(s) at " +
            std::to_string(static_cast<long>(sampleRate)) + " Hz: " + DescribeStatus(status);
    return false;
  }
  // Our own input callback replaces the host's: it reads the live buffers handed to Render.
  AURenderCallbackStruct callback{&LiveUnit::FeedInput, this};
  if ((status = mHost.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, callback)) != noErr ||
      (status = mHost.Initialize()) != noErr) {
    error = "the component did not initialize: " + DescribeStatus(status);
    return false;
  }
  mInitialized = true;
  mFastRender = nullptr;
  UInt32 size = sizeof mFastRender;
  status = AudioUnitGetProperty(mHost.Unit(), kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                kAudioUnitRenderSelect, &mFastRender, &size);
  if (status != noErr || !mFastRender) {
    error = "the component offers no fast-dispatch render, which live rendering needs: " + DescribeStatus(status);
    return false;
  }
  mFastStorage = GetComponentInstanceStorage(mHost.Unit());
  mList.assign(offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * ComponentHost::kMaxChannels, 0);
  mChannels = channels;
  mMaxFrames = maxFrames;
  mSampleRate = sampleRate;
  mSampleTime = 0.0;
  mReady = true;
  return true;
}

int LiveUnit::LatencyFrames()
{
  Float64 seconds = 0;
  if (mHost.Get(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, seconds) != noErr || !(seconds > 0)) return 0;
  return static_cast<int>(std::lround(seconds * mSampleRate));
}

OSStatus LiveUnit::FeedInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                             AudioBufferList* data)
{
  LiveUnit* unit = static_cast<LiveUnit*>(refCon);
  if (!unit->mInput) return kAudioUnitErr_NoConnection;
  for (UInt32 j = 0; j < data->mNumberBuffers; ++j) {
    AudioBuffer& buffer = data->mBuffers[j];
    const float* source = static_cast<int>(j) < unit->mChannels ? unit->mInput[j] : nullptr;
    if (!buffer.mData) {
      // The unit offers no memory of its own: it reads ours.
      buffer.mData = const_cast<float*>(source);
      buffer.mDataByteSize = frames * sizeof(float);
    } else if (source) {
      std::memcpy(buffer.mData, source, frames * sizeof(float));
    } else {
      std::memset(buffer.mData, 0, frames * sizeof(float));
    }
  }
  return noErr;
}

bool LiveUnit::Render(const float* const* in, float* const* out, int frames)
{
  const size_t bytes = static_cast<size_t>(frames < 0 ? 0 : frames) * sizeof(float);
  if (!mReady || frames < 0 || frames > mMaxFrames) {
    for (int c = 0; c < mChannels; ++c) std::memset(out[c], 0, bytes);
    return false;
  }
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(mList.data());
  list->mNumberBuffers = static_cast<UInt32>(mChannels);
  for (int c = 0; c < mChannels; ++c) {
    list->mBuffers[c].mNumberChannels = 1;
    list->mBuffers[c].mDataByteSize = static_cast<UInt32>(bytes);
    list->mBuffers[c].mData = out[c];
  }
  AudioTimeStamp time{};
  time.mSampleTime = mSampleTime;
  time.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  mInput = in;
  const OSStatus status = mFastRender(mFastStorage, &flags, &time, 0, static_cast<UInt32>(frames), list);
  mInput = nullptr;
  mSampleTime += frames;
  for (int c = 0; c < mChannels; ++c) {
    const void* data = list->mBuffers[c].mData;
    if (status != noErr || !data)
      std::memset(out[c], 0, bytes);
    else if (data != out[c])
      std::memcpy(out[c], data, bytes);
  }
  return status == noErr;
}
