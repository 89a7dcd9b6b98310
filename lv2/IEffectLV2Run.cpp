// IEffectLV2: the audio path. Nothing here allocates, locks or does I/O; ReadControlPorts (in
// IEffectLV2.cpp) takes the plug-in's lock only when a control port moved.
#include "lv2/IEffectLV2.h"

#include <algorithm>

#include "plugcore/AudioPath.h"

BRINDLE_AUDIO_PATH void IEffectLV2::Run(uint32_t nFrames)
{
  ReadControlPorts();
  if (mLatencyPort) *mLatencyPort = static_cast<float>(GetLatency());

  const int nIn = mLayout.NIn(), nOut = mLayout.NOut();
  const int blockSize = GetBlockSize();
  if (blockSize <= 0) {
    // No scratch memory (the instance could not get it): silence rather than a wild write.
    for (int i = 0; i < nOut; ++i)
      if (float* out = mAudioPorts[static_cast<size_t>(nIn + i)]) std::fill(out, out + nFrames, 0.0f);
    return;
  }

  for (uint32_t done = 0; done < nFrames;) {
    const int piece = static_cast<int>(std::min<uint32_t>(nFrames - done, static_cast<uint32_t>(blockSize)));
    for (int i = 0; i < nIn; ++i) {
      float* port = mAudioPorts[static_cast<size_t>(i)];
      mInPtrs[static_cast<size_t>(i)] = port ? port + done : nullptr;
    }
    for (int i = 0; i < nOut; ++i) {
      float* port = mAudioPorts[static_cast<size_t>(nIn + i)];
      mOutPtrs[static_cast<size_t>(i)] = port ? port + done : nullptr;
    }
    // Inputs are copied into the base's double buffers before anything is written, so a host
    // that hands the same buffer for input and output is served correctly.
    AttachInputBuffers(0, NInChannels(), mInPtrs.data(), piece);
    AttachOutputBuffers(0, NOutChannels(), mOutPtrs.data());
    ProcessBuffers(0.0f, piece);
    done += static_cast<uint32_t>(piece);
    mSamplePos = static_cast<int>(static_cast<unsigned>(mSamplePos) + static_cast<unsigned>(piece));
  }
}
