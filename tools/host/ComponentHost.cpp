// The host side of the brindle command: locating and loading the bundle, and one open instance.
#include "tools/host/ComponentHost.h"

#include <BrindleHost/ComponentBundle.h>

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsDirectory(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExecutableFolder()
{
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  buffer[n] = '\0';
  std::string path(buffer);
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

} // namespace

std::string ResolveComponentPath(const std::string& explicitPath)
{
  if (!explicitPath.empty()) return explicitPath;
  if (const char* env = std::getenv("BRINDLE_COMPONENT"); env && *env) return env;
  const std::string folder = ExecutableFolder();
  // Beside the program: the build tree (build/tools/brindle, build/Brindle.component), a copy next
  // to the bundle, or an installed tree moved as a whole (bin/brindle, lib/brindle/); then the
  // prefix it was installed into.
  const std::string candidates[] = {folder + "/../Brindle.component", folder + "/Brindle.component",
                                    folder + "/../lib/brindle/Brindle.component",
#ifdef BRINDLE_INSTALL_PREFIX
                                    std::string(BRINDLE_INSTALL_PREFIX) + "/lib/brindle/Brindle.component"
#endif
  };
  for (const std::string& c : candidates)
    if (IsDirectory(c)) return c;
  return candidates[0];
}

namespace {

// The loaded bundle at path (once per path), or null with the reason.
const BrindleHost_ComponentBundle* LoadBundleOnce(const std::string& path, std::string& error)
{
  // A bundle registers its components once; later requests for the same folder reuse it.
  static std::mutex sMutex;
  static std::map<std::string, BrindleHost_ComponentBundle> sLoaded;
  std::lock_guard<std::mutex> lock(sMutex);
  char resolved[PATH_MAX];
  const std::string key = realpath(path.c_str(), resolved) ? std::string(resolved) : path;
  auto it = sLoaded.find(key);
  if (it == sLoaded.end()) {
    BrindleHost_ComponentBundle bundle{};
    const OSStatus status = BrindleHost_LoadComponentBundle(key.c_str(), &bundle);
    if (status != noErr) {
      if (status == fnfErr)
        error = "no component bundle at '" + path + "' (build it, or name it with --component or BRINDLE_COMPONENT)";
      else
        error = "cannot load the component bundle '" + path + "': " + DescribeStatus(status);
      return nullptr;
    }
    it = sLoaded.emplace(key, bundle).first;
  }
  // Entries are never removed, so the pointer stays valid.
  return &it->second;
}

} // namespace

bool LoadBrindleComponent(const std::string& path, Component& component, std::string& error, std::string* name)
{
  const BrindleHost_ComponentBundle* bundle = LoadBundleOnce(path, error);
  if (!bundle) return false;
  for (UInt32 i = 0; i < bundle->componentCount; ++i) {
    const ComponentDescription& d = bundle->components[i].description;
    if (d.componentType == kBrindleComponentType && d.componentSubType == kBrindleComponentSubType &&
        d.componentManufacturer == kBrindleComponentManufacturer) {
      component = bundle->components[i].component;
      if (name) *name = bundle->components[i].name;
      return true;
    }
  }
  error = "the bundle '" + path + "' holds no " + FourCharText(kBrindleComponentType) + "/" +
          FourCharText(kBrindleComponentSubType) + "/" + FourCharText(kBrindleComponentManufacturer) + " component";
  return false;
}

bool LoadEffectComponent(const std::string& path, Component& component, std::string& error,
                         ComponentDescription* description)
{
  const BrindleHost_ComponentBundle* bundle = LoadBundleOnce(path, error);
  if (!bundle) return false;
  for (UInt32 i = 0; i < bundle->componentCount; ++i) {
    const ComponentDescription& d = bundle->components[i].description;
    if (d.componentType != kBrindleComponentType) continue;
    component = bundle->components[i].component;
    if (description) *description = d;
    return true;
  }
  error = "the bundle '" + path + "' holds no " + FourCharText(kBrindleComponentType) + " component";
  return false;
}

std::string FourCharText(OSType code)
{
  std::string text(4, '?');
  for (int i = 0; i < 4; ++i) {
    const unsigned char c = static_cast<unsigned char>(code >> (24 - 8 * i));
    if (c >= 32 && c < 127) text[i] = static_cast<char>(c);
  }
  return text;
}

std::string DescribeStatus(OSStatus status)
{
  static const std::pair<OSStatus, const char*> kNames[] = {
      {kAudioUnitErr_InvalidProperty, "kAudioUnitErr_InvalidProperty"},
      {kAudioUnitErr_InvalidParameter, "kAudioUnitErr_InvalidParameter"},
      {kAudioUnitErr_InvalidElement, "kAudioUnitErr_InvalidElement"},
      {kAudioUnitErr_NoConnection, "kAudioUnitErr_NoConnection"},
      {kAudioUnitErr_FailedInitialization, "kAudioUnitErr_FailedInitialization"},
      {kAudioUnitErr_TooManyFramesToProcess, "kAudioUnitErr_TooManyFramesToProcess"},
      {kAudioUnitErr_FormatNotSupported, "kAudioUnitErr_FormatNotSupported"},
      {kAudioUnitErr_Uninitialized, "kAudioUnitErr_Uninitialized"},
      {kAudioUnitErr_InvalidScope, "kAudioUnitErr_InvalidScope"},
      {kAudioUnitErr_PropertyNotWritable, "kAudioUnitErr_PropertyNotWritable"},
      {kAudioUnitErr_InvalidPropertyValue, "kAudioUnitErr_InvalidPropertyValue"},
      {kAudioUnitErr_PropertyNotInUse, "kAudioUnitErr_PropertyNotInUse"},
      {badComponentSelector, "badComponentSelector"},
      {badComponentInstance, "badComponentInstance"},
      {invalidComponentID, "invalidComponentID"},
      {unresolvedComponentDLLErr, "unresolvedComponentDLLErr"},
      {paramErr, "paramErr"},
      {memFullErr, "memFullErr"},
      {fnfErr, "fnfErr"},
      {coreFoundationUnknownErr, "coreFoundationUnknownErr"},
  };
  for (const auto& [code, name] : kNames)
    if (code == status) return std::string(name) + " (" + std::to_string(status) + ")";
  return "status " + std::to_string(status);
}

std::string StringFromCF(CFStringRef text)
{
  if (!text) return "";
  if (const char* direct = CFStringGetCStringPtr(text, kCFStringEncodingUTF8)) return direct;
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
  std::vector<char> buffer(static_cast<size_t>(size));
  if (!CFStringGetCString(text, buffer.data(), size, kCFStringEncodingUTF8)) return "";
  return buffer.data();
}

void ReleaseParameterInfoNames(AudioUnitParameterInfo& info)
{
  if (info.flags & kAudioUnitParameterFlag_CFNameRelease) {
    if (info.cfNameString) CFRelease(info.cfNameString);
    if (info.unitName) CFRelease(info.unitName);
  }
  info.cfNameString = nullptr;
  info.unitName = nullptr;
}

ComponentHost::~ComponentHost()
{
  Close();
}

OSStatus ComponentHost::Open(Component component)
{
  Close();
  ComponentInstance instance = nullptr;
  const OSErr status = OpenAComponent(component, &instance);
  if (status != noErr) return status;
  mUnit = instance;
  mSampleTime = 0.0;
  mInputPulls = 0;
  return noErr;
}

void ComponentHost::Close()
{
  if (!mUnit) return;
  if (mInitialized) Uninitialize();
  CloseComponent(mUnit);
  mUnit = nullptr;
}

OSStatus ComponentHost::Configure(const HostFormat& format)
{
  if (format.inChannels < 0 || format.inChannels > kMaxChannels || format.outChannels < 1 ||
      format.outChannels > kMaxChannels || format.maxFrames < 1)
    return paramErr;
  mFormat = format;
  AudioStreamBasicDescription asbd{};
  asbd.mSampleRate = format.sampleRate;
  asbd.mFormatID = kAudioFormatLinearPCM;
  asbd.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  asbd.mBytesPerPacket = 4;
  asbd.mFramesPerPacket = 1;
  asbd.mBytesPerFrame = 4;
  asbd.mBitsPerChannel = 32;
  OSStatus status = noErr;
  if (format.inChannels > 0) {
    asbd.mChannelsPerFrame = static_cast<UInt32>(format.inChannels);
    if ((status = Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, asbd)) != noErr) return status;
  }
  asbd.mChannelsPerFrame = static_cast<UInt32>(format.outChannels);
  if ((status = Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, asbd)) != noErr) return status;
  const UInt32 maxFrames = static_cast<UInt32>(format.maxFrames);
  if ((status = Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, maxFrames)) != noErr)
    return status;
  const Float64 rate = format.sampleRate;
  if ((status = Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate)) != noErr) return status;
  if (format.inChannels > 0) {
    AURenderCallbackStruct callback{&ComponentHost::FeedInput, this};
    if ((status = Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, callback)) != noErr)
      return status;
  }
  mOutputList.assign(offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * kMaxChannels, 0);
  return noErr;
}

