// Validation of what a session with a host brings: render notifiers, pulling input once per sample
// time, output memory the unit lends, an upstream unit as input, property listeners, parameter
// and gesture events from the editor, real-time safety, the editor opened and closed through the
// Cocoa-view property, and many open/render/close cycles.
#include "tools/validate/ValidateChecks.h"

#include "tools/host/EditorHost.h"

#include <AudioToolbox/AudioUnitUtilities.h>

#include <cstring>
#include <vector>

using namespace validate;

namespace {

constexpr int kFrames = 256;

struct NotifyLog
{
  std::vector<AudioUnitRenderActionFlags> flags;
};

OSStatus LogNotify(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                   AudioBufferList*)
{
  static_cast<NotifyLog*>(refCon)->flags.push_back(*flags);
  return noErr;
}

// A stereo unit prepared at 44.1 kHz with a rig feeding it.
bool PrepareRig(ValidateContext& context, ComponentHost& host, RenderRig& rig, std::string& error)
{
  if (!PrepareHost(context, host, Stereo(44100, kFrames), error)) return false;
  const OSStatus status = rig.Attach(host.Unit());
  if (status != noErr) error = "render callback: " + DescribeStatus(status);
  return status == noErr;
}

bool SameAudio(const Planar& a, const Planar& b, int channels, int frames)
{
  for (int c = 0; c < channels; ++c)
    if (std::memcmp(a.data[c].data(), b.data[c].data(), sizeof(float) * static_cast<size_t>(frames)) != 0) return false;
  return true;
}

struct EventLog
{
  std::vector<AudioUnitEventType> types;
};

void LogEvent(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue)
{
  static_cast<EventLog*>(refCon)->types.push_back(event->mEventType);
}

struct PropertyLog
{
  std::vector<AudioUnitPropertyID> ids;
};

void LogProperty(void* refCon, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  static_cast<PropertyLog*>(refCon)->ids.push_back(id);
}

} // namespace

CheckOutcome CheckRenderNotifiers(ValidateContext& context, int)
{
  ComponentHost host;
  RenderRig rig(2, kFrames, context.seed);
  std::string error;
  if (!PrepareRig(context, host, rig, error)) return Fail(error);
  NotifyLog log;
  OSStatus status = AudioUnitAddRenderNotify(host.Unit(), LogNotify, &log);
  if (status != noErr) return Fail("add: " + DescribeStatus(status));
  rig.NextInput(kFrames);
  if ((status = rig.Render(0, kFrames)) != noErr) return Fail("render: " + DescribeStatus(status));
  const std::vector<AudioUnitRenderActionFlags> expected = {kAudioUnitRenderAction_PreRender,
                                                            kAudioUnitRenderAction_PostRender};
  if (log.flags != expected) return Fail(std::to_string(log.flags.size()) + " calls, not one before and one after");
  AudioUnitRemoveRenderNotify(host.Unit(), LogNotify, &log);
  if ((status = rig.Render(kFrames, kFrames)) != noErr) return Fail("render: " + DescribeStatus(status));
  if (log.flags.size() != 2) return Fail("a removed notifier is still called");
  return Pass();
}

CheckOutcome CheckPullOncePerSampleTime(ValidateContext& context, int)
{
  ComponentHost host;
  RenderRig rig(2, kFrames, context.seed);
  std::string error;
  if (!PrepareRig(context, host, rig, error)) return Fail(error);
  rig.NextInput(kFrames);
  for (int i = 0; i < 2; ++i) {
    const OSStatus status = rig.Render(512, kFrames);
    if (status != noErr) return Fail("render: " + DescribeStatus(status));
  }
  if (rig.Pulls() != 1)
    return Fail("two renders at one sample time pulled input " + std::to_string(rig.Pulls()) + " times");
  if (rig.Render(512 + kFrames, kFrames) != noErr || rig.Pulls() != 2)
    return Fail("the next sample time pulled no input");
  return Pass();
}

CheckOutcome CheckNullOutputBuffers(ValidateContext& context, int)
{
  ComponentHost own, lent;
  RenderRig ownRig(2, kFrames, context.seed), lentRig(2, kFrames, context.seed);
  std::string error;
  if (!PrepareRig(context, own, ownRig, error) || !PrepareRig(context, lent, lentRig, error)) return Fail(error);
  for (int block = 0; block < 4; ++block) {
    ownRig.NextInput(kFrames);
    lentRig.NextInput(kFrames);
    const bool fast = block % 2 == 1;
    OSStatus status = ownRig.Render(block * kFrames, kFrames, fast);
    if (status == noErr) status = lentRig.Render(block * kFrames, kFrames, fast, true);
    if (status != noErr) return Fail("render: " + DescribeStatus(status));
    if (!SameAudio(ownRig.Output(), lentRig.Output(), 2, kFrames))
      return Fail("block " + std::to_string(block) + ": the unit's own memory holds other audio");
  }
  return Pass();
}

