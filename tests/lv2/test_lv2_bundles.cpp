// The built LV2 bundles (Brindle.lv2 and Gain.lv2, two products on one framework) as a host meets
// them: loaded together into one process, with RTLD_LOCAL or RTLD_GLOBAL, beside this program's
// own copy of the framework. Each library must carry everything of ours it uses and show nothing
// but its entry point, each must sound like its own product, and each must start a new stream
// after deactivate and activate without the last one's tail.
#include <dlfcn.h>
#include <link.h>

#include <gtest/gtest.h>
#include <lv2/core/lv2.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "effect/BrindleChain.h"
#include "examples/gain/GainLaw.h"

namespace {

constexpr double kRate = 44100.0;
constexpr uint32_t kFrames = 256;

// The symbols a library defines for the dynamic linker, as `nm -D --defined-only` lists them.
std::set<std::string> ExportedSymbols(const std::string& library)
{
  const std::string command = std::string(BRINDLE_NM) + " -D --defined-only '" + library + "'";
  std::set<std::string> names;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {"(nm did not start)"};
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    std::istringstream words(line);
    std::string word, last;
    while (words >> word) last = word;
    if (!last.empty()) names.insert(last);
  }
  if (pclose(pipe) != 0) names.insert("(nm failed)");
  return names;
}

// The DT_NEEDED names of a loaded library, read from its dynamic section.
std::vector<std::string> NeededLibraries(void* handle)
{
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map) return {"(no link map)"};
  const char* strings = nullptr;
  for (const ElfW(Dyn)* d = map->l_ld; d->d_tag != DT_NULL; ++d)
    if (d->d_tag == DT_STRTAB) strings = reinterpret_cast<const char*>(d->d_un.d_ptr);
  std::vector<std::string> needed;
  for (const ElfW(Dyn)* d = map->l_ld; d->d_tag != DT_NULL; ++d)
    if (d->d_tag == DT_NEEDED && strings) needed.emplace_back(strings + d->d_un.d_val);
  return needed;
}

struct Bundle
{
  const char* dir;
  const char* library;
  const char* uri; // the plug-ins' base URI
};
const Bundle kBrindle{BRINDLE_LV2_DIR, BRINDLE_LV2_DIR "/Brindle.so", "urn:tallowby:brindle"};
const Bundle kGain{GAIN_LV2_DIR, GAIN_LV2_DIR "/Gain.so", "urn:tallowby:gain"};

// One plug-in instance with its own port memory: nIn inputs, nOut outputs, the controls, latency.
class Instance
{
public:
  Instance(const LV2_Descriptor* descriptor, const Bundle& bundle, int channels, std::vector<float> controls)
      : mDescriptor(descriptor), mChannels(channels), mControls(std::move(controls)),
        mAudio(static_cast<size_t>(2 * channels), std::vector<float>(kFrames))
  {
    const LV2_Feature* const none[] = {nullptr};
    mHandle = descriptor ? descriptor->instantiate(descriptor, kRate, bundle.dir, none) : nullptr;
    if (!mHandle) return;
    uint32_t port = 0;
    for (auto& buffer : mAudio) descriptor->connect_port(mHandle, port++, buffer.data());
    for (float& control : mControls) descriptor->connect_port(mHandle, port++, &control);
    descriptor->connect_port(mHandle, port, &mLatency);
  }
  ~Instance()
  {
    if (mHandle) mDescriptor->cleanup(mHandle);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool Ok() const { return mHandle != nullptr; }
  void Activate() { mDescriptor->activate(mHandle); }
  void Deactivate() { mDescriptor->deactivate(mHandle); }
  // Runs one block of the given input on every channel (channel c scaled by c + 1); returns the
  // outputs one channel after the other.
  std::vector<float> Run(const std::vector<float>& input)
  {
    for (int c = 0; c < mChannels; ++c)
      for (uint32_t i = 0; i < kFrames; ++i) mAudio[static_cast<size_t>(c)][i] = static_cast<float>(c + 1) * input[i];
    mDescriptor->run(mHandle, kFrames);
    std::vector<float> out;
    for (int c = 0; c < mChannels; ++c) {
      const auto& buffer = mAudio[static_cast<size_t>(mChannels + c)];
      out.insert(out.end(), buffer.begin(), buffer.end());
    }
    return out;
  }

private:
  const LV2_Descriptor* mDescriptor;
  LV2_Handle mHandle = nullptr;
  int mChannels;
  std::vector<float> mControls;
  std::vector<std::vector<float>> mAudio;
  float mLatency = -1.0f;
};

std::vector<float> Music(int block)
{
  std::vector<float> x(kFrames);
  for (uint32_t i = 0; i < kFrames; ++i) {
    const double t = block * static_cast<double>(kFrames) + i;
    x[i] = static_cast<float>(0.3 * std::sin(t * 0.031) + 0.1 * std::sin(t * 0.57));
  }
  return x;
}

// What Brindle does to a block, computed here with the chain compiled into this test (its noise
// floor, some 1e-20, differs from the instance's and is far below a float's precision here).
struct BrindleModel
{
  AuDSP dsp;
  std::vector<double> noise = std::vector<double>(kBrindleNoiseTableSize);
  BrindleSettings settings;