OSStatus ComponentHost::Initialize()
{
  const OSStatus status = AudioUnitInitialize(mUnit);
  mInitialized = status == noErr;
  return status;
}

OSStatus ComponentHost::Uninitialize()
{
  mInitialized = false;
  return AudioUnitUninitialize(mUnit);
}

OSStatus ComponentHost::FeedInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32,
                                  UInt32 frames, AudioBufferList* data)
{
  ComponentHost* host = static_cast<ComponentHost*>(refCon);
  ++host->mInputPulls;
  if (!host->mInput || static_cast<int>(frames) != host->mInputFrames) return kAudioUnitErr_InvalidParameter;
  for (UInt32 j = 0; j < data->mNumberBuffers; ++j) {
    AudioBuffer& buffer = data->mBuffers[j];
    const float* source = static_cast<int>(j) < host->mFormat.inChannels ? host->mInput[j] : nullptr;
    if (!buffer.mData) {
      // The unit offers no memory of its own: hand it ours (it only reads input).
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

OSStatus ComponentHost::Render(const float* const* in, float* const* out, int frames)
{
  if (frames < 0 || mOutputList.empty()) return paramErr;
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(mOutputList.data());
  list->mNumberBuffers = static_cast<UInt32>(mFormat.outChannels);
  for (int c = 0; c < mFormat.outChannels; ++c) {
    list->mBuffers[c].mNumberChannels = 1;
    list->mBuffers[c].mDataByteSize = static_cast<UInt32>(frames) * sizeof(float);
    list->mBuffers[c].mData = out[c];
  }
  AudioTimeStamp time{};
  time.mSampleTime = mSampleTime;
  time.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  mInput = in;
  mInputFrames = frames;
  const OSStatus status = AudioUnitRender(mUnit, &flags, &time, 0, static_cast<UInt32>(frames), list);
  mInput = nullptr;
  if (status != noErr) return status;
  // The unit may have pointed a buffer at memory of its own; the caller expects its own buffers.
  for (int c = 0; c < mFormat.outChannels; ++c)
    if (list->mBuffers[c].mData != out[c] && list->mBuffers[c].mData)
      std::memcpy(out[c], list->mBuffers[c].mData, static_cast<size_t>(frames) * sizeof(float));
  mSampleTime += frames;
  return noErr;
}

OSStatus ComponentHost::SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value)
{
  return AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, value, 0);
}

OSStatus ComponentHost::GetParameter(AudioUnitParameterID id, AudioUnitParameterValue& value)
{
  return AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, &value);
}

