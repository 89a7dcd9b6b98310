// The state a host keeps in its session: round trips between instances and variants, read and written
// in small pieces, and twenty damaged or foreign states, each refused with nothing changed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "clap/IEffectCLAP.h"
#include "tests/clap/ClapTestHost.h"

namespace {

std::vector<double> Values(StrictPlugin& plugin)
{
  const auto* params = plugin.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  std::vector<double> values;
  for (uint32_t i = 0; i < params->count(plugin.Raw()); ++i) {
    double v = NAN;
    params->get_value(plugin.Raw(), i, &v);
    values.push_back(v);
  }
  return values;
}

void Set(StrictPlugin& plugin, const std::vector<double>& values)
{
  InputEvents events;
  for (size_t i = 0; i < values.size(); ++i) events.AddParamValue(0, static_cast<clap_id>(i), values[i]);
  OutputEvents out;
  plugin.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS)->flush(plugin.Raw(), events.List(), out.List());
}

std::vector<unsigned char> Save(StrictPlugin& plugin, size_t piece = 7)
{
  MemoryStreams streams;
  streams.mPiece = piece;
  clap_ostream_t out = streams.Writer();
  EXPECT_TRUE(plugin.Ext<clap_plugin_state_t>(CLAP_EXT_STATE)->save(plugin.Raw(), &out));
  return streams.mBytes;
}

bool Load(StrictPlugin& plugin, const std::vector<unsigned char>& bytes, size_t piece = 5)
{
  MemoryStreams streams;
  streams.mBytes = bytes;
  streams.mPiece = piece;
  clap_istream_t in = streams.Reader();
  return plugin.Ext<clap_plugin_state_t>(CLAP_EXT_STATE)->load(plugin.Raw(), &in);
}

void PutDouble(std::vector<unsigned char>& bytes, size_t at, double v)
{
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<unsigned char>(bits >> (8 * i));
}

} // namespace

TEST(ClapState, RoundTripsBetweenInstancesAndVariants)
{
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  StrictHost host;
  StrictPlugin from(host, module.Factory(), "com.tallowby.clap.Brindle.stereo");
  ASSERT_TRUE(from.Ok());
  const std::vector<double> settings = {0.125, 0.875, 0.0, 1.0};
  Set(from, settings);
  ASSERT_EQ(Values(from), settings);
  for (size_t piece : {1, 7, 4096}) {
    const std::vector<unsigned char> saved = Save(from, piece);
    EXPECT_EQ(saved.size(), 20u + 8u * settings.size());
    for (const char* id : {"com.tallowby.clap.Brindle.stereo", "com.tallowby.clap.Brindle.mono"}) {
      StrictPlugin to(host, module.Factory(), id);
      ASSERT_TRUE(to.Ok());
      // Loaded while active too, as a host does when the user picks another session state.
      if (piece == 7) {
        ASSERT_TRUE(to.Activate());
      }
      ASSERT_TRUE(Load(to, saved, piece));
      EXPECT_EQ(Values(to), settings) << id;
      EXPECT_EQ(Save(to), saved);
    }
  }
  EXPECT_TRUE(host.Violations().empty());
}

TEST(ClapState, TwentyBadStatesAreRefusedAndChangeNothing)
{
  ClapModule brindle(BRINDLE_CLAP_MODULE), gain(GAIN_CLAP_MODULE);
  ASSERT_TRUE(brindle.Loaded() && gain.Loaded());
  StrictHost host;
  StrictPlugin plugin(host, brindle.Factory(), "com.tallowby.clap.Brindle.stereo");
  StrictPlugin other(host, gain.Factory(), "com.tallowby.clap.Gain.stereo");
  ASSERT_TRUE(plugin.Ok() && other.Ok());
  Set(plugin, {0.3, 0.6, 0.0, 1.0});
  const std::vector<unsigned char> good = Save(plugin);
  const std::vector<double> before = Values(plugin);

  auto edited = [&](size_t at, unsigned char byte) {
    std::vector<unsigned char> bytes = good;
    bytes[at] = byte;
    return bytes;
  };
  auto cut = [&](size_t size) { return std::vector<unsigned char>(good.begin(), good.begin() + size); };
  auto withValue = [&](size_t param, double v) {
    std::vector<unsigned char> bytes = good;
    PutDouble(bytes, 20 + 8 * param, v);
    return bytes;
  };
  std::mt19937 random(20);
  auto junk = [&](size_t size) {
    std::vector<unsigned char> bytes(size);
    for (auto& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
  };
  std::vector<unsigned char> longer = good;
  longer.push_back(0);
  std::vector<unsigned char> longerDeclared = longer;
  longerDeclared[16] = static_cast<unsigned char>(longer.size() - 20);

  const struct
  {
    const char* what;
    std::vector<unsigned char> bytes;
  } bad[] = {
      {"nothing", {}},
      {"a header cut short", cut(11)},
      {"the header alone", cut(20)},
      {"the last value cut short", cut(good.size() - 1)},
      {"half the values", cut(20 + 16)},
      {"one byte too many", longer},
      {"one byte too many, declared", longerDeclared},
      {"another magic", edited(0, 'X')},
      {"a newer format", edited(4, 2)},
      {"another plug-in's ID", edited(8, good[8] ^ 1)},
      {"another maker's ID", edited(12, good[12] ^ 1)},
      {"a payload size that lies", edited(16, 8)},
      {"Gain's state", Save(other)},
      {"a NaN value", withValue(0, NAN)},
      {"an infinite value", withValue(3, -INFINITY)},
      {"random bytes, 4", junk(4)},
      {"random bytes, 52", junk(good.size())},
      {"random bytes, 4 KiB", junk(4096)},
      {"random bytes behind our header",
       [&] {
         std::vector<unsigned char> bytes = junk(good.size());
         std::copy(good.begin(), good.begin() + 20, bytes.begin());
         return bytes;
       }()},
      {"more than any state of ours", junk(IEffectCLAP::kMaxStateSize + 1)},
  };
  static_assert(sizeof(bad) / sizeof(bad[0]) == 20, "twenty bad states");
  for (const auto& b : bad) {
    SCOPED_TRACE(b.what);
    EXPECT_FALSE(Load(plugin, b.bytes, 1 + b.bytes.size() % 9));
    EXPECT_EQ(Values(plugin), before);
  }
  // A stream that fails part-way, and calls without streams.
  MemoryStreams failing;
  clap_istream_t broken = {&failing, [](const clap_istream_t*, void*, uint64_t) -> int64_t { return -1; }};
  const auto* state = plugin.Ext<clap_plugin_state_t>(CLAP_EXT_STATE);
  EXPECT_FALSE(state->load(plugin.Raw(), &broken));
  EXPECT_FALSE(state->load(plugin.Raw(), nullptr));
  EXPECT_FALSE(state->save(plugin.Raw(), nullptr));
  clap_ostream_t full = {&failing, [](const clap_ostream_t*, const void*, uint64_t) -> int64_t { return 0; }};
  EXPECT_FALSE(state->save(plugin.Raw(), &full));
  EXPECT_EQ(Values(plugin), before);
  EXPECT_EQ(Save(plugin), good);
}
