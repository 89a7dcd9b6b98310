// The editor thread changes parameters while the audio thread processes blocks.
// Run under ThreadSanitizer (BRINDLE_SANITIZE=thread) to check for data races.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/plugcore/FakePlug.h"

namespace {
// Like a product: OnParamChange (under the mutex) publishes a gain the audio
// thread reads as a plain atomic word, without locking.
class GainPlug : public FakePlug
{
public:
  GainPlug() : FakePlug(1, "1-1 2-2") { GetParam(0)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.001); }
  void OnParamChange(int paramIdx) override
  {
    Core_MutexLock lock(GetMutex()); // re-entered: SetParameterFromGUI holds it already
    if (paramIdx == 0) mGain.store(GetParam(0)->mValue, std::memory_order_relaxed);
  }
  void InformHostOfParamChange(int, double) override { ++mInformed; }
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override
  {
    const double gain = mGain.load(std::memory_order_relaxed);
    for (int c = 0; c < NOutChannels(); ++c)
      for (int s = 0; s < nFrames; ++s) outputs[c][s] = gain * inputs[c][s];
  }
  std::atomic<double> mGain{1.0};
  std::atomic<int> mInformed{0};
};
} // namespace

TEST(EffectBaseConcurrency, GuiParameterChangesWhileProcessing)
{
  constexpr int kFrames = 64;
  GainPlug plug;
  plug.SetBlockSize(kFrames);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);

  std::atomic<bool> stop{false};
  std::thread gui([&] {
    for (int i = 0; !stop; ++i) plug.SetParameterFromGUI(0, (i % 100) / 100.0);
  });

  std::vector<float> in(kFrames, 1.0f), out0(kFrames), out1(kFrames);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out0.data(), out1.data()};
  // Keep processing until the editor thread has really been changing values meanwhile.
  // (In a lambda so that a failed assertion still stops and joins the editor thread.)
  auto process = [&] {
    for (int block = 0; block < 2000 || plug.mInformed.load() < 2000; ++block) {
      plug.AttachInputBuffers(0, 2, ins, kFrames);
      plug.AttachOutputBuffers(0, 2, outs);
      plug.ProcessBuffers(0.0f, kFrames);
      // Every sample of a block uses one gain from the parameter's range.
      ASSERT_GE(out0[0], 0.0f);
      ASSERT_LE(out0[0], 2.0f);
      ASSERT_EQ(out0[kFrames - 1], out0[0]);
    }
  };
  process();
  stop = true;
  gui.join();

  Core_MutexLock lock(plug.GetMutex());
  EXPECT_GE(plug.mInformed.load(), 2000);
  EXPECT_EQ(plug.mGain.load(), plug.GetParam(0)->mValue);
}
