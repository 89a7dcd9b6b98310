// What a command that runs an editor in a real window needs beside the window: Ctrl-C ending the
// wait, and the parameter changes the editor makes reported as they happen.
#pragma once

#include <AudioToolbox/AudioUnitUtilities.h>
#include <AudioUnit/AudioUnit.h>

#include <csignal>
#include <functional>
#include <map>

using ParameterChangeHandler = std::function<void(AudioUnitParameterID, AudioUnitParameterValue)>;

// While it lives, SIGINT and SIGTERM only set Interrupted(); the handlers are installed without
// SA_RESTART, so a signal ends the window backend's wait at once. The previous handlers come back
// with its end.
class InterruptScope
{
public:
  InterruptScope();
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;
  static bool Interrupted();

private:
  struct sigaction mOldInt = {}, mOldTerm = {};
};

// While it lives, calls onChange (when set) for every change of the unit's parameters; a repeat of
// the value last reported for a parameter is left out.
class ParameterChangeListener
{
public:
  ParameterChangeListener(AudioUnit unit, const ParameterChangeHandler& onChange);
  ~ParameterChangeListener();
  ParameterChangeListener(const ParameterChangeListener&) = delete;
  ParameterChangeListener& operator=(const ParameterChangeListener&) = delete;

private:
  static void OnEvent(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value);
  const ParameterChangeHandler& mOnChange;
  std::map<AudioUnitParameterID, AudioUnitParameterValue> mLast;
  AUEventListenerRef mListener = nullptr;
};
