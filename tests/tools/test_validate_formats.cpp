// brindle validate through the CLAP, VST3 and LV2 drivers: every shared check passes on the real modules
// and fails when a wrapper around the driver plants its fault (a bad default, missing or drifting
// texts, ignored values, NaN, accepted oversize blocks, refused resets, lossy or gullible state,
// denormals, refused reconfiguration, hostile values kept, changes with a render dropped, an
// allocation in the render, a leak that stops instances being made); the command picks the driver
// by what the path is and answers anything else in one line.
#include "tools/validate/ValidateChecks.h"

#include "test_host_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace hosttest;

namespace {

std::string Beside(const std::string& name)
{
  const std::string exe = Exe();
  return exe.substr(0, exe.rfind('/')) + "/../" + name;
}

enum Fault {
  kNoFault,
  kDefaultOutOfRange,
  kNoText,
  kIgnoreSet,
  kTextDrifts,
  kNaNAt137Frames,
  kAcceptOversize,
  kRefuseReset,
  kStateLosesAByte,
  kAcceptAnyState,
  kDenormalOnSilence,
  kRefuseSecondPrepare,
  kKeepHostileValue,
  kDropRenderChanges,
  kAllocateInRender,
  kCreateFailsLate,
};

class FaultyInstance : public PluginInstance
{
public:
  FaultyInstance(std::unique_ptr<PluginInstance> real, Fault fault) : mReal(std::move(real)), mFault(fault) {}
  std::vector<DriverParameter> Parameters() override
  {
    std::vector<DriverParameter> list = mReal->Parameters();
    if (mFault == kDefaultOutOfRange && !list.empty()) list[0].defaultValue = list[0].maximum + 1;
    return list;
  }
  bool GetValue(std::uint32_t id, double& value) override
  {
    if (mFault == kKeepHostileValue && mHostile.count(id)) {
      value = mHostile[id];
      return true;
    }
    return mReal->GetValue(id, value);
  }
  bool SetValue(std::uint32_t id, double value) override
  {
    if (mFault == kIgnoreSet) return true;
    if (mFault == kKeepHostileValue && !std::isfinite(value)) mHostile[id] = value;
    return mReal->SetValue(id, value);
  }
  bool ValueToText(std::uint32_t id, double value, std::string& text) override
  {
    return mFault != kNoText && mReal->ValueToText(id, value, text);
  }
  bool TextToValue(std::uint32_t id, const std::string& text, double& value) override
  {
    if (!mReal->TextToValue(id, text, value)) return false;
    if (mFault == kTextDrifts) value = value * 0.9 + 0.05;
    return true;
  }
  bool Prepare(double rate, int maxFrames, std::string& error) override
  {
    if (mFault == kRefuseSecondPrepare && mPrepared++) {
      error = "planted refusal";
      return false;
    }
    mMax = maxFrames;
    return mReal->Prepare(rate, maxFrames, error);
  }
  void Unprepare() override { mReal->Unprepare(); }
  bool Render(const float* const* in, float* const* out, int frames, const ParameterChange* changes, int count) override
  {
    if (mFault == kDropRenderChanges) count = 0;
    if (mFault == kAcceptOversize && frames > mMax) return mReal->Render(in, out, mMax, changes, count);
    const bool ok = mReal->Render(in, out, frames, changes, count);
    if (mFault == kNaNAt137Frames && frames == 137) out[1][5] = NAN;
    if (mFault == kDenormalOnSilence && in[0][0] == 0.0f && in[0][frames - 1] == 0.0f) out[0][0] = 1e-40f;
    if (mFault == kAllocateInRender) {
      void* volatile block = std::malloc(16);
      std::free(block);
    }
    return ok;
  }
  bool Reset() override { return mFault != kRefuseReset && mReal->Reset(); }
  bool SaveState(std::vector<unsigned char>& bytes) override
  {
    if (!mReal->SaveState(bytes)) return false;
    if (mFault == kStateLosesAByte && !bytes.empty()) bytes.pop_back();
    return true;
  }
  bool LoadState(const std::vector<unsigned char>& bytes) override
  {
    if (mFault == kAcceptAnyState) return true;
    return mReal->LoadState(bytes);
  }

private:
  std::unique_ptr<PluginInstance> mReal;
  Fault mFault;
  int mMax = 0, mPrepared = 0;
  std::map<std::uint32_t, double> mHostile;
};

class FaultyDriver : public PluginDriver
{
public:
  FaultyDriver(PluginDriver& real, Fault fault) : mReal(real), mFault(fault) {}
  const char* Format() const override { return mReal.Format(); }
  bool HasValueText() const override { return mReal.HasValueText(); }
  std::string PluginName() const override { return mReal.PluginName(); }
  std::string PluginId() const override { return mReal.PluginId(); }
  std::unique_ptr<PluginInstance> Create(std::string& error) override
  {
    if (mFault == kCreateFailsLate && ++mCreated > 300) {
      error = "planted: out of instances";
      return nullptr;
    }
    std::unique_ptr<PluginInstance> real = mReal.Create(error);
    if (!real) return nullptr;
    return std::make_unique<FaultyInstance>(std::move(real), mFault);
  }

private:
  PluginDriver& mReal;
  Fault mFault;
  int mCreated = 0;
};

std::unique_ptr<PluginDriver> Open(const std::string& name)
{
  bool recognised = false;
  std::string error;
  std::unique_ptr<PluginDriver> driver = OpenPluginDriver(Beside(name), "", recognised, error);
  EXPECT_TRUE(recognised) << name;
  EXPECT_TRUE(driver) << error;
  return driver;
}

const ValidateCheck* Find(const std::vector<ValidateCheck>& table, DriverCheckFunction run, int argument = -1)
{
  for (const ValidateCheck& check : table)
    if (check.driverRun == run && (argument < 0 || check.argument == argument)) return &check;
  return nullptr;
}

} // namespace

