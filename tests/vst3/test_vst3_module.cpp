// The VST3 bundles as a host finds them: the files, the exports, the factory's and class's info, the
// interfaces by id, the lifecycle a host drives and the misbehaviour it must be refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/vst3/Vst3TestHost.h"

using namespace vst3;

namespace {

std::set<std::string> ExportedSymbols(const std::string& library)
{
  std::set<std::string> names;
  FILE* pipe = popen(("nm -D --defined-only '" + library + "' 2>/dev/null").c_str(), "r");
  if (!pipe) return {"(nm did not start)"};
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) names.insert(name);
  }
  if (pclose(pipe) != 0) names.insert("(nm failed)");
  return names;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Hex(const std::string& bytes)
{
  std::string out;
  char digits[3];
  for (unsigned char b : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    out += digits;
  }
  return out;
}

} // namespace

TEST(Vst3Module, BundlesExportTheEntryPointsAloneAndDescribeTheirClass)
{
  const struct
  {
    const char* bundle;
    const char* name;
    const char* subCategories;
  } rows[] = {{BRINDLE_VST3_BUNDLE, "Brindle", "Fx|Distortion"}, {GAIN_VST3_BUNDLE, "Gain", "Fx|Tools"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string so = std::string(row.bundle) + "/Contents/x86_64-linux/" + row.name + ".so";
    EXPECT_EQ(ExportedSymbols(so), (std::set<std::string>{"GetPluginFactory", "ModuleEntry", "ModuleExit"}));

    Vst3Module module(row.bundle);
    ASSERT_TRUE(module.Loaded()) << module.Error();
    IPluginFactory2* factory = module.Factory();
    PFactoryInfo info{};
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "tallowby");
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 1);
    PClassInfo2 cls{};
    ASSERT_EQ(factory->getClassInfo2(0, &cls), kResultOk);
    EXPECT_STREQ(cls.category, "Audio Module Class");
    EXPECT_STREQ(cls.name, row.name);
    EXPECT_STREQ(cls.subCategories, row.subCategories);
    EXPECT_STREQ(cls.vendor, "tallowby");
    EXPECT_EQ(cls.cardinality, PClassInfo::kManyInstances);
    EXPECT_EQ(factory->getClassInfo2(1, &cls), kInvalidArgument);
    EXPECT_EQ(factory->getClassInfo(-1, nullptr), kInvalidArgument);

    // moduleinfo.json names the same class id and subcategories the binary reports.
    const std::string json = ReadFile(std::string(row.bundle) + "/Contents/Resources/moduleinfo.json");
    EXPECT_NE(json.find("\"CID\": \"" + Hex(module.ClassID()) + "\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"Sub Categories\": [\"Fx\", \"" + std::string(row.subCategories + 3) + "\"]"),
              std::string::npos)
        << json;
  }
}

TEST(Vst3Module, InterfacesAreAnsweredByIdAndUnknownOnesRefused)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  const std::string cid = module.ClassID();
  void* obj = reinterpret_cast<void*>(1);
  // The factory refuses other classes and unknown interfaces, leaving nothing behind.
  const std::string otherClass(16, 'x');
  EXPECT_EQ(module.Factory()->createInstance(otherClass.data(), kIComponentIID.mBytes, &obj), kInvalidArgument);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(module.Factory()->createInstance(cid.data(), kIPluginFactoryIID.mBytes, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);

  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Ok());
  const struct
  {
    const char* name;
    Uid iid;
    tresult expected;
  } rows[] = {{"FUnknown", kFUnknownIID, kResultOk},
              {"IPluginBase", kIPluginBaseIID, kResultOk},
              {"IComponent", kIComponentIID, kResultOk},
              {"IAudioProcessor", kIAudioProcessorIID, kResultOk},
              {"IEditController", kIEditControllerIID, kResultOk},
              {"IPluginFactory", kIPluginFactoryIID, kNoInterface},
              {"IBStream", kIBStreamIID, kNoInterface},
              {"IComponentHandler", kIComponentHandlerIID, kNoInterface},
              {"a made-up id", MakeUid(1, 2, 3, 4), kNoInterface}};
  for (FUnknown* face : {static_cast<FUnknown*>(plugin.Component()), static_cast<FUnknown*>(plugin.Processor()),
                         static_cast<FUnknown*>(plugin.Controller())})
    for (const auto& row : rows) {
      SCOPED_TRACE(row.name);
      obj = reinterpret_cast<void*>(1);
      ASSERT_EQ(face->queryInterface(row.iid.mBytes, &obj), row.expected);
      if (row.expected != kResultOk) {
        EXPECT_EQ(obj, nullptr);
        continue;
      }
      ASSERT_NE(obj, nullptr);
      // Every answer counts a reference, released through the face it came from.
      EXPECT_GE(static_cast<FUnknown*>(obj)->release(), 1u);
    }
  EXPECT_EQ(plugin.Component()->queryInterface(kIComponentIID.mBytes, nullptr), kInvalidArgument);
  TUID controllerClass;
  EXPECT_EQ(plugin.Component()->getControllerClassId(controllerClass), kResultFalse);
}