CheckOutcome CheckUpstreamConnection(ValidateContext& context, int)
{
  // Chain: source -> sink through a connection; reference: the same two units fed by hand.
  ComponentHost source, sink, refSource, refSink;
  RenderRig sourceRig(2, kFrames, context.seed), refSourceRig(2, kFrames, context.seed);
  std::string error;
  if (!PrepareRig(context, source, sourceRig, error) || !PrepareRig(context, refSource, refSourceRig, error) ||
      !PrepareHost(context, sink, Stereo(44100, kFrames), error))
    return Fail(error);
  RenderRig sinkRig(2, kFrames, context.seed), refSinkRig(2, kFrames, context.seed);
  if (!PrepareRig(context, refSink, refSinkRig, error)) return Fail(error);
  AudioUnitConnection connection{source.Unit(), 0, 0};
  OSStatus status = sink.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, connection);
  if (status != noErr) return Fail("connection: " + DescribeStatus(status));
  // The sink's own rig only reads its output; its input comes from the connection.
  AudioUnitRenderProc sinkFast = nullptr;
  sink.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, sinkFast);
  if (!sinkFast) return Fail("no fast-dispatch render");
  std::vector<unsigned char> listBytes(offsetof(AudioBufferList, mBuffers) + 2 * sizeof(AudioBuffer));
  Planar out(2, kFrames);
  for (int block = 0; block < 4; ++block) {
    sourceRig.NextInput(kFrames);
    refSourceRig.NextInput(kFrames);
    AudioBufferList* list = reinterpret_cast<AudioBufferList*>(listBytes.data());
    list->mNumberBuffers = 2;
    for (int c = 0; c < 2; ++c) list->mBuffers[c] = {1, kFrames * sizeof(float), out.out[c]};
    AudioTimeStamp time{};
    time.mSampleTime = block * kFrames;
    time.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    const bool fast = block % 2 == 1;
    status = fast ? sinkFast(GetComponentInstanceStorage(sink.Unit()), &flags, &time, 0, kFrames, list)
                  : AudioUnitRender(sink.Unit(), &flags, &time, 0, kFrames, list);
    if (status != noErr) return Fail("render through the connection: " + DescribeStatus(status));
    for (int c = 0; c < 2; ++c)
      if (list->mBuffers[c].mData != out.out[c])
        std::memcpy(out.out[c], list->mBuffers[c].mData, kFrames * sizeof(float));
    // Reference: render the source, hand its output to the second unit as input.
    if ((status = refSourceRig.Render(block * kFrames, kFrames)) != noErr)
      return Fail("reference: " + DescribeStatus(status));
    for (int c = 0; c < 2; ++c) refSinkRig.Input().data[c] = refSourceRig.Output().data[c];
    if ((status = refSinkRig.Render(block * kFrames, kFrames)) != noErr)
      return Fail("reference: " + DescribeStatus(status));
    if (!SameAudio(out, refSinkRig.Output(), 2, kFrames))
      return Fail(std::string("block ") + std::to_string(block) + (fast ? " (fast dispatch)" : "") +
                  ": the chained output differs from the two units rendered one after the other");
  }
  AudioUnitConnection none{nullptr, 0, 0};
  if ((status = sink.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, none)) != noErr)
    return Fail("disconnect: " + DescribeStatus(status));
  return Pass();
}

CheckOutcome CheckPropertyListeners(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 512), error)) return Fail(error);
  PropertyLog log;
  const AudioUnitPropertyID watched[] = {kAudioUnitProperty_BypassEffect, kAudioUnitProperty_SampleRate,
                                         kAudioUnitProperty_PresentPreset};
  for (AudioUnitPropertyID id : watched)
    if (AudioUnitAddPropertyListener(host.Unit(), id, LogProperty, &log) != noErr)
      return Fail("adding a listener for property " + std::to_string(id) + " refused");
  const UInt32 on = 1;
  const Float64 rate = 48000;
  AUPreset preset{0, nullptr};
  host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, on);
  host.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate);
  host.Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, preset);
  const std::vector<AudioUnitPropertyID> expected(std::begin(watched), std::end(watched));
  if (log.ids != expected)
    return Fail(std::to_string(log.ids.size()) + " of 3 property changes heard, or in another order");
  for (AudioUnitPropertyID id : watched)
    AudioUnitRemovePropertyListenerWithUserData(host.Unit(), id, LogProperty, &log);
  host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, on);
  if (log.ids.size() != 3) return Fail("a removed listener still hears changes");
  return Pass();
}