TEST(ValidateFormats, EachSharedCheckPassesOnTheModulesAndCatchesItsFault)
{
  const std::vector<ValidateCheck> table = ValidateCheckTable();
  const struct
  {
    Fault fault;
    DriverCheckFunction check;
    int argument;
  } cases[] = {
      {kDefaultOutOfRange, DriverParameterInfo, -1},
      {kNoText, DriverParameterValueStrings, -1},
      {kIgnoreSet, DriverParameterSetAndReadBack, -1},
      {kTextDrifts, DriverParameterTextRoundTrip, -1},
      {kNaNAt137Frames, DriverRenderAtRate, 48000},
      {kAcceptOversize, DriverOversizeRenderRefused, -1},
      {kRefuseReset, DriverReset, -1},
      {kStateLosesAByte, DriverStateRoundTrip, -1},
      {kAcceptAnyState, DriverForeignStateRefused, -1},
      {kDenormalOnSilence, DriverNoiseOutputClean, -1},
      {kRefuseSecondPrepare, DriverReconfigureLiveInstance, -1},
      {kKeepHostileValue, DriverHostileParameterValues, -1},
      {kDropRenderChanges, DriverRenderWhileReadingParameters, -1},
      {kAllocateInRender, DriverRealtimeSafety, -1},
      {kCreateFailsLate, DriverLongSession, -1},
  };
  for (const char* module : {"Brindle.clap", "Gain.vst3", "Brindle.lv2"}) {
    std::unique_ptr<PluginDriver> real = Open(module);
    ASSERT_TRUE(real);
    // A format without value text does not run the text lines.
    const auto runs = [&](const ValidateCheck& check) { return !check.valueText || real->HasValueText(); };
    DriverContext context{real.get(), 11, 5};
    // Every line the drivers run passes on the real module (the long session's 1000 cycles run in
    // the command test below).
    for (const ValidateCheck& check : table)
      if (check.driverRun && check.level < 10 && runs(check)) {
        const CheckOutcome outcome = check.driverRun(context, check.argument);
        EXPECT_TRUE(outcome.pass) << module << ": " << check.name << ": " << outcome.detail;
      }
    for (const auto& c : cases) {
      const ValidateCheck* check = Find(table, c.check, c.argument);
      ASSERT_TRUE(check) << "fault " << c.fault;
      if (!runs(*check)) continue;
      FaultyDriver faulty(*real, c.fault);
      DriverContext faultyContext{&faulty, 11, 5};
      EXPECT_FALSE(check->driverRun(faultyContext, check->argument).pass) << module << ": " << check->name;
    }
    // The wrapper alone changes nothing.
    FaultyDriver clean(*real, kNoFault);
    DriverContext cleanContext{&clean, 11, 5};
    for (const auto& c : cases) {
      const ValidateCheck* check = Find(table, c.check, c.argument);
      if (!runs(*check)) continue;
      const CheckOutcome outcome = check->driverRun(cleanContext, check->argument);
      EXPECT_TRUE(outcome.pass) << module << ": " << check->name << ": " << outcome.detail;
    }
  }
}

