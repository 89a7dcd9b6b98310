// State through VST3's streams: saved and loaded back, handed to the controller, and twenty ways a
// stream can be wrong, each refused with every parameter left as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/vst3/Vst3TestHost.h"

using namespace vst3;

namespace {

std::vector<double> Values(IEditController* controller)
{
  std::vector<double> values;
  for (ParamID id = 0; id < 4; ++id) values.push_back(controller->getParamNormalized(id));
  return values;
}

void PutU32(std::vector<unsigned char>& bytes, size_t at, uint32_t v)
{
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
}

void PutDouble(std::vector<unsigned char>& bytes, size_t at, double v)
{
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<unsigned char>(bits >> (8 * i));
}

} // namespace

TEST(Vst3State, SavedStatesComeBackInAnotherInstanceAndThroughTheController)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  MemoryStream saved;
  std::vector<double> values;
  {
    Vst3Plugin plugin(module);
    ASSERT_TRUE(plugin.Ok()) << module.Error();
    EXPECT_EQ(plugin.Component()->getState(&saved), kNotInitialized); // nothing before initialize
    ASSERT_EQ(plugin.Component()->initialize(nullptr), kResultOk);
    IEditController* controller = plugin.Controller();
    ASSERT_EQ(controller->setParamNormalized(0, 0.125), kResultOk);
    ASSERT_EQ(controller->setParamNormalized(1, 0.875), kResultOk);
    ASSERT_EQ(controller->setParamNormalized(3, 0.0), kResultOk);
    values = Values(controller);
    ASSERT_EQ(plugin.Component()->getState(&saved), kResultOk);
    EXPECT_EQ(saved.Bytes().size(), 20u + 4 * 8);
    // The controller's own state is empty, and any it is given is taken as such.
    MemoryStream controllerState;
    EXPECT_EQ(controller->getState(&controllerState), kResultOk);
    EXPECT_TRUE(controllerState.Bytes().empty());
    EXPECT_EQ(controller->setState(&controllerState), kResultOk);
  }
  for (bool throughController : {false, true}) {
    SCOPED_TRACE(throughController ? "setComponentState" : "setState");
    Vst3Plugin plugin(module);
    ASSERT_TRUE(plugin.Ok());
    ASSERT_EQ(plugin.Component()->initialize(nullptr), kResultOk);
    saved.Rewind();
    // A host's stream may hold more after ours (a preset file): only ours is read.
    MemoryStream longer(saved.Bytes());
    const unsigned char tail[3] = {1, 2, 3};
    longer.seek(0, IBStream::kIBSeekEnd, nullptr);
    longer.write(const_cast<unsigned char*>(tail), 3, nullptr);
    longer.Rewind();
    ASSERT_EQ(throughController ? plugin.Controller()->setComponentState(&longer)
                                : plugin.Component()->setState(&longer),
              kResultOk);
    EXPECT_EQ(Values(plugin.Controller()), values);
    int64 at = 0;
    longer.tell(&at);
    EXPECT_EQ(at, static_cast<int64>(saved.Bytes().size()));
  }
}

TEST(Vst3State, CorruptStatesAreRefusedAndChangeNothing)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Ok()) << module.Error();
  ASSERT_EQ(plugin.Component()->initialize(nullptr), kResultOk);
  MemoryStream good;
  ASSERT_EQ(plugin.Component()->getState(&good), kResultOk);
  const std::vector<unsigned char> base = good.Bytes();
  ASSERT_EQ(base.size(), 52u);
  ASSERT_EQ(plugin.Controller()->setParamNormalized(0, 0.3), kResultOk);
  const std::vector<double> before = Values(plugin.Controller());

  using Bytes = std::vector<unsigned char>;
  auto edit = [&](auto change) {
    Bytes b = base;
    change(b);
    return b;
  };
  const struct
  {
    const char* what;
    Bytes bytes;
  } rows[] = {
      {"empty", {}},
      {"one byte", {'B'}},
      {"header cut short", Bytes(base.begin(), base.begin() + 19)},
      {"payload cut short", Bytes(base.begin(), base.end() - 1)},
      {"only the header", Bytes(base.begin(), base.begin() + 20)},
      {"other magic", edit([](Bytes& b) { b[0] = 'X'; })},
      {"a CLAP state", edit([](Bytes& b) { std::memcpy(b.data(), "BCLP", 4); })},
      {"newer format", edit([](Bytes& b) { PutU32(b, 4, 2); })},
      {"format zero", edit([](Bytes& b) { PutU32(b, 4, 0); })},
      {"another plug-in", edit([](Bytes& b) { PutU32(b, 8, 0x12345678); })},
      {"another maker", edit([](Bytes& b) { PutU32(b, 12, 0x12345678); })},
      {"payload count too small", edit([](Bytes& b) { PutU32(b, 16, 24); })},
      {"payload count too large", edit([](Bytes& b) { PutU32(b, 16, 40); })},
      {"payload count absurd", edit([](Bytes& b) { PutU32(b, 16, 0xFFFFFFF0u); })},
      {"level above its range", edit([](Bytes& b) { PutDouble(b, 20, 1.5); })},
      {"attack below its range", edit([](Bytes& b) { PutDouble(b, 28, -0.1); })},
      {"level not a number", edit([](Bytes& b) { PutDouble(b, 20, std::nan("")); })},
      {"effect between its steps", edit([](Bytes& b) { PutDouble(b, 36, 0.5); })},
      {"cabinet infinite", edit([](Bytes& b) { PutDouble(b, 44, std::numeric_limits<double>::infinity()); })},
      {"random bytes", Bytes{0x9A, 0x11, 0xFE, 0x00, 0x42, 0x42, 0x42, 0x42, 0x01, 0x02, 0x03, 0x04,
                             0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10}},
  };
  static_assert(sizeof(rows) / sizeof(rows[0]) == 20, "twenty corrupt states");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    for (int face = 0; face < 2; ++face) {
      MemoryStream stream(row.bytes);
      const tresult result =
          face == 0 ? plugin.Component()->setState(&stream) : plugin.Controller()->setComponentState(&stream);
      EXPECT_NE(result, kResultOk);
      EXPECT_EQ(Values(plugin.Controller()), before);
    }
  }
  // A stream that fails, and none at all.
  MemoryStream failing(base);
  failing.mFail = true;
  EXPECT_EQ(plugin.Component()->setState(&failing), kResultFalse);
  EXPECT_EQ(plugin.Component()->getState(&failing), kResultFalse);
  EXPECT_EQ(plugin.Component()->setState(nullptr), kInvalidArgument);
  EXPECT_EQ(plugin.Component()->getState(nullptr), kInvalidArgument);
  EXPECT_EQ(Values(plugin.Controller()), before);
  // The good state still loads afterwards.
  good.Rewind();
  EXPECT_EQ(plugin.Component()->setState(&good), kResultOk);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(0), 0.5);
  EXPECT_EQ(plugin.Component()->terminate(), kResultOk);
}
