// Audio Unit event listeners: registrations kept process-wide, notifications delivered at once on
// the notifying thread.
#include <AudioToolbox/AudioUnitUtilities.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

struct AUListenerBase
{
  struct Registration
  {
    void* mObject;
    AudioUnitEvent mEvent;
  };
  AUEventListenerProc mProc = nullptr;
  void* mRefCon = nullptr;
  std::vector<Registration> mRegistrations; // guarded by the listener-list mutex
};

namespace {

std::mutex& ListMutex()
{
  static std::mutex sMutex;
  return sMutex;
}

// Shared ownership lets a delivery in progress outlive AUListenerDispose on another thread.
std::vector<std::shared_ptr<AUListenerBase>>& Listeners()
{
  static auto* sListeners = new std::vector<std::shared_ptr<AUListenerBase>>();
  return *sListeners;
}

bool IsParameterEvent(AudioUnitEventType type)
{
  return type == kAudioUnitEvent_ParameterValueChange || type == kAudioUnitEvent_BeginParameterChangeGesture ||
         type == kAudioUnitEvent_EndParameterChangeGesture;
}

// Whether a registration (`wanted`) covers a posted event.
bool Covers(const AudioUnitEvent& wanted, const AudioUnitEvent& posted)
{
  if (wanted.mEventType != posted.mEventType) return false;
  if (IsParameterEvent(posted.mEventType)) {
    const AudioUnitParameter& w = wanted.mArgument.mParameter;
    const AudioUnitParameter& p = posted.mArgument.mParameter;
    return w.mAudioUnit == p.mAudioUnit && w.mScope == p.mScope && w.mElement == p.mElement &&
           (w.mParameterID == kAUParameterListener_AnyParameter || w.mParameterID == p.mParameterID);
  }
  const AudioUnitProperty& w = wanted.mArgument.mProperty;
  const AudioUnitProperty& p = posted.mArgument.mProperty;
  return w.mAudioUnit == p.mAudioUnit && w.mPropertyID == p.mPropertyID && w.mScope == p.mScope &&
         w.mElement == p.mElement;
}

bool SameRegistration(const AUListenerBase::Registration& r, void* object, const AudioUnitEvent& e)
{
  return r.mObject == object && Covers(r.mEvent, e) && Covers(e, r.mEvent);
}

std::shared_ptr<AUListenerBase> Find(AUEventListenerRef listener)
{
  for (auto& l : Listeners())
    if (l.get() == listener) return l;
  return nullptr;
}

UInt64 HostTimeNow()
{
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<UInt64>(now.tv_sec) * 1000000000ULL + static_cast<UInt64>(now.tv_nsec);
}

} // namespace

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inCallbackRefCon, CFRunLoopRef, CFStringRef, Float32,
                               Float32, AUEventListenerRef* outListener)
{
  if (!inProc || !outListener) return paramErr;
  auto listener = std::make_shared<AUListenerBase>();
  listener->mProc = inProc;
  listener->mRefCon = inCallbackRefCon;
  std::lock_guard<std::mutex> lock(ListMutex());
  Listeners().push_back(listener);
  *outListener = listener.get();
  return noErr;
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent)
{
  if (!inEvent || inEvent->mEventType > kAudioUnitEvent_PropertyChange) return paramErr;
  std::lock_guard<std::mutex> lock(ListMutex());
  auto listener = Find(inListener);
  if (!listener) return paramErr;
  for (const auto& r : listener->mRegistrations)
    if (SameRegistration(r, inObject, *inEvent)) return noErr;
  listener->mRegistrations.push_back({inObject, *inEvent});
  return noErr;
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent)
{
  if (!inEvent) return paramErr;
  std::lock_guard<std::mutex> lock(ListMutex());
  auto listener = Find(inListener);
  if (!listener) return paramErr;
  auto& registrations = listener->mRegistrations;
  for (auto it = registrations.begin(); it != registrations.end(); ++it) {
    if (SameRegistration(*it, inObject, *inEvent)) {
      registrations.erase(it);
      return noErr;
    }
  }
  return paramErr;
}

OSStatus AUListenerDispose(AUParameterListenerRef inListener)
{
  std::lock_guard<std::mutex> lock(ListMutex());
  auto& listeners = Listeners();
  auto it = std::find_if(listeners.begin(), listeners.end(),
                         [&](const std::shared_ptr<AUListenerBase>& l) { return l.get() == inListener; });
  if (it == listeners.end()) return paramErr;
  listeners.erase(it);
  return noErr;
}

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void*, const AudioUnitEvent* inEvent)
{
  if (!inEvent) return paramErr;
  struct Delivery
  {
    std::shared_ptr<AUListenerBase> mListener;
    void* mObject;
  };
  std::vector<Delivery> deliveries;
  {
    std::lock_guard<std::mutex> lock(ListMutex());
    for (const auto& listener : Listeners()) {
      if (listener.get() == inSendingListener) continue;
      for (const auto& r : listener->mRegistrations)
        if (Covers(r.mEvent, *inEvent)) deliveries.push_back({listener, r.mObject});
    }
  }
  if (deliveries.empty()) return noErr;
  // Listeners run without the list lock so that they may register, remove or post events.
  AudioUnitParameterValue value = 0.0f;
  if (inEvent->mEventType == kAudioUnitEvent_ParameterValueChange) {
    const AudioUnitParameter& p = inEvent->mArgument.mParameter;
    if (AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value) != noErr) value = 0.0f;
  }
  const UInt64 hostTime = HostTimeNow();
  for (const Delivery& d : deliveries) d.mListener->mProc(d.mListener->mRefCon, d.mObject, inEvent, hostTime, value);
  return noErr;
}