CheckOutcome CheckRealtimeSafety(ValidateContext& context, int fastDispatch)
{
  constexpr int kRenders = 1000;
  RealtimeCounts counts;
  std::string error;
  if (!MeasureRenders(context, fastDispatch != 0, kRenders, counts, error)) return Fail(error);
  const std::string summary = std::to_string(counts.allocations) + " allocations, " + std::to_string(counts.frees) +
                              " frees, " + std::to_string(counts.locks) + " locks (" +
                              std::to_string(counts.contendedLocks) + " contended) in " + std::to_string(kRenders) +
                              " renders";
  if (counts.allocations || counts.frees) return Fail(summary);
  // Through the entry the instance lock is taken once per call; fast dispatch takes none.
  const long locks = fastDispatch ? 0 : kRenders;
  if (counts.locks != locks || counts.contendedLocks) return Fail(summary);
  if (!RealtimeProbe::CountsAllocations()) return Fail("allocations cannot be counted in this build");
  return Pass(summary);
}

CheckOutcome CheckEditorOpenClose(ValidateContext& context, int cycles)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 512), error)) return Fail(error);
  for (int i = 0; i < cycles; ++i) {
    EditorHost editor;
    if (!editor.Open(host.Unit(), error)) return Fail("view " + std::to_string(i + 1) + ": " + error);
    editor.Ticks(1);
    editor.Close();
  }
  // A knob drag reaches the host as a gesture with value changes inside it.
  AUEventListenerRef listener = nullptr;
  EventLog log;
  if (AUEventListenerCreate(LogEvent, &log, nullptr, nullptr, 0, 0, &listener) != noErr)
    return Fail("event listener refused");
  for (AudioUnitEventType type : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                                  kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent event{};
    event.mEventType = type;
    event.mArgument.mParameter = {host.Unit(), kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
    AUEventListenerAddEventType(listener, nullptr, &event);
  }
  EditorHost editor;
  if (!editor.Open(host.Unit(), error)) {
    AUListenerDispose(listener);
    return Fail(error);
  }
  // A host does not know where the unit's knobs are: drag upwards from points across the whole
  // editor until one changes a parameter with a well-formed gesture.
  std::vector<ParameterDescription> params;
  if (!DescribeParameters(host, params, error)) {
    AUListenerDispose(listener);
    return Fail(error);
  }
  auto values = [&] {
    std::vector<AudioUnitParameterValue> v(params.size());
    for (size_t i = 0; i < params.size(); ++i) host.GetParameter(params[i].id, v[i]);
    return v;
  };
  constexpr int kStep = 8;
  size_t changingDrags = 0, events = 0;
  bool shaped = false;
  for (int y = kStep / 2; y < editor.Height() && !shaped; y += kStep) {
    for (int x = kStep / 2; x < editor.Width() && !shaped; x += kStep) {
      const std::vector<AudioUnitParameterValue> before = values();
      log.types.clear();
      editor.Drag(x, y, 0, -30);
      if (values() == before) continue;
      ++changingDrags;
      events = log.types.size();
      shaped = events >= 3 && log.types.front() == kAudioUnitEvent_BeginParameterChangeGesture &&
               log.types.back() == kAudioUnitEvent_EndParameterChangeGesture;
    }
  }
  editor.Close();
  AUListenerDispose(listener);
  if (!changingDrags) return Fail("no drag across the editor changed a parameter");
  if (!shaped) return Fail(std::to_string(events) + " events from a parameter-changing drag, not begin, changes, end");
  return Pass(std::to_string(cycles) + " views, " + std::to_string(events) + " events from one drag");
}

CheckOutcome CheckLongSession(ValidateContext& context, int cycles)
{
  const long before = CountComponentInstances(context.component);
  for (int i = 0; i < cycles; ++i) {
    ComponentHost host;
    std::string error;
    if (!PrepareHost(context, host, Stereo(44100, 64), error))
      return Fail("cycle " + std::to_string(i + 1) + ": " + error);
    Planar in(2, 64), out(2, 64);
    const OSStatus status = host.Render(in.in.data(), out.out.data(), 64);
    if (status != noErr) return Fail("cycle " + std::to_string(i + 1) + " render: " + DescribeStatus(status));
  }
  const long after = CountComponentInstances(context.component);
  if (after != before) return Fail(std::to_string(after - before) + " instances left open");
  return Pass();
}