// LV2 values live host-side until the driver copies them into the control ports: each parameter
// of Brindle, moved from its minimum to its maximum, must change what the plug-in renders.
TEST(ValidateFormats, Lv2ValuesReachTheControlPorts)
{
  std::unique_ptr<PluginDriver> driver = Open("Brindle.lv2");
  ASSERT_TRUE(driver);
  EXPECT_FALSE(driver->HasValueText());
  std::string error;
  std::unique_ptr<PluginInstance> probe = driver->Create(error);
  ASSERT_TRUE(probe) << error;
  const auto render = [&](std::uint32_t id, double value) {
    std::unique_ptr<PluginInstance> instance = driver->Create(error);
    EXPECT_TRUE(instance && instance->SetValue(id, value) && instance->Prepare(44100, 512, error)) << error;
    std::vector<float> in0(512), in1(512), out0(512), out1(512);
    for (int i = 0; i < 512; ++i) in0[i] = in1[i] = 0.4f * std::sin(0.05f * static_cast<float>(i));
    const float* in[2] = {in0.data(), in1.data()};
    float* out[2] = {out0.data(), out1.data()};
    for (int block = 0; block < 4 && instance; ++block) EXPECT_TRUE(instance->Render(in, out, 512, nullptr, 0));
    return out0;
  };
  for (const DriverParameter& p : probe->Parameters())
    EXPECT_NE(render(p.id, p.minimum), render(p.id, p.maximum)) << p.name;
}

TEST(ValidateFormats, CommandRunsTheSharedLinesPerFormat)
{
  const std::vector<ValidateCheck> table = ValidateCheckTable(10);
  size_t allShared = 0, textLines = 0;
  for (const ValidateCheck& check : table) {
    allShared += check.driverRun != nullptr;
    textLines += check.driverRun && check.valueText;
  }
  for (const auto& [module, format] : std::vector<std::pair<std::string, std::string>>{{"Brindle.clap", "CLAP"},
                                                                                       {"Gain.clap", "CLAP"},
                                                                                       {"Brindle.vst3", "VST3"},
                                                                                       {"Gain.vst3", "VST3"},
                                                                                       {"Brindle.lv2", "LV2"},
                                                                                       {"Gain.lv2", "LV2"}}) {
    // LV2 has no value text: its text lines count as not applicable.
    const size_t shared = format == "LV2" ? allShared - textLines : allShared;
    const RunResult r = RunBrindle("validate --level 10 --seed 3 --component " + Beside(module));
    EXPECT_EQ(r.status, 0) << module << "\n" << r.out << r.err;
    EXPECT_EQ(r.out.rfind("validating " + format + " plug-in ", 0), 0u) << r.out;
    EXPECT_EQ(LineCount(r.out), static_cast<int>(shared) + 2) << r.out;
    const std::string summary = std::to_string(shared) + " checks: " + std::to_string(shared) + " passed, 0 failed, " +
                                std::to_string(table.size() - shared) + " not applicable to " + format + "\n";
    EXPECT_NE(r.out.find(summary), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("FAIL"), std::string::npos) << r.out;
  }
  // By default the stereo plug-in of a module listing several; --plugin picks another (the mono one
  // renders the first of the channels handed over).
  const RunResult stereo = RunBrindle("validate --level 1 --seed 3 --component " + Beside("Brindle.clap"));
  EXPECT_NE(stereo.out.find("(com.tallowby.clap.Brindle.stereo)"), std::string::npos) << stereo.out;
  const RunResult mono = RunBrindle("validate --level 4 --seed 3 --plugin com.tallowby.clap.Brindle.mono --component " +
                                    Beside("Brindle.clap"));
  EXPECT_EQ(mono.status, 0) << mono.out << mono.err;
  EXPECT_NE(mono.out.find("(com.tallowby.clap.Brindle.mono)"), std::string::npos) << mono.out;
  const RunResult lv2Stereo = RunBrindle("validate --level 1 --seed 3 --component " + Beside("Brindle.lv2"));
  EXPECT_NE(lv2Stereo.out.find("(urn:tallowby:brindle#stereo)"), std::string::npos) << lv2Stereo.out;
  const RunResult lv2Mono =
      RunBrindle("validate --level 4 --seed 3 --plugin urn:tallowby:brindle#mono --component " + Beside("Brindle.lv2"));
  EXPECT_EQ(lv2Mono.status, 0) << lv2Mono.out << lv2Mono.err;
  EXPECT_NE(lv2Mono.out.find("(urn:tallowby:brindle#mono)"), std::string::npos) << lv2Mono.out;
}