TEST(Vst3Module, BusesAndArrangements)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Ok()) << module.Error();
  IComponent* component = plugin.Component();
  IAudioProcessor* processor = plugin.Processor();
  ASSERT_EQ(component->initialize(nullptr), kResultOk);
  EXPECT_EQ(component->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(component->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(component->getBusCount(kEvent, kInput), 0);
  BusInfo bus{};
  ASSERT_EQ(component->getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
  EXPECT_EQ(bus.channelCount, 2); // stereo until the host says otherwise
  EXPECT_EQ(bus.busType, kMain);
  EXPECT_EQ(bus.flags, BusInfo::kDefaultActive);
  EXPECT_EQ(Utf16ToAscii(bus.name), "Output");
  EXPECT_EQ(component->getBusInfo(kAudio, kOutput, 1, bus), kInvalidArgument);
  EXPECT_EQ(component->getBusInfo(kEvent, kInput, 0, bus), kInvalidArgument);
  EXPECT_EQ(component->activateBus(kAudio, kInput, 0, 1), kResultOk);
  EXPECT_EQ(component->activateBus(kAudio, kInput, 1, 1), kInvalidArgument);

  const SpeakerArrangement surround = kSpeakerL | kSpeakerR | (1 << 2);
  const struct
  {
    SpeakerArrangement in, out;
    int32 nIn, nOut;
    tresult expected;
    int channels; // the buses' count afterwards
  } rows[] = {{kArrMono, kArrMono, 1, 1, kResultTrue, 1},      {kArrStereo, kArrStereo, 1, 1, kResultTrue, 2},
              {kArrMono, kArrStereo, 1, 1, kResultFalse, 2},   {kArrStereo, kArrMono, 1, 1, kResultFalse, 2},
              {surround, surround, 1, 1, kResultFalse, 2},     {0, 0, 1, 1, kResultFalse, 2},
              {kArrStereo, kArrStereo, 2, 1, kResultFalse, 2}, {kArrStereo, kArrStereo, 1, 0, kResultFalse, 2},
              {kSpeakerL, kSpeakerL, 1, 1, kResultFalse, 2},   {kArrMono, kArrMono, 1, 1, kResultTrue, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << row.in << " -> " << row.out << " (" << row.nIn << "," << row.nOut
                                    << ")");
    SpeakerArrangement in[2] = {row.in, row.in}, out[2] = {row.out, row.out};
    EXPECT_EQ(processor->setBusArrangements(in, row.nIn, out, row.nOut), row.expected);
    ASSERT_EQ(component->getBusInfo(kAudio, kInput, 0, bus), kResultOk);
    EXPECT_EQ(bus.channelCount, row.channels);
    SpeakerArrangement now = 0;
    ASSERT_EQ(processor->getBusArrangement(kOutput, 0, now), kResultOk);
    EXPECT_EQ(now, row.channels == 1 ? kArrMono : kArrStereo);
  }
  EXPECT_EQ(processor->setBusArrangements(nullptr, 1, nullptr, 1), kResultFalse);
  // Fixed while active.
  ProcessSetup setup{kRealtime, kSample32, 512, 48000.0};
  ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
  ASSERT_EQ(component->setActive(1), kResultOk);
  SpeakerArrangement stereo = kArrStereo;
  EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultFalse);
  EXPECT_EQ(component->setActive(0), kResultOk);
  EXPECT_EQ(component->terminate(), kResultOk);
}

TEST(Vst3Module, MisbehaviourIsRefusedWithoutHarm)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Ok()) << module.Error();
  IComponent* component = plugin.Component();
  IAudioProcessor* processor = plugin.Processor();
  AudioBlock block(2, 64);
  auto refusedAndSilent = [&](tresult expected, ProcessData& data) {
    EXPECT_EQ(processor->process(data), expected);
    for (int c = 0; c < 2; ++c)
      for (float v : block.Out(c)) ASSERT_EQ(v, 0.0f);
    block.Out(0).assign(64, 9.0f);
    block.Out(1).assign(64, 9.0f);
  };

  // Out of order: before initialize, before set-up, before setActive.
  EXPECT_EQ(component->setActive(1), kResultFalse);
  EXPECT_EQ(component->terminate(), kResultFalse);
  refusedAndSilent(kNotInitialized, block.Data());
  ASSERT_EQ(component->initialize(nullptr), kResultOk);
  EXPECT_EQ(component->initialize(nullptr), kResultFalse);
  EXPECT_EQ(component->setActive(1), kResultFalse); // no set-up yet
  EXPECT_EQ(component->setActive(0), kResultFalse);
  EXPECT_EQ(processor->setProcessing(1), kResultFalse);
  refusedAndSilent(kNotInitialized, block.Data());

  const ProcessSetup badSetups[] = {{kRealtime, 7, 512, 48000.0},
                                    {kRealtime, kSample32, 0, 48000.0},
                                    {kRealtime, kSample32, 512, 0.0},
                                    {kRealtime, kSample32, 512, -1.0},
                                    {kRealtime, kSample32, 1 << 20, 48000.0}};
  for (ProcessSetup setup : badSetups) EXPECT_EQ(processor->setupProcessing(setup), kInvalidArgument);
  ProcessSetup setup{kRealtime, kSample32, 64, 48000.0};
  ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
  ASSERT_EQ(component->setActive(1), kResultOk);
  EXPECT_EQ(component->setActive(1), kResultFalse);
  EXPECT_EQ(processor->setupProcessing(setup), kResultFalse); // fixed while active
  ASSERT_EQ(processor->setProcessing(1), kResultOk);

  // Buffers that do not match the arrangement or the set-up. Outputs are silenced, unless the frame
  // count or sample size is one the buffers cannot be trusted to hold: then nothing is written.
  const struct
  {
    const char* what;
    void (*spoil)(ProcessData&);
    bool silenced;
  } rows[] = {
      {"more frames than set up", [](ProcessData& d) { d.numSamples = 65; }, false},
      {"negative frames", [](ProcessData& d) { d.numSamples = -1; }, false},
      {"64-bit when set up for 32", [](ProcessData& d) { d.symbolicSampleSize = kSample64; }, false},
      {"no input buses", [](ProcessData& d) { d.numInputs = 0; }, true},
      {"two output buses", [](ProcessData& d) { d.numOutputs = 2; }, false},
      {"null inputs", [](ProcessData& d) { d.inputs = nullptr; }, true},
      {"mono input on a stereo bus", [](ProcessData& d) { d.inputs->numChannels = 1; }, true},
      {"null channel list", [](ProcessData& d) { d.inputs->channelBuffers32 = nullptr; }, true},
      {"null channel", [](ProcessData& d) { d.inputs->channelBuffers32[1] = nullptr; }, true},
      {"null output channel", [](ProcessData& d) { d.outputs->channelBuffers32[0] = nullptr; }, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    AudioBlock fresh(2, 64);
    ProcessData& data = fresh.Data();
    row.spoil(data);
    EXPECT_EQ(processor->process(data), kInvalidArgument);
    for (int c = row.what == std::string("null output channel") ? 1 : 0; c < 2; ++c)
      for (float v : fresh.Out(c)) ASSERT_EQ(v, row.silenced ? 0.0f : 9.0f);
  }
  // A null output list is refused without a write.
  ProcessData& noOutputs = block.Data();
  noOutputs.outputs = nullptr;
  EXPECT_EQ(processor->process(noOutputs), kInvalidArgument);
  // A parameters-only call (no frames, no buffers) is the host's flush, and fine.
  ParamChanges changes;
  changes.Add(0, 0, 0.25);
  ProcessData flush{};
  flush.symbolicSampleSize = kSample32;
  flush.inputParameterChanges = &changes;
  EXPECT_EQ(processor->process(flush), kResultOk);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(0), 0.25);
  EXPECT_EQ(processor->process(block.Data()), kResultOk); // and a good block still plays
  EXPECT_TRUE(plugin.Stop());
  // Initialized again, the instance needs a set-up again before it can be activated.
  ASSERT_EQ(component->initialize(nullptr), kResultOk);
  EXPECT_EQ(component->setActive(1), kResultFalse);
  EXPECT_EQ(component->terminate(), kResultOk);
}

