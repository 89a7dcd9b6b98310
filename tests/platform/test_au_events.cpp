// Audio Unit events: registrations select what a listener hears, the sender is skipped, and a
// value change arrives with the value read back from the unit.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Heard
{
  void* object;
  AudioUnitEventType type;
  AudioUnitParameterID parameter;
  AudioUnitParameterValue value;
};

void Listen(void* refCon, void* object, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value)
{
  static_cast<std::vector<Heard>*>(refCon)->push_back(
      {object, event->mEventType, event->mArgument.mParameter.mParameterID, value});
}

// A unit whose every parameter reads as a tenth of its ID.
ComponentResult ParameterEntry(ComponentParameters* p, Handle)
{
  if (p->what == kComponentOpenSelect || p->what == kComponentCloseSelect) return noErr;
  if (p->what != kAudioUnitGetParameterSelect) return badComponentSelector;
  AudioUnitParameterID id;
  AudioUnitParameterValue* out;
  std::memcpy(&id, &p->params[3], sizeof id); // first argument: last slot
  std::memcpy(&out, &p->params[0], sizeof out);
  *out = static_cast<float>(id) / 10.0f;
  return noErr;
}

AudioUnitEvent ParameterEvent(AudioUnitEventType type, AudioUnit unit, AudioUnitParameterID id)
{
  AudioUnitEvent e = {};
  e.mEventType = type;
  e.mArgument.mParameter.mAudioUnit = unit;
  e.mArgument.mParameter.mParameterID = id;
  e.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  e.mArgument.mParameter.mElement = 0;
  return e;
}

TEST(AUEvents, ListenersHearWhatTheyRegisteredFor)
{
  ComponentDescription d = {kAudioUnitType_Effect, 0x65767431, 0x51786C6F, 0, 0};
  Component component = RegisterComponent(&d, ParameterEntry, 0, nullptr, nullptr, nullptr);
  AudioUnit unit = OpenComponent(component);
  ASSERT_NE(nullptr, unit);

  std::vector<Heard> gestures, values;
  AUEventListenerRef gestureListener = nullptr, valueListener = nullptr;
  ASSERT_EQ(noErr, AUEventListenerCreate(Listen, &gestures, nullptr, nullptr, 0.1f, 0.1f, &gestureListener));
  ASSERT_EQ(noErr, AUEventListenerCreate(Listen, &values, nullptr, nullptr, 0.1f, 0.1f, &valueListener));
  int tag = 0;
  AudioUnitEvent begin = ParameterEvent(kAudioUnitEvent_BeginParameterChangeGesture, unit, 1);
  ASSERT_EQ(noErr, AUEventListenerAddEventType(gestureListener, &tag, &begin));
  ASSERT_EQ(noErr, AUEventListenerAddEventType(gestureListener, &tag, &begin)); // kept once
  AudioUnitEvent anyValue =
      ParameterEvent(kAudioUnitEvent_ParameterValueChange, unit, kAUParameterListener_AnyParameter);
  ASSERT_EQ(noErr, AUEventListenerAddEventType(valueListener, nullptr, &anyValue));

  EXPECT_EQ(noErr, AUEventListenerNotify(nullptr, nullptr, &begin));
  ASSERT_EQ(1u, gestures.size());
  EXPECT_EQ(&tag, gestures[0].object);
  EXPECT_EQ(static_cast<UInt32>(kAudioUnitEvent_BeginParameterChangeGesture), gestures[0].type);
  EXPECT_TRUE(values.empty());

  // Another parameter's gesture, or an end gesture nobody asked for, reaches no one.
  AudioUnitEvent otherBegin = ParameterEvent(kAudioUnitEvent_BeginParameterChangeGesture, unit, 2);
  AudioUnitEvent end = ParameterEvent(kAudioUnitEvent_EndParameterChangeGesture, unit, 1);
  AUEventListenerNotify(nullptr, nullptr, &otherBegin);
  AUEventListenerNotify(nullptr, nullptr, &end);
  EXPECT_EQ(1u, gestures.size());

  // The value arrives read back from the unit: parameter 3 reads 0.3.
  AudioUnitEvent change = ParameterEvent(kAudioUnitEvent_ParameterValueChange, unit, 3);
  AUEventListenerNotify(nullptr, nullptr, &change);
  ASSERT_EQ(1u, values.size());
  EXPECT_EQ(3u, values[0].parameter);
  EXPECT_FLOAT_EQ(0.3f, values[0].value);
  // The sender does not hear its own event.
  AUEventListenerNotify(valueListener, nullptr, &change);
  EXPECT_EQ(1u, values.size());
  // Another unit's parameters are not this registration's.
  AudioUnitEvent elsewhere = ParameterEvent(kAudioUnitEvent_ParameterValueChange, nullptr, 3);
  AUEventListenerNotify(nullptr, nullptr, &elsewhere);
  EXPECT_EQ(1u, values.size());

  EXPECT_EQ(noErr, AUEventListenerRemoveEventType(gestureListener, &tag, &begin));
  EXPECT_EQ(paramErr, AUEventListenerRemoveEventType(gestureListener, &tag, &begin));
  AUEventListenerNotify(nullptr, nullptr, &begin);
  EXPECT_EQ(1u, gestures.size());

  EXPECT_EQ(noErr, AUListenerDispose(gestureListener));
  EXPECT_EQ(noErr, AUListenerDispose(valueListener));
  EXPECT_EQ(paramErr, AUListenerDispose(valueListener));
  AUEventListenerNotify(nullptr, nullptr, &change);
  EXPECT_EQ(1u, values.size());
  EXPECT_EQ(paramErr, AUEventListenerNotify(nullptr, nullptr, nullptr));

  CloseComponent(unit);
  UnregisterComponent(component);
}

void PropertyListen(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue)
{
  *static_cast<AudioUnitPropertyID*>(refCon) = event->mArgument.mProperty.mPropertyID;
}

TEST(AUEvents, PropertyEventsMatchOnPropertyID)
{
  AudioUnitPropertyID heard = 0;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(noErr, AUEventListenerCreate(PropertyListen, &heard, nullptr, nullptr, 0, 0, &listener));
  AudioUnitEvent e = {};
  e.mEventType = kAudioUnitEvent_PropertyChange;
  e.mArgument.mProperty.mPropertyID = kAudioUnitProperty_PresentPreset;
  ASSERT_EQ(noErr, AUEventListenerAddEventType(listener, nullptr, &e));
  AudioUnitEvent other = e;
  other.mArgument.mProperty.mPropertyID = kAudioUnitProperty_Latency;
  AUEventListenerNotify(nullptr, nullptr, &other);
  EXPECT_EQ(0u, heard);
  AUEventListenerNotify(nullptr, nullptr, &e);
  EXPECT_EQ(static_cast<AudioUnitPropertyID>(kAudioUnitProperty_PresentPreset), heard);
  AUListenerDispose(listener);
}

} // namespace