  BrindleModel(float level, float attack)
  {
    BrindleDesignFilters(dsp, kRate);
    BrindleFillNoiseTable(noise.data());
    settings.outputGain = 4.0 * level;
    settings.attack = attack;
    settings.drive = 5.0 * attack;
  }
  std::vector<float> Run(const std::vector<float>& input, int channels)
  {
    std::vector<double> left(input.begin(), input.end()), right(kFrames, 0.0);
    if (channels == 2)
      for (uint32_t i = 0; i < kFrames; ++i) right[i] = 2.0 * static_cast<double>(input[i]);
    std::vector<float> out0(kFrames), out1(kFrames);
    BrindleProcessPlain(dsp, settings, noise.data(),
                        BrindleFloatOutBlock{left.data(), right.data(), out0.data(), out1.data(), kFrames});
    std::vector<float> out(out0);
    if (channels == 2) out.insert(out.end(), out1.begin(), out1.end());
    return out;
  }
};

// A bundle's library as a host opens it. Kept loaded after the last close, as hosts keep them: what
// the library allocated for the process stays reachable, so the leak checker sees no leak.
class Library
{
public:
  Library(const Bundle& bundle, int mode) : mHandle(dlopen(bundle.library, RTLD_NOW | RTLD_NODELETE | mode)) {}
  ~Library()
  {
    if (mHandle) dlclose(mHandle);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  void* Handle() const { return mHandle; }
  const LV2_Descriptor* Descriptor(uint32_t index) const
  {
    auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(mHandle, "lv2_descriptor"));
    return entry ? entry(index) : nullptr;
  }

private:
  void* mHandle;
};

} // namespace

TEST(LV2Bundles, EachLibraryShowsOnlyItsEntryPoint)
{
  // Inline functions, template instances, typeinfo and vtables would show here as weak or unique
  // symbols: a host process would then bind one bundle's to another's.
  const struct
  {
    std::string library;
    std::set<std::string> exported;
  } rows[] = {
      {kBrindle.library, {"lv2_descriptor"}},
      {kGain.library, {"lv2_descriptor"}},
      {std::string(BRINDLE_LV2_DIR) + "/Brindle_ui.so", {"lv2ui_descriptor"}},
  };
  for (const auto& row : rows) EXPECT_EQ(ExportedSymbols(row.library), row.exported) << row.library;
}