TEST(Vst3Module, AThousandLifecycles)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  for (int i = 0; i < 1000; ++i) {
    Vst3Plugin plugin(module);
    const int channels = 1 + i % 2;
    ASSERT_TRUE(plugin.Start(channels, i % 3 ? 48000.0 : 44100.0, 256, i % 4 ? kSample32 : kSample64)) << i;
    AudioBlock block(channels, 256, i % 4 ? kSample32 : kSample64);
    block.In(0)[3] = 0.5f;
    block.In64(0)[3] = 0.5;
    ASSERT_EQ(plugin.Processor()->process(block.Data()), kResultOk) << i;
    // Every other instance is dropped while active: the last release tidies up.
    if (i % 2) {
      ASSERT_TRUE(plugin.Stop()) << i;
    }
  }
}

TEST(Vst3Module, InterfaceIdsHaveTheirPublishedBytes)
{
  // On Linux an id is its four published words, each most significant byte first. The host above
  // shares these declarations with the module, so only this table would notice a byte-order slip.
  const struct
  {
    const char* name;
    Uid iid;
    const char* bytes;
  } rows[] = {{"FUnknown", kFUnknownIID, "0000000000000000C000000000000046"},
              {"IPluginFactory", kIPluginFactoryIID, "7A4D811C52114A1FAED9D2EE0B43BF9F"},
              {"IComponent", kIComponentIID, "E831FF31F2D54301928EBBEE25697802"},
              {"IAudioProcessor", kIAudioProcessorIID, "42043F99B7DA453CA569E79D9AAEC33D"},
              {"IEditController", kIEditControllerIID, "DCD7BBE37742448DA874AACC979C759E"},
              {"IParameterChanges", kIParameterChangesIID, "A47796630BB64A56B44384A8466FEB9D"}};
  for (const auto& row : rows) EXPECT_EQ(Hex(std::string(row.iid.mBytes, 16)), row.bytes) << row.name;
}

