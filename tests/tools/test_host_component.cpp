// The host side: finding and loading the bundle, one instance through its whole life, the render
// callback feeding input, parameters and texts through the unit; brindle render through the
// component against the direct engine bit for bit; brindle info; help and errors of every command.
#include "tools/host/ComponentHost.h"

#include "test_host_support.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

Component LoadOrFail()
{
  Component component = nullptr;
  std::string error;
  EXPECT_TRUE(LoadBrindleComponent(BundlePath(), component, error)) << error;
  return component;
}

} // namespace

TEST(ComponentLocation, ExplicitPathThenEnvironmentThenNextToTheProgram)
{
  unsetenv("BRINDLE_COMPONENT");
  EXPECT_EQ(ResolveComponentPath("/some/where.component"), "/some/where.component");
  // This test program lives in tests/tools of the build tree: neither candidate exists there.
  const std::string fallback = ResolveComponentPath("");
  EXPECT_NE(fallback.find("/../Brindle.component"), std::string::npos) << fallback;
  setenv("BRINDLE_COMPONENT", "/from/env.component", 1);
  EXPECT_EQ(ResolveComponentPath(""), "/from/env.component");
  EXPECT_EQ(ResolveComponentPath("/explicit.component"), "/explicit.component");
  unsetenv("BRINDLE_COMPONENT");
}

TEST(ComponentLocation, LoadsOnceAndRefusesFoldersThatAreNoBundle)
{
  Component first = LoadOrFail(), again = LoadOrFail();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, again); // one registration per bundle
  ComponentDescription d{};
  ASSERT_EQ(GetComponentInfo(first, &d, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(FourCharText(d.componentType) + FourCharText(d.componentSubType) + FourCharText(d.componentManufacturer),
            "aufxbdl3Qxlo");

  TempDir dir;
  Component none = nullptr;
  std::string error;
  EXPECT_FALSE(LoadBrindleComponent(dir / "absent.component", none, error));
  EXPECT_NE(error.find("absent.component"), std::string::npos);
  mkdir((dir / "Empty.component").c_str(), 0755);
  EXPECT_FALSE(LoadBrindleComponent(dir / "Empty.component", none, error));
  EXPECT_EQ(none, nullptr);
}

TEST(ComponentHost, FullLifecycleLeavesNoInstanceOpen)
{
  Component component = LoadOrFail();
  ASSERT_NE(component, nullptr);
  const long before = CountComponentInstances(component);
  {
    ComponentHost host;
    ASSERT_EQ(host.Open(component), noErr);
    EXPECT_EQ(CountComponentInstances(component), before + 1);
    HostFormat mono{48000.0, 1, 1, 256};
    ASSERT_EQ(host.Configure(mono), noErr);
    ASSERT_EQ(host.Initialize(), noErr);
    Float64 rate = 0;
    EXPECT_EQ(host.Get(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate), noErr);
    EXPECT_EQ(rate, 48000.0);
    UInt32 maxFrames = 0;
    EXPECT_EQ(host.Get(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, maxFrames), noErr);
    EXPECT_EQ(maxFrames, 256u);
    AudioStreamBasicDescription in{};
    EXPECT_EQ(host.Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, in), noErr);
    EXPECT_EQ(in.mChannelsPerFrame, 1u);
    EXPECT_EQ(in.mSampleRate, 48000.0);

    // Bypassed, the unit hands back exactly what the callback fed it, once per render.
    const UInt32 on = 1;
    ASSERT_EQ(host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, on), noErr);
    std::vector<float> input(256), output(256, -9.0f);
    for (int i = 0; i < 256; ++i) input[i] = 0.001f * static_cast<float>(i) - 0.1f;
    const float* in0[] = {input.data()};
    float* out0[] = {output.data()};
    for (int frames : {256, 1, 100}) {
      const long pulls = host.InputPulls();
      ASSERT_EQ(host.Render(in0, out0, frames), noErr);
      EXPECT_EQ(host.InputPulls(), pulls + 1);
      EXPECT_EQ(0, std::memcmp(input.data(), output.data(), frames * sizeof(float))) << frames;
    }
    EXPECT_NE(host.Render(in0, out0, 257), noErr);

    // Not bypassed, the ramp comes out changed but finite.
    const UInt32 off = 0;
    ASSERT_EQ(host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, off), noErr);
    ASSERT_EQ(host.Render(in0, out0, 256), noErr);
    EXPECT_NE(0, std::memcmp(input.data(), output.data(), 256 * sizeof(float)));
    for (float v : output) EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(host.Uninitialize(), noErr);
  }
  EXPECT_EQ(CountComponentInstances(component), before);
}