TEST(LV2Bundles, TwoProductsInOneProcessEachRunTheirOwnCode)
{
  // Opened privately first, then again as RTLD_GLOBAL, which makes the same libraries global.
  for (const int mode : {RTLD_LOCAL, RTLD_GLOBAL}) {
    SCOPED_TRACE(mode == RTLD_LOCAL ? "RTLD_LOCAL" : "RTLD_GLOBAL");
    Library brindle(kBrindle, mode), gain(kGain, mode);
    ASSERT_NE(brindle.Handle(), nullptr) << dlerror();
    ASSERT_NE(gain.Handle(), nullptr) << dlerror();

    // Nothing of ours is loaded beside a library, nor reachable through it: the platform
    // stand-ins (CFRelease is one) live inside each, and this program's copy is not theirs.
    for (const Library* library : {&brindle, &gain}) {
      for (const std::string& needed : NeededLibraries(library->Handle()))
        EXPECT_EQ(needed.find("brindle"), std::string::npos) << needed;
      EXPECT_EQ(dlsym(library->Handle(), "CFRelease"), nullptr);
      EXPECT_EQ(dlsym(library->Handle(), "rand_state"), nullptr);
    }
    ASSERT_NE(brindle.Descriptor(1), nullptr);
    ASSERT_NE(gain.Descriptor(1), nullptr);
    EXPECT_EQ(std::string(brindle.Descriptor(1)->URI), std::string(kBrindle.uri) + "#stereo");
    EXPECT_EQ(std::string(gain.Descriptor(1)->URI), std::string(kGain.uri) + "#stereo");
    EXPECT_EQ(gain.Descriptor(2), nullptr);

    // Both products at once, blocks interleaved, each against its own definition.
    const float level = 0.8f, attack = 0.3f, gainDb = -6.0f, pan = 30.0f;
    Instance fuzz(brindle.Descriptor(1), kBrindle, 2, {level, attack, 1.0f, 1.0f});
    Instance amp(gain.Descriptor(1), kGain, 2, {gainDb, pan});
    ASSERT_TRUE(fuzz.Ok());
    ASSERT_TRUE(amp.Ok());
    fuzz.Activate();
    amp.Activate();
    BrindleModel model(level, attack);
    const GainChannelGains gains = GainLaw::Gains(gainDb, pan);
    for (int block = 0; block < 4; ++block) {
      const std::vector<float> in = Music(block);
      const std::vector<float> fuzzed = fuzz.Run(in);
      const std::vector<float> amped = amp.Run(in);
      const std::vector<float> expect = model.Run(in, 2);
      for (uint32_t i = 0; i < 2 * kFrames; ++i)
        ASSERT_NEAR(fuzzed[i], expect[i], 1e-6) << "Brindle, block " << block << " sample " << i;
      // Gain ramps from its defaults to the controls across the first block.
      for (uint32_t i = 0; i < kFrames && block > 0; ++i) {
        ASSERT_NEAR(amped[i], in[i] * gains.left, 1e-6) << "Gain left, block " << block << " frame " << i;
        ASSERT_NEAR(amped[kFrames + i], 2.0 * in[i] * gains.right, 1e-6)
            << "Gain right, block " << block << " frame " << i;
      }
    }
    fuzz.Deactivate();
    amp.Deactivate();
  }
}

TEST(LV2Bundles, ActivateAfterDeactivateStartsWithoutTheLastStreamsTail)
{
  // After a loud passage the host deactivates and activates the instance: the silence that follows
  // must come out exactly as the instance's first silence did.
  const struct
  {
    const char* what;
    const Bundle* bundle;
    uint32_t variant;
    std::vector<float> controls;
  } rows[] = {
      {"Brindle mono", &kBrindle, 0, {0.5f, 0.5f, 1.0f, 1.0f}},
      {"Brindle stereo, no cabinet", &kBrindle, 1, {1.0f, 1.0f, 1.0f, 0.0f}},
      {"Gain stereo", &kGain, 1, {6.0f, -40.0f}},
  };
  const std::vector<float> silence(kFrames, 0.0f);
  std::vector<float> loud(kFrames);
  for (uint32_t i = 0; i < kFrames; ++i) loud[i] = (i / 40) % 2 ? 0.45f : -0.45f;
  constexpr int kBlocks = 8; // more than the 44 ms tail
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Library library(*row.bundle, RTLD_LOCAL);
    ASSERT_NE(library.Handle(), nullptr) << dlerror();
    const int channels = static_cast<int>(row.variant) + 1;
    Instance instance(library.Descriptor(row.variant), *row.bundle, channels, row.controls);
    ASSERT_TRUE(instance.Ok());
    instance.Activate();
    std::vector<std::vector<float>> first;
    for (int b = 0; b < kBlocks; ++b) first.push_back(instance.Run(silence));
    for (int b = 0; b < kBlocks; ++b) instance.Run(loud);
    instance.Deactivate();
    instance.Activate();
    for (int b = 0; b < kBlocks; ++b) {
      const std::vector<float> again = instance.Run(silence);
      for (size_t i = 0; i < again.size(); ++i)
        ASSERT_EQ(std::memcmp(&again[i], &first[static_cast<size_t>(b)][i], sizeof(float)), 0)
            << "block " << b << " sample " << i << ": " << again[i] << " vs " << first[static_cast<size_t>(b)][i];
    }
    instance.Deactivate();
  }
}
