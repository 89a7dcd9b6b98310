// ComponentHost: drives the Brindle Audio Unit the way a host application does, through the
// Component Manager and the AudioUnit* calls only, never through the plug-in's classes.
//
// Finding the component: LoadBrindleComponent loads a Brindle.component bundle folder (once per
// process; the bundle stays loaded until exit) and returns its effect component. Where the bundle is
// comes from, in order: an explicit path (the --component option), the BRINDLE_COMPONENT environment
// variable, the bundle beside the running program (../Brindle.component, ./Brindle.component or
// ../lib/brindle/Brindle.component relative to the executable's folder), or the one installed under
// the install prefix (PREFIX/lib/brindle/Brindle.component).
//
// One ComponentHost owns one open instance: Open, Configure (stream formats on the input and output
// bus, maximum frames, sample rate, a render callback on input bus 0 that feeds the host's audio),
// Initialize, Render per block, parameter and class-info calls, Uninitialize, Close. The destructor
// uninitializes and closes whatever is still open. Calls return the unit's OSStatus (or false with a
// one-line message); nothing throws.
#pragma once

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>

#include "BrindleIdentity.h"

#include <string>
#include <utility>
#include <vector>

// The identity the host looks for in the bundle.
constexpr OSType kBrindleComponentType = 0x61756678; // 'aufx'
constexpr OSType kBrindleComponentSubType = static_cast<OSType>(BrindleIdentity::kUniqueID);
constexpr OSType kBrindleComponentManufacturer = static_cast<OSType>(BrindleIdentity::kMfrID);

// The bundle path to use: explicit (when non-empty), else $BRINDLE_COMPONENT, else the first of the
// places beside the program and under the install prefix that exists (the build tree's place when
// none does, so the error names a sensible place).
std::string ResolveComponentPath(const std::string& explicitPath);

// Loads the bundle at path (cached per path) and finds its Brindle effect component; `name`, when
// given, receives the name the bundle lists for it.
bool LoadBrindleComponent(const std::string& path, Component& component, std::string& error,
                          std::string* name = nullptr);
// Loads the bundle at path the same way and finds its effect component ('aufx'), whatever its codes:
// what a validator does with any plug-in's bundle. `description`, when given, receives its codes.
bool LoadEffectComponent(const std::string& path, Component& component, std::string& error,
                         ComponentDescription* description = nullptr);

// "aufx" from 0x61756678; non-printable bytes become '?'.
std::string FourCharText(OSType code);
// A readable name for a status: "kAudioUnitErr_InvalidProperty (-10879)", or the number alone.
std::string DescribeStatus(OSStatus status);

struct HostFormat
{
  double sampleRate = 44100.0;
  int inChannels = 2;
  int outChannels = 2;
  int maxFrames = 512;
};

class ComponentHost
{
public:
  static constexpr int kMaxChannels = 8;

  ComponentHost() = default;
  ~ComponentHost();
  ComponentHost(const ComponentHost&) = delete;
  ComponentHost& operator=(const ComponentHost&) = delete;

  OSStatus Open(Component component);
  void Close();
  AudioUnit Unit() const { return mUnit; }
  bool IsOpen() const { return mUnit != nullptr; }

  // Sets the stream format of input and output bus 0, the maximum frames per slice, the sample rate
  // and the render callback. Stops at the first refusal and returns it.
  OSStatus Configure(const HostFormat& format);
  OSStatus Initialize();
  OSStatus Uninitialize();
  const HostFormat& Format() const { return mFormat; }

  // Renders frames (any count; the unit refuses more than its maximum) from in[channel] into
  // out[channel], for the configured channel counts. Input is pulled through the render callback.
  // The sample time advances by frames after every successful call.
  OSStatus Render(const float* const* in, float* const* out, int frames);
  // Times the callback was asked for input since Open.
  long InputPulls() const { return mInputPulls; }

  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value);
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitParameterValue& value);

  // The class-info dictionary (the caller releases it) and its restore.
  OSStatus CopyClassInfo(CFPropertyListRef& out);
  OSStatus RestoreClassInfo(CFPropertyListRef dictionary);

  // Plain-data property access.
  template <typename T>
  OSStatus Get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T& value)
  {
    UInt32 size = sizeof(T);
    return AudioUnitGetProperty(mUnit, id, scope, element, &value, &size);
  }
  template <typename T>
  OSStatus Set(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& value)
  {
    return AudioUnitSetProperty(mUnit, id, scope, element, &value, sizeof(T));
  }

  // Parameter IDs from the parameter list.
  OSStatus ParameterList(std::vector<AudioUnitParameterID>& ids);
  // Legal channel configurations (input, output; -1 = any).
  OSStatus ChannelConfigurations(std::vector<AUChannelInfo>& configs);
  // Text of a value for a parameter, through ParameterStringFromValue.
  OSStatus ValueText(AudioUnitParameterID id, AudioUnitParameterValue value, std::string& text);
  // Value of a text, through ParameterValueFromString (`value` keeps its input when no text matches).
  OSStatus ValueFromText(AudioUnitParameterID id, const std::string& text, AudioUnitParameterValue& value);
  // The display texts of an indexed parameter; an error status for a parameter without them.
  OSStatus ValueStrings(AudioUnitParameterID id, std::vector<std::string>& texts);
  // Factory presets (number, name).
  OSStatus FactoryPresets(std::vector<std::pair<int, std::string>>& presets);

private:
  static OSStatus FeedInput(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, UInt32 bus,
                            UInt32 frames, AudioBufferList* data);

  AudioUnit mUnit = nullptr;
  bool mInitialized = false;
  HostFormat mFormat;
  double mSampleTime = 0.0;
  const float* const* mInput = nullptr; // valid during Render only
  int mInputFrames = 0;
  long mInputPulls = 0;
  std::vector<unsigned char> mOutputList; // AudioBufferList storage for kMaxChannels buffers
};

// UTF-8 copy of a CFString ("" for null).
std::string StringFromCF(CFStringRef text);
// Releases the name strings a ParameterInfo reply hands over (when its flags say they are the
// caller's) and clears them.
void ReleaseParameterInfoNames(AudioUnitParameterInfo& info);
