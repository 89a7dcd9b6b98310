// The state extension: a saved state reloads exactly; anything else is refused and changes nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include <lv2/state/state.h>

#include "LV2TestHost.h"
#include "tests/lv2/LV2TestPlug.h"

namespace {
using TestPlug = LV2TestPlug<IEffectLV2>;

// One stored property, as a host keeps it between save and restore.
struct StoredState
{
  LV2_URID key = 0;
  LV2_URID type = 0;
  std::vector<unsigned char> value;
  bool present = false;

  static LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                                uint32_t /*flags*/)
  {
    auto* self = static_cast<StoredState*>(handle);
    self->key = key;
    self->type = type;
    self->value.assign(static_cast<const unsigned char*>(value), static_cast<const unsigned char*>(value) + size);
    self->present = true;
    return LV2_STATE_SUCCESS;
  }

  static const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
  {
    auto* self = static_cast<StoredState*>(handle);
    if (!self->present || key != self->key) return nullptr;
    *size = self->value.size();
    *type = self->type;
    *flags = LV2_STATE_IS_POD;
    return self->value.data();
  }
};

const LV2_State_Interface* StateOf(const TestInstance& instance)
{
  return static_cast<const LV2_State_Interface*>(instance.Descriptor()->extension_data(LV2_STATE__interface));
}

std::vector<double> Values(const IEffectLV2& plug)
{
  std::vector<double> values;
  for (int i = 0; i < plug.NParams(); ++i) values.push_back(plug.GetParam(i)->Value());
  return values;
}

void PutDoubleLE(std::vector<unsigned char>& blob, size_t pos, double v)
{
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) blob[pos + static_cast<size_t>(i)] = static_cast<unsigned char>(bits >> (8 * i));
}
} // namespace