TEST(ComponentHost, RefusesWhatTheUnitRefuses)
{
  Component component = LoadOrFail();
  ComponentHost host;
  ASSERT_EQ(host.Open(component), noErr);
  EXPECT_EQ(host.Configure(HostFormat{44100.0, 3, 3, 512}), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(host.Configure(HostFormat{44100.0, 1, 9, 512}), paramErr); // beyond the host's buffers
  // 1 in, 2 out: each bus alone is plausible, together they are not legal.
  ASSERT_EQ(host.Configure(HostFormat{44100.0, 1, 2, 512}), noErr);
  EXPECT_EQ(host.Initialize(), badComponentSelector);
  EXPECT_NE(host.SetParameter(99, 0.5f), noErr);
}

TEST(ComponentHost, ParametersTextsPresetsAndChannelsThroughTheUnit)
{
  Component component = LoadOrFail();
  ComponentHost host;
  ASSERT_EQ(host.Open(component), noErr);
  std::vector<AudioUnitParameterID> ids;
  ASSERT_EQ(host.ParameterList(ids), noErr);
  EXPECT_EQ(ids, (std::vector<AudioUnitParameterID>{0, 1, 2, 3}));
  AudioUnitParameterValue value = -1;
  ASSERT_EQ(host.SetParameter(0, 0.25f), noErr);
  ASSERT_EQ(host.GetParameter(0, value), noErr);
  EXPECT_EQ(value, 0.25f);
  std::string text;
  ASSERT_EQ(host.ValueText(2, 0.0f, text), noErr);
  EXPECT_EQ(text, "Off");
  ASSERT_EQ(host.ValueText(3, 1.0f, text), noErr);
  EXPECT_EQ(text, "On");
  value = -1;
  ASSERT_EQ(host.ValueFromText(2, "On", value), noErr);
  EXPECT_EQ(value, 1.0f);
  value = -1;
  ASSERT_EQ(host.ValueFromText(0, "0.125", value), noErr);
  EXPECT_EQ(value, 0.125f);
  std::vector<std::string> strings;
  ASSERT_EQ(host.ValueStrings(3, strings), noErr);
  EXPECT_EQ(strings, (std::vector<std::string>{"Off", "On"}));
  EXPECT_NE(host.ValueStrings(0, strings), noErr);
  std::vector<std::pair<int, std::string>> presets;
  ASSERT_EQ(host.FactoryPresets(presets), noErr);
  ASSERT_EQ(presets.size(), 1u);
  EXPECT_EQ(presets[0], (std::pair<int, std::string>{0, "Init"}));
  std::vector<AUChannelInfo> configs;
  ASSERT_EQ(host.ChannelConfigurations(configs), noErr);
  ASSERT_EQ(configs.size(), 2u);
  EXPECT_EQ(configs[0].inChannels * 10 + configs[0].outChannels, 11);
  EXPECT_EQ(configs[1].inChannels * 10 + configs[1].outChannels, 22);
  CFPropertyListRef state = nullptr;
  ASSERT_EQ(host.CopyClassInfo(state), noErr);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(host.RestoreClassInfo(state), noErr);
  CFRelease(state);
}

TEST(ComponentRender, BitIdenticalToTheDirectEngine)
{
  TempDir dir;
  struct Case
  {
    int channels, rate, frames;
    const char* options;
  };
  const Case cases[] = {
      {1, 44100, 3000, ""},
      {2, 44100, 5000, "--block 137 --level 0.25 --attack=0.75"},
      {2, 48000, 9000, "--block 4096 --cabinet off"},
      {1, 96000, 2000, "--block 1 --effect off"},
      {2, 192000, 4000, "--block 64 --level 1 --attack 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    WriteSignal(dir / "in.wav", c.channels, c.rate, c.frames);
    const std::string base = "render " + (dir / "in.wav") + " ";
    RunResult r = RunBrindle(base + (dir / "component.wav") + " --quiet --engine component " + c.options);
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunBrindle(base + (dir / "direct.wav") + " --quiet --engine direct " + c.options);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<float> component = ReadSamples(dir / "component.wav");
    ASSERT_EQ(component.size(), static_cast<size_t>(c.frames * c.channels));
    EXPECT_TRUE(SameBits(component, ReadSamples(dir / "direct.wav")));
  }
  // The bundle can be named explicitly or through the environment.
  RunResult r =
      RunBrindle("render " + (dir / "in.wav") + " " + (dir / "named.wav") + " --quiet --component " + BundlePath());
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / "env.wav") + " --quiet --engine component",
                 "BRINDLE_COMPONENT=" + BundlePath());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(SameBits(ReadSamples(dir / "named.wav"), ReadSamples(dir / "env.wav")));
  r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / "bad.wav") + " --quiet --engine component",
                 "BRINDLE_COMPONENT=" + (dir / "nothing.component"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(LineCount(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("nothing.component"), std::string::npos);
  EXPECT_FALSE(Exists(dir / "bad.wav"));
  r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / "bad.wav") + " --engine direct --preset x.aupreset");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("need the component engine"), std::string::npos);
  r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / "bad.wav") + " --engine turbo");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(LineCount(r.err), 1) << r.err;
}

TEST(InfoCommand, DescribesIdentityParametersChannelsAndPresets)
{
  const RunResult r = RunBrindle("info");
  ASSERT_EQ(r.status, 0) << r.err;
  const char* expected[] = {
      "tallowby: Brindle\n",
      "component: aufx/bdl3/Qxlo",
      "version: 2.3.0 (0x00020300)",
      "parameters: 4\n",
      "0 \"Level\": generic, range 0 to 1, value 0.5 \"0.500\"",
      "2 \"Effect\": indexed, range 0 to 1, value 1 \"On\"",
      "values: \"Off\", \"On\"",
      "3 \"Cabinet\"",
      "channel configurations: 1-1 2-2\n",
      "latency: 0 s\n",
      "tail time: 0 s\n",
      "factory presets: 1\n  0 \"Init\"\n",
  };
  for (const char* text : expected) EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  const RunResult bad = RunBrindle("info --component /nonexistent/B.component");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(LineCount(bad.err), 1) << bad.err;
  EXPECT_EQ(RunBrindle("info extra").status, 2);
}

TEST(HostCommands, EveryCommandHasHelp)
{
  for (const char* command : {"render", "demo", "info", "validate", "save-preset", "plot"}) {
    const RunResult r = RunBrindle(std::string(command) + " --help");
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_EQ(r.out.rfind(std::string("usage: brindle ") + command, 0), 0u) << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;
  }
  const RunResult top = RunBrindle("--help");
  for (const char* command : {"info", "validate", "save-preset", "plot"})
    EXPECT_NE(top.out.find(std::string("  ") + command), std::string::npos) << command;
}
