// RenderRig: renders a unit at chosen sample times through the entry or fast dispatch, and the
// allocation and lock counts of a thousand renders.
#include "tools/validate/ValidateChecks.h"

#include <cstring>

namespace validate {

RenderRig::RenderRig(int channels, int maxFrames, std::uint32_t seed)
    : mChannels(channels), mNoise(seed), mInput(channels, maxFrames), mOutput(channels, maxFrames),
      mList(offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * static_cast<size_t>(channels), 0)
{}

OSStatus RenderRig::Attach(AudioUnit unit)
{
  mUnit = unit;
  AURenderCallbackStruct callback{&RenderRig::Feed, this};
  OSStatus status = AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                         &callback, sizeof callback);
  if (status != noErr) return status;
  UInt32 size = sizeof mFastRender;
  status = AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                                &mFastRender, &size);
  mFastPlug = GetComponentInstanceStorage(unit);
  return status;
}

void RenderRig::NextInput(int frames)
{
  for (auto& channel : mInput.data) mNoise.Fill(channel.data(), frames, 0.5f);
}

OSStatus RenderRig::Feed(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                         AudioBufferList* data)
{
  RenderRig* rig = static_cast<RenderRig*>(refCon);
  ++rig->mPulls;
  for (UInt32 j = 0; j < data->mNumberBuffers && static_cast<int>(j) < rig->mChannels; ++j) {
    AudioBuffer& buffer = data->mBuffers[j];
    float* source = rig->mInput.data[j].data();
    if (!buffer.mData)
      buffer.mData = source;
    else
      std::memcpy(buffer.mData, source, frames * sizeof(float));
  }
  return noErr;
}

OSStatus RenderRig::Render(double sampleTime, int frames, bool fast, bool nullOutput)
{
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(mList.data());
  list->mNumberBuffers = static_cast<UInt32>(mChannels);
  for (int c = 0; c < mChannels; ++c) {
    list->mBuffers[c].mNumberChannels = 1;
    list->mBuffers[c].mDataByteSize = static_cast<UInt32>(frames) * sizeof(float);
    list->mBuffers[c].mData = nullOutput ? nullptr : mOutput.out[static_cast<size_t>(c)];
  }
  AudioTimeStamp time{};
  time.mSampleTime = sampleTime;
  time.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  const OSStatus status =
      fast ? (mFastRender ? mFastRender(mFastPlug, &flags, &time, 0, static_cast<UInt32>(frames), list)
                          : kAudioUnitErr_InvalidProperty)
           : AudioUnitRender(mUnit, &flags, &time, 0, static_cast<UInt32>(frames), list);
  if (status != noErr) return status;
  for (int c = 0; c < mChannels; ++c) {
    const void* data = list->mBuffers[c].mData;
    if (!data) return kAudioUnitErr_InvalidPropertyValue;
    if (data != mOutput.out[static_cast<size_t>(c)])
      std::memcpy(mOutput.out[static_cast<size_t>(c)], data, static_cast<size_t>(frames) * sizeof(float));
  }
  return noErr;
}

bool MeasureRenders(ValidateContext& context, bool fastDispatch, int renders, RealtimeCounts& counts,
                    std::string& error)
{
  constexpr int kFrames = 256;
  ComponentHost host;
  if (!PrepareHost(context, host, Stereo(44100, kFrames), error)) return false;
  RenderRig rig(2, kFrames, context.seed);
  OSStatus status = rig.Attach(host.Unit());
  if (status != noErr) {
    error = "render callback or fast dispatch: " + DescribeStatus(status);
    return false;
  }
  // One render outside the count: first-time work (lazy set-up in the platform) is not the
  // render's steady state.
  rig.NextInput(kFrames);
  if ((status = rig.Render(0, kFrames, fastDispatch)) != noErr) {
    error = "render: " + DescribeStatus(status);
    return false;
  }
  RealtimeProbe probe;
  for (int i = 1; i <= renders; ++i) {
    probe.Pause();
    rig.NextInput(kFrames);
    probe.Resume();
    status = rig.Render(static_cast<double>(i) * kFrames, kFrames, fastDispatch);
    if (status != noErr) {
      error = "render " + std::to_string(i) + ": " + DescribeStatus(status);
      return false;
    }
  }
  counts = probe.Counts();
  return true;
}

} // namespace validate
