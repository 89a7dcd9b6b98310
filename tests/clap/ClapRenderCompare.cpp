#include "tests/clap/ClapRenderCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/clap/ClapTestHost.h"

namespace {
void FillSignal(std::vector<float>& channel, uint32_t block, uint32_t c)
{
  for (uint32_t i = 0; i < channel.size(); ++i)
    channel[i] = 0.6f * static_cast<float>(std::sin(0.013 * (block * kFrames + i) * (1.0 + 0.37 * c)));
}

} // namespace

std::vector<std::vector<float>> RenderThroughClap(const char* modulePath, const char* id, uint32_t channels,
                                                  const std::vector<Change>& changes)
{
  ClapModule module(modulePath);
  EXPECT_TRUE(module.Loaded()) << module.Error();
  StrictHost host;
  StrictPlugin plugin(host, module.Factory(), id);
  EXPECT_TRUE(plugin.Ok() && plugin.Activate(kRate, 1, 4096));
  std::vector<std::vector<float>> out(channels);
  plugin.Processing([&] {
    for (uint32_t b = 0; b < 3; ++b) {
      AudioBlock block(channels, channels, kFrames);
      for (uint32_t c = 0; c < channels; ++c) FillSignal(block.In(c), b, c);
      InputEvents events;
      if (b == 1)
        for (const Change& ch : changes) events.AddParamValue(ch.frame, ch.id, ch.value);
      EXPECT_EQ(plugin.Raw()->process(plugin.Raw(), block.Record(events.List())), CLAP_PROCESS_CONTINUE);
      for (uint32_t c = 0; c < channels; ++c) out[c].insert(out[c].end(), block.Out(c).begin(), block.Out(c).end());
    }
  });
  EXPECT_TRUE(host.Violations().empty());
  return out;
}

std::vector<std::vector<float>> RenderDirect(std::unique_ptr<IEffectCLAP> plug, uint32_t channels,
                                             const std::vector<Change>& changes)
{
  plug->SetSampleRate(kRate);
  plug->SetBlockSize(4096);
  plug->Reset();
  std::vector<std::vector<float>> out(channels);
  std::vector<double> in[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
  std::vector<double> res[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
  std::vector<float> signal(kFrames);
  for (uint32_t b = 0; b < 3; ++b) {
    for (uint32_t c = 0; c < 2; ++c) {
      FillSignal(signal, b, c);
      for (uint32_t i = 0; i < kFrames; ++i) in[c][i] = c < channels ? signal[i] : 0.0;
    }
    uint32_t done = 0;
    auto renderTo = [&](uint32_t end) {
      if (end <= done) return;
      double* ins[2] = {in[0].data() + done, in[1].data() + done};
      double* outs[2] = {res[0].data() + done, res[1].data() + done};
      plug->ProcessDoubleReplacing(ins, outs, static_cast<int>(end - done));
      done = end;
    };
    if (b == 1)
      for (const Change& ch : changes) {
        renderTo(ch.frame);
        plug->GetParam(static_cast<int>(ch.id))->Set(ch.value);
        plug->OnParamChange(static_cast<int>(ch.id));
      }
    renderTo(kFrames);
    for (uint32_t c = 0; c < channels; ++c)
      for (uint32_t i = 0; i < kFrames; ++i) out[c].push_back(static_cast<float>(res[c][i]));
  }
  return out;
}

IEffectCLAP::InstanceInfo Variant(int channelIOIdx)
{
  IEffectCLAP::InstanceInfo info;
  info.mChannelIOIdx = channelIOIdx;
  return info;
}

double MaxDifference(const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b)
{
  double worst = 0.0;
  for (size_t c = 0; c < a.size(); ++c)
    for (size_t i = 0; i < a[c].size(); ++i) worst = std::max(worst, std::fabs(double(a[c][i]) - double(b[c][i])));
  return worst;
}