TEST(ValidateFormats, WhatIsNoPluginIsAnsweredInOneLine)
{
  TempDir dir;
  const std::string corrupt = dir.Path() + "/Corrupt.clap", text = dir.Path() + "/notes.txt",
                    noEntry = dir.Path() + "/NoEntry.clap", emptyVst3 = dir.Path() + "/Empty.vst3",
                    lv2 = dir.Path() + "/Some.lv2", noBinary = dir.Path() + "/NoBinary.lv2";
  std::ofstream(corrupt) << "\x7f"
                            "ELF but nothing else";
  std::ofstream(text) << "just words\n";
  mkdir(emptyVst3.c_str(), 0755);
  mkdir(lv2.c_str(), 0755);
  // A description whose library is not there.
  mkdir(noBinary.c_str(), 0755);
  for (const char* file : {"manifest.ttl", "Brindle.ttl"}) {
    std::ifstream ttl(Beside("Brindle.lv2/") + file, std::ios::binary);
    std::ofstream(noBinary + "/" + file, std::ios::binary) << ttl.rdbuf();
  }
  // A real shared object without the CLAP entry: the platform library the program links.
  const std::string noEntrySource = Beside("Brindle.vst3/Contents/x86_64-linux/Brindle.so");
  std::ifstream from(noEntrySource, std::ios::binary);
  std::ofstream(noEntry, std::ios::binary) << from.rdbuf();
  const struct
  {
    std::string args, mention;
    int status;
  } cases[] = {
      {"--component " + corrupt, "Corrupt.clap", 1},
      {"--component " + noEntry, "clap_entry", 1},
      {"--component " + text, "not a plug-in", 1},
      {"--component " + emptyVst3, "Empty.vst3", 1},
      {"--component " + lv2, "manifest.ttl", 1},
      {"--component " + noBinary, "Brindle.so", 1},
      {"--plugin urn:x --component " + Beside("Brindle.lv2"), "urn:tallowby:brindle#stereo", 1},
      {"--component " + dir.Path() + "/Missing.clap", "Missing.clap", 1},
      {"--plugin no.such.id --component " + Beside("Brindle.clap"), "com.tallowby.clap.Brindle.stereo", 1},
      {"--plugin Nothing --component " + Beside("Gain.vst3"), "Gain", 1},
      {"--plugin some.id --component " + BundlePath(), "--plugin", 2},
  };
  for (const auto& c : cases) {
    const RunResult r = RunBrindle("validate " + c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out << r.err;
    if (c.status == 1) {
      EXPECT_TRUE(r.out.empty()) << c.args << "\n" << r.out;
      EXPECT_EQ(LineCount(r.err), 1) << c.args << "\n" << r.err;
    }
    EXPECT_NE(r.err.find(c.mention), std::string::npos) << c.args << "\n" << r.err;
  }
}