OSStatus ComponentHost::CopyClassInfo(CFPropertyListRef& out)
{
  out = nullptr;
  return Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, out);
}

OSStatus ComponentHost::RestoreClassInfo(CFPropertyListRef dictionary)
{
  return Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, dictionary);
}

OSStatus ComponentHost::ParameterList(std::vector<AudioUnitParameterID>& ids)
{
  ids.clear();
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus status =
      AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable);
  if (status != noErr || size == 0) return status;
  ids.resize(size / sizeof(AudioUnitParameterID));
  status = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(), &size);
  ids.resize(status == noErr ? size / sizeof(AudioUnitParameterID) : 0);
  return status;
}

OSStatus ComponentHost::ChannelConfigurations(std::vector<AUChannelInfo>& configs)
{
  configs.clear();
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus status = AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0,
                                             &size, &writable);
  if (status != noErr || size == 0) return status;
  configs.resize(size / sizeof(AUChannelInfo));
  status = AudioUnitGetProperty(mUnit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0,
                                configs.data(), &size);
  configs.resize(status == noErr ? size / sizeof(AUChannelInfo) : 0);
  return status;
}

OSStatus ComponentHost::ValueText(AudioUnitParameterID id, AudioUnitParameterValue value, std::string& text)
{
  AudioUnitParameterStringFromValue query{id, &value, nullptr};
  const OSStatus status = Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, query);
  text = StringFromCF(query.outString);
  if (query.outString) CFRelease(query.outString);
  return status;
}

OSStatus ComponentHost::ValueFromText(AudioUnitParameterID id, const std::string& text, AudioUnitParameterValue& value)
{
  CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8);
  if (!string) return coreFoundationUnknownErr;
  AudioUnitParameterValueFromString query{id, string, value};
  const OSStatus status = Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, query);
  CFRelease(string);
  if (status == noErr) value = query.outValue;
  return status;
}

OSStatus ComponentHost::ValueStrings(AudioUnitParameterID id, std::vector<std::string>& texts)
{
  texts.clear();
  CFArrayRef array = nullptr;
  const OSStatus status = Get(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, array);
  if (status != noErr) return status;
  if (!array) return kAudioUnitErr_InvalidPropertyValue;
  for (CFIndex i = 0; i < CFArrayGetCount(array); ++i)
    texts.push_back(StringFromCF(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, i))));
  CFRelease(array);
  return noErr;
}

OSStatus ComponentHost::FactoryPresets(std::vector<std::pair<int, std::string>>& presets)
{
  presets.clear();
  CFArrayRef array = nullptr;
  const OSStatus status = Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, array);
  if (status != noErr) return status;
  if (!array) return kAudioUnitErr_InvalidPropertyValue;
  for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
    const AUPreset* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(array, i));
    if (preset) presets.emplace_back(preset->presetNumber, StringFromCF(preset->presetName));
  }
  CFRelease(array);
  return noErr;
}
