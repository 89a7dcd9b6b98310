#include "tools/editor/WindowSession.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t sInterrupted = 0;

void OnSignal(int)
{
  sInterrupted = 1;
}

} // namespace

InterruptScope::InterruptScope()
{
  sInterrupted = 0;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &mOldInt);
  sigaction(SIGTERM, &action, &mOldTerm);
}

InterruptScope::~InterruptScope()
{
  sigaction(SIGINT, &mOldInt, nullptr);
  sigaction(SIGTERM, &mOldTerm, nullptr);
}

bool InterruptScope::Interrupted()
{
  return sInterrupted != 0;
}

ParameterChangeListener::ParameterChangeListener(AudioUnit unit, const ParameterChangeHandler& onChange)
    : mOnChange(onChange)
{
  AUEventListenerCreate(&OnEvent, this, nullptr, nullptr, 0, 0, &mListener);
  AudioUnitEvent event = {};
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  event.mArgument.mParameter = {unit, kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
  if (mListener) AUEventListenerAddEventType(mListener, nullptr, &event);
}

ParameterChangeListener::~ParameterChangeListener()
{
  if (mListener) AUListenerDispose(mListener);
}

void ParameterChangeListener::OnEvent(void* refCon, void*, const AudioUnitEvent* event, UInt64,
                                      AudioUnitParameterValue value)
{
  auto* self = static_cast<ParameterChangeListener*>(refCon);
  if (event->mEventType != kAudioUnitEvent_ParameterValueChange) return;
  const AudioUnitParameterID id = event->mArgument.mParameter.mParameterID;
  const auto found = self->mLast.find(id);
  if (found != self->mLast.end() && found->second == value) return;
  self->mLast[id] = value;
  if (self->mOnChange) self->mOnChange(id, value);
}
