#include "AUTestFixture.h"

#include <stdexcept>

const char* const kLongPresetName = "A preset name that is exactly sixty-three bytes long, no more!!";

TestPlug::TestPlug(IEffectInstanceInfo info)
    : IEffectAU(std::move(info), kNumParams, "1-1 2-2", 3, "TestPlug", "TestProduct", "TestMaker", kTestVersion,
                static_cast<int>(kTestSubType), static_cast<int>(kTestMfr), kTestLatency, false, false, false, 0)
{
  GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "x", "Main");
  IParam* mode = GetParam(kMode);
  mode->InitEnum("Mode", 0, 3);
  mode->SetDisplayText(0, "soft");
  mode->SetDisplayText(1, "hard");
  mode->SetDisplayText(2, "broken");
  GetParam(kSwitch)->InitBool("Switch", false, "", "Main");
  GetParam(kCount)->InitInt("Count", 3, 0, 10, "", "Extra");
  GetParam(kCount)->mCanAutomate = false;
  GetParam(kTrim)->InitDouble("Trim", 0.0, -12.0, 12.0, 0.5, "dB");
  GetParam(kTrim)->mNegateDisplay = true;

  MakeDefaultPreset("Init", 1);
  GetParam(kGain)->Set(0.5);
  MakeDefaultPreset(kLongPresetName, 1);
  GetParam(kGain)->Set(1.0);
  // The third slot stays uninitialized: open prunes it.
}

void TestPlug::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (mThrowInProcess) throw std::runtime_error("processing failed");
  ++mProcessCalls;
  mLastFrames = nFrames;
  const double gain = GetParam(kGain)->mValue;
  const double offset = GetParam(kSwitch)->mValue * 0.5;
  for (int i = 0; i < nFrames; ++i) {
    double sum = 0.0;
    for (int c = 0; c < NInChannels(); ++c) sum += inputs[c][i];
    for (int c = 0; c < NOutChannels(); ++c) outputs[c][i] = sum * gain + offset;
  }
}

IEffectAU* MakeTestPlug()
{
  return new TestPlug;
}

namespace {
ComponentResult TestEntry(ComponentParameters* params, Handle storage)
{
  return IEffectAU::IEffectAUEntry(params, storage);
}
} // namespace

Component AUHostTest::TestComponent()
{
  static Component sComponent = [] {
    ComponentDescription cd = {kTestType, kTestSubType, kTestMfr, 0, 0};
    return RegisterComponent(&cd, TestEntry, 0, nullptr, nullptr, nullptr);
  }();
  return sComponent;
}

void AUHostTest::SetUp()
{
  IEffectAU::SetPlugFactory(&MakeTestPlug);
  ASSERT_NE(TestComponent(), nullptr);
  mUnit = Open();
  ASSERT_NE(mUnit, nullptr);
}

void AUHostTest::TearDown()
{
  for (AudioUnit unit : mUnits) CloseComponent(unit);
  mUnits.clear();
}

AudioUnit AUHostTest::Open()
{
  ComponentInstance ci = nullptr;
  if (OpenAComponent(TestComponent(), &ci) != noErr) return nullptr;
  mUnits.push_back(ci);
  return ci;
}

void AUHostTest::Close(AudioUnit unit)
{
  for (size_t i = 0; i < mUnits.size(); ++i)
    if (mUnits[i] == unit) mUnits.erase(mUnits.begin() + static_cast<long>(i));
  CloseComponent(unit);
}

OSStatus AUHostTest::SetFormat(AudioUnit unit, AudioUnitScope scope, int nChannels, double rate, UInt32 flags)
{
  AudioStreamBasicDescription f;
  MakeDefaultASBD(&f, rate, nChannels, false);
  f.mFormatFlags = flags;
  return AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &f, sizeof(f));
}

OSStatus AUHostTest::SetCallback(AudioUnit unit, AURenderCallback proc, void* refCon)
{
  AURenderCallbackStruct cb = {proc, refCon};
  return AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb));
}

OSStatus AUHostTest::Render(AudioUnit unit, double sampleTime, UInt32 nFrames, AudioBufferList* list, UInt32 bus)
{
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp ts = SampleTimeStamp(sampleTime);
  return AudioUnitRender(unit, &flags, &ts, bus, nFrames, list);
}

HostBuffers::HostBuffers(int nChannels, int nFrames, bool withData)
    : mBytes(sizeof(AudioBufferList) + sizeof(AudioBuffer) * static_cast<size_t>(nChannels), 0),
      mData(static_cast<size_t>(nChannels), std::vector<float>(static_cast<size_t>(nFrames), -9.0f))
{
  AudioBufferList* list = List();
  list->mNumberBuffers = static_cast<UInt32>(nChannels);
  for (int c = 0; c < nChannels; ++c) {
    list->mBuffers[c].mNumberChannels = 1;
    list->mBuffers[c].mDataByteSize = static_cast<UInt32>(nFrames * sizeof(float));
    list->mBuffers[c].mData = withData ? mData[static_cast<size_t>(c)].data() : nullptr;
  }
}

OSStatus RampSource::Callback(void* refCon, AudioUnitRenderActionFlags* /*flags*/, const AudioTimeStamp* /*ts*/,
                              UInt32 bus, UInt32 nFrames, AudioBufferList* list)
{
  RampSource* self = static_cast<RampSource*>(refCon);
  ++self->mCalls;
  self->mLastBus = bus;
  self->mLastBuffers = list->mNumberBuffers;
  if (self->mResult != noErr) return self->mResult;
  for (UInt32 c = 0; c < list->mNumberBuffers; ++c) {
    float* data = static_cast<float*>(list->mBuffers[c].mData);
    for (UInt32 i = 0; i < nFrames; ++i) data[i] = Value(static_cast<int>(c), static_cast<int>(i));
  }
  return noErr;
}

AudioTimeStamp SampleTimeStamp(double sampleTime)
{
  AudioTimeStamp ts;
  std::memset(&ts, 0, sizeof(ts));
  ts.mSampleTime = sampleTime;
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  return ts;
}

std::string ToStd(CFStringRef str)
{
  if (!str) return "<null>";
  char buffer[512];
  if (!CFStringGetCString(str, buffer, sizeof(buffer), kCFStringEncodingUTF8)) return "<unconvertible>";
  return buffer;
}
