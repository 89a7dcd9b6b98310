#pragma once
// ITimeInfo: a snapshot of the host's transport. The host adapter overwrites a
// field only when the host reports it, so the initial values act as defaults.

struct ITimeInfo
{
  double mTempo = 120.0;       // beats per minute
  double mSamplePos = -1.0;    // current sample in the timeline
  double mBeatPos = -1.0;      // current beat
  double mBarStartBeat = -1.0; // beat of the current measure's downbeat
  double mLoopStartBeat = -1.0;
  double mLoopEndBeat = -1.0;
  int mTimeSigNum = 4;
  int mTimeSigDen = 4;
  bool mPlaying = false;
  bool mLooping = false;
};
