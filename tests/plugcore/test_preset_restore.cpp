#include <gtest/gtest.h>

#include <vector>

#include "StateTestPlug.h"

namespace {

TEST(PresetRestore, LoadsParametersCallsHandlersAndRedraws)
{
  StateTestPlug plug(3);
  std::vector<StateTestEditor::Shown> shown;
  plug.AttachGraphics(new StateTestEditor(&shown));
  plug.MakePreset("Init", 0.5, 1.0, 0, 3);
  plug.MakePreset("Hot", 0.9, 0.2, 1, 5);
  plug.ClearRecords();
  shown.clear();

  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.Value(0), 0.9);
  EXPECT_EQ(plug.Value(1), 0.2);
  EXPECT_EQ(plug.Value(2), 1.0);
  EXPECT_EQ(plug.Value(3), 5.0);
  EXPECT_EQ(plug.mParamChanges, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(plug.mPresetsChanged, 1);
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[3].value, 5.0);
  EXPECT_FALSE(shown[3].normalized);

  EXPECT_TRUE(plug.RestorePreset("Init"));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(plug.Value(0), 0.5);
}

TEST(PresetRestore, StoredValuesAreClampedOnTheWayIn)
{
  StateTestPlug plug(1);
  plug.MakePreset("Wild", 9.0, -1.0, 3, 99);
  EXPECT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(plug.Value(0), 1.0);
  EXPECT_EQ(plug.Value(1), 0.0);
  EXPECT_EQ(plug.Value(2), 1.0);
  EXPECT_EQ(plug.Value(3), 5.0);
}

TEST(PresetRestore, IndexOrNameOutsideTheListFails)
{
  StateTestPlug plug(2);
  plug.MakePreset("Init", 0.5, 1.0, 0, 3);
  plug.MakePreset("Other", 0.3, 1.0, 0, 3);
  ASSERT_TRUE(plug.RestorePreset(1));
  plug.ClearRecords();
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_FALSE(plug.RestorePreset(2));
  EXPECT_FALSE(plug.RestorePreset(nullptr));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset("init")) << "names compare exactly";
  EXPECT_FALSE(plug.RestorePreset("Init "));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_TRUE(plug.mParamChanges.empty());
  EXPECT_EQ(plug.mPresetsChanged, 0);
}

TEST(PresetRestore, EmptySlotCapturesTheCurrentStateAsAUserPreset)
{
  StateTestPlug plug(4);
  plug.MakePreset("user preset 1", 0.5, 1.0, 0, 3);
  plug.MakePreset("my user preset copy", 0.5, 1.0, 0, 3);
  plug.MakePreset("User Preset", 0.5, 1.0, 0, 3); // other case: not counted
  plug.SetValues(0.7, 0.3, 1.0, 2.0);
  plug.ClearRecords();

  EXPECT_TRUE(plug.RestorePreset(3));
  EXPECT_STREQ(plug.GetPresetName(3), "user preset 3");
  EXPECT_TRUE(plug.GetPreset(3)->mInitialized);
  EXPECT_EQ(DoublesOf(plug.GetPreset(3)->mChunk), (std::vector<double>{0.7, 0.3, 1.0, 2.0}));
  EXPECT_EQ(plug.Value(0), 0.7) << "capturing leaves the parameters as they are";
  EXPECT_TRUE(plug.mParamChanges.empty());
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 3);
  EXPECT_EQ(plug.mPresetsChanged, 1);
}

TEST(PresetRestore, InitializedPresetWithoutDataFails)
{
  StateTestPlug plug(2);
  ByteChunk empty;
  plug.MakePresetFromChunk("Hollow", &empty);
  plug.ClearRecords();
  EXPECT_FALSE(plug.RestorePreset(0));
  EXPECT_EQ(plug.mPresetsChanged, 0);
}

TEST(PresetRestore, ModifyCurrentPresetStoresStateAndName)
{
  StateTestPlug plug(2);
  plug.MakePreset("Init", 0.5, 1.0, 0, 3);
  plug.MakePreset("Two", 0.5, 1.0, 0, 3);
  ASSERT_TRUE(plug.RestorePreset(1));
  plug.SetValues(0.4, 1.6, 1.0, 1.0);
  plug.ModifyCurrentPreset("Edited");
  EXPECT_STREQ(plug.GetPresetName(1), "Edited");
  EXPECT_EQ(DoublesOf(plug.GetPreset(1)->mChunk), (std::vector<double>{0.4, 1.6, 1.0, 1.0}));
  plug.SetValues(0.3, 1.6, 1.0, 1.0);
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ(plug.GetPresetName(1), "Edited");
  EXPECT_EQ(DoublesOf(plug.GetPreset(1)->mChunk)[0], 0.3);
  EXPECT_EQ(DoublesOf(plug.GetPreset(0)->mChunk)[0], 0.5) << "other presets untouched";

  // The flag is left alone: a still-empty current slot gets data but stays uninitialized.
  StateTestPlug fresh(1);
  fresh.ModifyCurrentPreset(nullptr);
  EXPECT_FALSE(fresh.GetPreset(0)->mInitialized);
  EXPECT_STREQ(fresh.GetPresetName(0), "empty");
  EXPECT_EQ(fresh.GetPreset(0)->mChunk.Size(), 32);
}

TEST(PresetRestore, DefaultUserNameCountsSubstrings)
{
  Core_PtrList<IPreset> list;
  char name[IPreset::kNameSize];
  MakeDefaultUserPresetName(&list, name);
  EXPECT_STREQ(name, "user preset 1");
  list.Add(new IPreset("xuser presety"));
  list.Add(new IPreset("user preset"));
  list.Add(new IPreset("user  preset"));
  MakeDefaultUserPresetName(&list, name);
  EXPECT_STREQ(name, "user preset 3");
  char tiny[6];
  MakeDefaultUserPresetName(&list, tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "user ");
  EXPECT_EQ(GetNextUninitializedPreset(&list), list.Get(0));
  list.Get(0)->mInitialized = true;
  EXPECT_EQ(GetNextUninitializedPreset(&list), list.Get(1));
  EXPECT_EQ(GetNextUninitializedPreset(nullptr), nullptr);
  list.Empty(true);
}

} // namespace