TEST(LV2State, SavedSessionReloadsExactlyAndEveryBadBlobIsRefused)
{
  TestURIDMap map;
  const LV2_Feature mapFeature{LV2_URID__map, map.Feature()};
  const LV2_Feature* features[] = {&mapFeature, nullptr};

  TestInstance saved(1, 48000.0, features);
  ASSERT_TRUE(saved.Ok());
  saved.Control(TestPlug::kGain) = -7.3f;
  saved.Control(TestPlug::kInvert) = 1.0f;
  saved.Control(TestPlug::kMode) = 2.0f;
  saved.Control(TestPlug::kSteps) = 7.0f;
  saved.Run(8);
  StoredState good;
  ASSERT_EQ(StateOf(saved)->save(saved.Handle(), StoredState::Store, &good, 0, features), LV2_STATE_SUCCESS);
  EXPECT_EQ(good.type, map.Get(LV2_ATOM__Chunk));

  TestInstance reloaded(0, 44100.0, features);
  ASSERT_TRUE(reloaded.Ok());
  reloaded.Run(8);
  ASSERT_EQ(StateOf(reloaded)->restore(reloaded.Handle(), StoredState::Retrieve, &good, 0, features),
            LV2_STATE_SUCCESS);
  EXPECT_EQ(Values(*reloaded.Plug()), Values(*saved.Plug()));
  // The restored values stand while the host's ports keep what they held.
  reloaded.Run(8);
  EXPECT_EQ(Values(*reloaded.Plug()), Values(*saved.Plug()));

  const size_t gainAt = 20;
  const struct
  {
    const char* what;
    void (*spoil)(StoredState&, TestURIDMap&);
    LV2_State_Status status;
  } cases[] = {
      {"no property", [](StoredState& s, TestURIDMap&) { s.present = false; }, LV2_STATE_ERR_NO_PROPERTY},
      {"wrong type", [](StoredState& s, TestURIDMap& m) { s.type = m.Get(LV2_ATOM__Float); }, LV2_STATE_ERR_BAD_TYPE},
      {"truncated", [](StoredState& s, TestURIDMap&) { s.value.pop_back(); }, LV2_STATE_ERR_UNKNOWN},
      {"header only", [](StoredState& s, TestURIDMap&) { s.value.resize(20); }, LV2_STATE_ERR_UNKNOWN},
      {"empty", [](StoredState& s, TestURIDMap&) { s.value.clear(); }, LV2_STATE_ERR_UNKNOWN},
      {"longer", [](StoredState& s, TestURIDMap&) { s.value.push_back(0); }, LV2_STATE_ERR_UNKNOWN},
      {"another magic", [](StoredState& s, TestURIDMap&) { s.value[0] = 'X'; }, LV2_STATE_ERR_UNKNOWN},
      {"another format", [](StoredState& s, TestURIDMap&) { s.value[4] = 2; }, LV2_STATE_ERR_UNKNOWN},
      {"another plug-in", [](StoredState& s, TestURIDMap&) { s.value[8] ^= 1; }, LV2_STATE_ERR_UNKNOWN},
      {"another maker", [](StoredState& s, TestURIDMap&) { s.value[12] ^= 1; }, LV2_STATE_ERR_UNKNOWN},
      {"payload size lies", [](StoredState& s, TestURIDMap&) { s.value[16] = 8; }, LV2_STATE_ERR_UNKNOWN},
      {"NaN value",
       [](StoredState& s, TestURIDMap&) { PutDoubleLE(s.value, gainAt, std::numeric_limits<double>::quiet_NaN()); },
       LV2_STATE_ERR_UNKNOWN},
      {"infinite value",
       [](StoredState& s, TestURIDMap&) { PutDoubleLE(s.value, gainAt, std::numeric_limits<double>::infinity()); },
       LV2_STATE_ERR_UNKNOWN},
  };
  for (const auto& c : cases) {
    TestInstance target(1, 48000.0, features);
    ASSERT_TRUE(target.Ok());
    target.Control(TestPlug::kGain) = 3.0f;
    target.Run(4);
    const std::vector<double> before = Values(*target.Plug());
    StoredState spoiled = good;
    c.spoil(spoiled, map);
    EXPECT_EQ(StateOf(target)->restore(target.Handle(), StoredState::Retrieve, &spoiled, 0, features), c.status)
        << c.what;
    EXPECT_EQ(Values(*target.Plug()), before) << c.what;
  }

  // A finite value out of range is clamped, as from any host.
  StoredState loud = good;
  PutDoubleLE(loud.value, gainAt, 1000.0);
  ASSERT_EQ(StateOf(reloaded)->restore(reloaded.Handle(), StoredState::Retrieve, &loud, 0, features),
            LV2_STATE_SUCCESS);
  EXPECT_EQ(reloaded.Plug()->GetParam(TestPlug::kGain)->Value(), 12.0);
}

TEST(LV2State, WithoutAMapTheStateCallsSaySoAndChangeNothing)
{
  TestInstance instance(0, 48000.0);
  ASSERT_TRUE(instance.Ok());
  StoredState state;
  const LV2_Feature* none[] = {nullptr};
  EXPECT_EQ(StateOf(instance)->save(instance.Handle(), StoredState::Store, &state, 0, none), LV2_STATE_ERR_NO_FEATURE);
  EXPECT_FALSE(state.present);
  EXPECT_EQ(StateOf(instance)->restore(instance.Handle(), StoredState::Retrieve, &state, 0, none),
            LV2_STATE_ERR_NO_FEATURE);
  // A map given only to the state calls is enough.
  TestURIDMap map;
  const LV2_Feature mapFeature{LV2_URID__map, map.Feature()};
  const LV2_Feature* features[] = {&mapFeature, nullptr};
  EXPECT_EQ(StateOf(instance)->save(instance.Handle(), StoredState::Store, &state, 0, features), LV2_STATE_SUCCESS);
  EXPECT_EQ(StateOf(instance)->restore(instance.Handle(), StoredState::Retrieve, &state, 0, features),
            LV2_STATE_SUCCESS);
}
