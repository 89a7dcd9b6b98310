#include "tests/vst3/Vst3RenderCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/vst3/Vst3TestHost.h"

using namespace vst3;

namespace {
double Signal(int block, int i, int c)
{
  return static_cast<float>(0.6 * std::sin(0.013 * (block * kFrames + i) * (1.0 + 0.37 * c)));
}
} // namespace

Channels RenderThroughVst3(const char* bundle, int channels, const std::vector<Change>& changes, int32 sampleSize)
{
  Vst3Module module(bundle);
  EXPECT_TRUE(module.Loaded()) << module.Error();
  Vst3Plugin plugin(module);
  EXPECT_TRUE(plugin.Start(channels, kRate, 4096, sampleSize));
  Channels out(static_cast<size_t>(channels));
  for (int b = 0; b < 3; ++b) {
    AudioBlock block(channels, kFrames, sampleSize);
    for (int c = 0; c < channels; ++c)
      for (int i = 0; i < kFrames; ++i) {
        block.In(c)[static_cast<size_t>(i)] = static_cast<float>(Signal(b, i, c));
        block.In64(c)[static_cast<size_t>(i)] = Signal(b, i, c);
      }
    ParamChanges queue;
    if (b == 1)
      for (const Change& ch : changes) queue.Add(ch.id, ch.frame, ch.normalized);
    EXPECT_EQ(plugin.Processor()->process(block.Data(&queue)), kResultOk);
    for (int c = 0; c < channels; ++c)
      for (int i = 0; i < kFrames; ++i)
        out[static_cast<size_t>(c)].push_back(sampleSize == kSample64 ? block.Out64(c)[static_cast<size_t>(i)]
                                                                      : block.Out(c)[static_cast<size_t>(i)]);
  }
  EXPECT_TRUE(plugin.Stop());
  return out;
}

Channels RenderDirect(std::unique_ptr<IEffectVST3> plug, int channels, const std::vector<Change>& changes)
{
  plug->SetSampleRate(kRate);
  plug->SetBlockSize(4096);
  plug->Reset();
  Channels out(static_cast<size_t>(channels));
  std::vector<double> in[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
  std::vector<double> res[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
  for (int b = 0; b < 3; ++b) {
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < kFrames; ++i) in[c][static_cast<size_t>(i)] = c < channels ? Signal(b, i, c) : 0.0;
    int done = 0;
    auto renderTo = [&](int end) {
      if (end <= done) return;
      double* ins[2] = {in[0].data() + done, in[1].data() + done};
      double* outs[2] = {res[0].data() + done, res[1].data() + done};
      plug->ProcessDoubleReplacing(ins, outs, end - done);
      done = end;
    };
    if (b == 1) {
      std::vector<Change> sorted = changes;
      std::stable_sort(sorted.begin(), sorted.end(),
                       [](const Change& x, const Change& y) { return x.frame < y.frame; });
      for (const Change& ch : sorted) {
        renderTo(ch.frame);
        plug->GetParam(static_cast<int>(ch.id))->SetNormalized(ch.normalized);
        plug->OnParamChange(static_cast<int>(ch.id));
      }
    }
    renderTo(kFrames);
    for (int c = 0; c < channels; ++c)
      out[static_cast<size_t>(c)].insert(out[static_cast<size_t>(c)].end(), res[c].begin(), res[c].end());
  }
  return out;
}

double MaxDifference(const Channels& a, const Channels& b)
{
  if (a.size() != b.size()) return 1e9;
  double worst = 0.0;
  for (size_t c = 0; c < a.size(); ++c) {
    if (a[c].size() != b[c].size()) return 1e9;
    for (size_t i = 0; i < a[c].size(); ++i) worst = std::max(worst, std::fabs(a[c][i] - b[c][i]));
  }
  return worst;
}