TEST(Vst3Module, GainPlaysAndKeepsItsStateToo)
{
  Vst3Module module(GAIN_VST3_BUNDLE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  MemoryStream saved;
  std::vector<double> values;
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    Vst3Plugin plugin(module);
    ASSERT_TRUE(plugin.Start(channels, 44100.0, 128));
    IEditController* controller = plugin.Controller();
    ASSERT_GE(controller->getParameterCount(), 1);
    AudioBlock block(channels, 128);
    for (int c = 0; c < channels; ++c) block.In(c).assign(128, 0.25f);
    ASSERT_EQ(plugin.Processor()->process(block.Data()), kResultOk);
    for (int c = 0; c < channels; ++c) EXPECT_NE(block.Out(c)[64], 9.0f); // written
    if (channels == 1) {
      ASSERT_EQ(controller->setParamNormalized(0, 0.2), kResultOk);
      for (ParamID id = 0; id < static_cast<ParamID>(controller->getParameterCount()); ++id)
        values.push_back(controller->getParamNormalized(id));
      ASSERT_EQ(plugin.Component()->getState(&saved), kResultOk);
    } else {
      saved.Rewind();
      ASSERT_EQ(plugin.Component()->setState(&saved), kResultOk);
      for (ParamID id = 0; id < static_cast<ParamID>(controller->getParameterCount()); ++id)
        EXPECT_DOUBLE_EQ(controller->getParamNormalized(id), values[id]);
    }
    EXPECT_TRUE(plugin.Stop());
  }
}
