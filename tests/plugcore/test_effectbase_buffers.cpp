#include <gtest/gtest.h>

#include <vector>

#include "tests/plugcore/FakePlug.h"

namespace {
// Processing doubles every input, so processing and pass-through can be told apart.
class DoublingPlug : public FakePlug
{
public:
  explicit DoublingPlug(const char* io = "1-1 2-2") : FakePlug(0, io) {}
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override
  {
    ++mCalls;
    mLastFrames = nFrames;
    for (int c = 0; c < NOutChannels(); ++c)
      for (int s = 0; s < nFrames; ++s) outputs[c][s] = c < NInChannels() ? 2.0 * inputs[c][s] : -1.0;
  }
  int mCalls = 0;
  int mLastFrames = -1;
};

constexpr int kBlock = 8;

void ConnectAll(IEffectBase& plug)
{
  plug.SetInputChannelConnections(0, plug.NInChannels(), true);
  plug.SetOutputChannelConnections(0, plug.NOutChannels(), true);
}
} // namespace

TEST(EffectBaseConnections, SettersVisitTheGivenRange)
{
  FakePlug plug(0, "4-4");
  plug.SetBlockSize(kBlock);
  plug.SetInputChannelConnections(1, 2, true);
  EXPECT_FALSE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_TRUE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(3));
  EXPECT_FALSE(plug.IsInChannelConnected(4));
  EXPECT_FALSE(plug.IsInChannelConnected(-1));

  plug.SetOutputChannelConnections(2, 100, true); // past the end: cut at the channel count
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
  plug.SetOutputChannelConnections(-1, 3, true); // negative start: ignored
  EXPECT_FALSE(plug.IsOutChannelConnected(0));

  plug.SetInputChannelConnections(2, 1, false);
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_EQ(plug.mInData.Get()[2], plug.mInChannels.Get(2)->mScratchBuffer.Get());
}

TEST(EffectBaseBuffers, UnconnectedInputReadsZerosAndDoubleAttachUsesHostBuffers)
{
  DoublingPlug plug;
  plug.SetBlockSize(kBlock);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetInputChannelConnections(1, 1, false);
  plug.SetOutputChannelConnections(0, 2, true);

  std::vector<double> in0(kBlock, 0.25), out0(kBlock, 9.0), out1(kBlock, 9.0);
  double* ins[] = {in0.data()};
  double* outs[] = {out0.data(), out1.data()};
  plug.AttachInputBuffers(0, 2, ins, kBlock); // one pointer for the one connected channel
  plug.AttachOutputBuffers(0, 2, outs);
  EXPECT_EQ(plug.mInData.Get()[0], in0.data());
  EXPECT_EQ(plug.mOutData.Get()[1], out1.data());

  plug.ProcessBuffers(0.0, kBlock);
  EXPECT_EQ(plug.mCalls, 1);
  for (int s = 0; s < kBlock; ++s) {
    EXPECT_EQ(out0[s], 0.5);
    EXPECT_EQ(out1[s], 0.0);
  }
}

TEST(EffectBaseBuffers, FloatAttachConvertsAndWritesBackOnlyConnectedOutputs)
{
  DoublingPlug plug;
  plug.SetBlockSize(kBlock);
  ConnectAll(plug);
  plug.SetOutputChannelConnections(1, 1, false); // the host connects one output

  std::vector<float> in0(kBlock), in1(kBlock), out0(kBlock, 7.f), spare(kBlock, 7.f);
  for (int s = 0; s < kBlock; ++s) {
    in0[s] = 0.5f * s;
    in1[s] = -0.25f * s;
  }
  float* ins[] = {in0.data(), in1.data()};
  float* outs[] = {out0.data(), spare.data()};
  plug.AttachInputBuffers(0, 2, ins, kBlock);
  plug.AttachOutputBuffers(0, 2, outs);

  // Inputs were converted into the scratch buffers.
  double* scratch0 = plug.mInChannels.Get(0)->mScratchBuffer.Get();
  EXPECT_EQ(plug.mInData.Get()[0], scratch0);
  EXPECT_EQ(scratch0[3], 1.5);
  EXPECT_EQ(plug.mOutData.Get()[1], plug.mOutChannels.Get(1)->mScratchBuffer.Get());

  plug.ProcessBuffers(0.0f, kBlock);
  for (int s = 0; s < kBlock; ++s) {
    EXPECT_EQ(out0[s], 1.0f * s);
    EXPECT_EQ(spare[s], 7.f); // nothing reaches the host for the unconnected output
  }
  EXPECT_EQ(plug.mOutChannels.Get(1)->mScratchBuffer.Get()[2], -1.0);

  plug.ProcessBuffersAccumulating(0.0f, kBlock);
  for (int s = 0; s < kBlock; ++s) EXPECT_EQ(out0[s], 2.0f * s);
}

namespace {
// Renders single precision itself when offered (three times the input, so that its output and the
// doubling double path can be told apart), unless told to decline.
class SinglePlug : public DoublingPlug
{
public:
  bool ProcessDoubleToSingle(double** inputs, float** outputs, int nFrames) override
  {
    ++mSingleCalls;
    if (mDecline) return false;
    for (int c = 0; c < NOutChannels(); ++c)
      for (int s = 0; s < nFrames; ++s) outputs[c][s] = static_cast<float>(3.0 * inputs[c][s]);
    return true;
  }
  bool mDecline = false;
  int mSingleCalls = 0;
};
} // namespace

TEST(EffectBaseBuffers, ProductWritesHostFloatsOnlyWhenEveryOutputHasAHostBuffer)
{
  enum Route { kFloatOut, kOneOutputUnconnected, kDoubleOut, kDeclined, kAccumulating, kBypassed };
  struct Case
  {
    Route route;
    bool offered;     // ProcessDoubleToSingle is asked
    float expectOut0; // output 0 at frame 1 (input 1.0)
  };
  const Case cases[] = {
      {kFloatOut, true, 3.0f},              // straight into the host's buffers
      {kOneOutputUnconnected, false, 2.0f}, // the write-back must leave that buffer alone
      {kDoubleOut, false, 2.0f},            // double outputs go to the host as they are
      {kDeclined, true, 2.0f},              // the double path and write-back take over
      {kAccumulating, false, 7.0f + 2.0f},  // adds to the host's samples
      {kBypassed, false, 1.0f},             // pass-through
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.route));
    SinglePlug plug;
    plug.SetBlockSize(kBlock);
    ConnectAll(plug);
    plug.mDecline = c.route == kDeclined;
    if (c.route == kOneOutputUnconnected) plug.SetOutputChannelConnections(1, 1, false);
    std::vector<float> in0(kBlock, 1.0f), in1(kBlock, 1.0f), out0(kBlock, 7.f), out1(kBlock, 7.f);
    std::vector<double> dOut0(kBlock, 7.0), dOut1(kBlock, 7.0);
    float* ins[] = {in0.data(), in1.data()};
    float* outs[] = {out0.data(), out1.data()};
    double* dOuts[] = {dOut0.data(), dOut1.data()};
    plug.AttachInputBuffers(0, 2, ins, kBlock);
    if (c.route == kDoubleOut)
      plug.AttachOutputBuffers(0, 2, dOuts);
    else
      plug.AttachOutputBuffers(0, 2, outs);
    if (c.route == kAccumulating)
      plug.ProcessBuffersAccumulating(0.0f, kBlock);
    else if (c.route == kBypassed)
      plug.PassThroughBuffers(0.0f, kBlock);
    else
      plug.ProcessBuffers(0.0f, kBlock);
    EXPECT_EQ(plug.mSingleCalls, c.offered ? 1 : 0);
    EXPECT_EQ(c.route == kDoubleOut ? static_cast<float>(dOut0[1]) : out0[1], c.expectOut0);
    if (c.route == kOneOutputUnconnected) {
      EXPECT_EQ(out1[1], 7.f);
    }
    if (c.route == kFloatOut) {
      EXPECT_EQ(plug.mCalls, 0); // no double pass behind its back
    }
  }
}

TEST(EffectBaseBuffers, PassThroughCopiesInputsAndZeroesTheRest)
{
  DoublingPlug stereo;
  stereo.SetBlockSize(kBlock);
  ConnectAll(stereo);
  std::vector<float> in0(kBlock, 0.5f), in1(kBlock, -0.5f), out0(kBlock, 3.f), out1(kBlock, 3.f);
  float* ins[] = {in0.data(), in1.data()};
  float* outs[] = {out0.data(), out1.data()};
  stereo.AttachInputBuffers(0, 2, ins, kBlock);
  stereo.AttachOutputBuffers(0, 2, outs);
  stereo.PassThroughBuffers(0.0f, kBlock);
  EXPECT_EQ(stereo.mCalls, 0);
  EXPECT_EQ(out0[5], 0.5f);
  EXPECT_EQ(out1[5], -0.5f);

  DoublingPlug mono(" 1-2");
  mono.SetBlockSize(kBlock);
  ConnectAll(mono);
  out0.assign(kBlock, 3.f);
  out1.assign(kBlock, 3.f);
  mono.AttachInputBuffers(0, 1, ins, kBlock);
  mono.AttachOutputBuffers(0, 2, outs);
  mono.PassThroughBuffers(0.0f, kBlock);
  EXPECT_EQ(out0[7], 0.5f);
  EXPECT_EQ(out1[7], 0.0f);

  // The double version leaves the host's float buffers alone.
  std::vector<double> dIn(kBlock, 0.75), dOut0(kBlock, 1.0), dOut1(kBlock, 1.0);
  double* dIns[] = {dIn.data()};
  double* dOuts[] = {dOut0.data(), dOut1.data()};
  mono.AttachInputBuffers(0, 1, dIns, kBlock);
  mono.AttachOutputBuffers(0, 2, dOuts);
  out0.assign(kBlock, 3.f);
  mono.PassThroughBuffers(0.0, kBlock);
  EXPECT_EQ(dOut0[0], 0.75);
  EXPECT_EQ(dOut1[0], 0.0);
  EXPECT_EQ(out0[0], 3.f);
}

TEST(EffectBaseBuffers, BlockSizeResizesZeroesAndKeepsEntriesValid)
{
  FakePlug plug;
  plug.SetInputChannelConnections(0, 2, false); // before any scratch buffer exists
  plug.SetBlockSize(4);
  double* scratch = plug.mInChannels.Get(0)->mScratchBuffer.Get();
  ASSERT_NE(scratch, nullptr);
  EXPECT_EQ(plug.mInData.Get()[0], scratch);
  scratch[1] = 5.0;

  plug.SetBlockSize(4); // same size: contents kept
  EXPECT_EQ(plug.mInChannels.Get(0)->mScratchBuffer.Get()[1], 5.0);

  plug.SetBlockSize(100000); // grows (moves): the entry follows the buffer
  double* moved = plug.mInChannels.Get(0)->mScratchBuffer.Get();
  EXPECT_EQ(plug.mInData.Get()[0], moved);
  EXPECT_EQ(plug.mInChannels.Get(0)->mScratchBuffer.GetSize(), 100000);
  EXPECT_EQ(moved[1], 0.0);
  EXPECT_EQ(moved[99999], 0.0);

  moved[10] = 1.0;
  plug.mOutChannels.Get(1)->mScratchBuffer.Get()[3] = 2.0;
  plug.ZeroScratchBuffers();
  EXPECT_EQ(moved[10], 0.0);
  EXPECT_EQ(plug.mOutChannels.Get(1)->mScratchBuffer.Get()[3], 0.0);

  plug.SetBlockSize(-3);
  EXPECT_EQ(plug.GetBlockSize(), 0);
}

TEST(EffectBaseBuffers, FramesBeyondTheBlockSizeAreClamped)
{
  DoublingPlug plug;
  plug.SetBlockSize(kBlock);
  ConnectAll(plug);
  std::vector<float> in(4 * kBlock, 1.0f), out0(4 * kBlock, 3.f), out1(4 * kBlock, 3.f);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out0.data(), out1.data()};
  plug.AttachInputBuffers(0, 2, ins, 4 * kBlock);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, 4 * kBlock);
  EXPECT_EQ(plug.mLastFrames, kBlock);
  EXPECT_EQ(out0[kBlock - 1], 2.0f);
  EXPECT_EQ(out0[kBlock], 3.f); // beyond the block: untouched
  plug.PassThroughBuffers(0.0f, 1 << 30);
  EXPECT_EQ(out1[kBlock], 3.f);

  plug.ProcessBuffers(0.0f, -5);
  EXPECT_EQ(plug.mCalls, 1);
}

TEST(EffectBaseBuffers, BadAttachArgumentsAreHarmless)
{
  DoublingPlug plug;
  // No block size yet: nothing is processed at all.
  plug.ProcessBuffers(0.0, 16);
  EXPECT_EQ(plug.mCalls, 0);

  // Connected before any buffer was attached: the entries are still null, so the
  // processing routine is never handed them.
  ConnectAll(plug);
  plug.SetBlockSize(kBlock);
  plug.AttachInputBuffers(-1, 2, static_cast<float**>(nullptr), kBlock);
  plug.AttachInputBuffers(0, 2, static_cast<double**>(nullptr), kBlock);
  plug.AttachOutputBuffers(0, 2, static_cast<float**>(nullptr));
  plug.ProcessBuffers(0.0, kBlock);
  plug.PassThroughBuffers(0.0f, kBlock);
  EXPECT_EQ(plug.mCalls, 0);

  // Null host pointers fall back to scratch buffers (inputs read silence).
  float* nullIns[] = {nullptr, nullptr};
  std::vector<float> out0(kBlock, 3.f);
  float* outs[] = {out0.data(), nullptr};
  plug.AttachInputBuffers(0, 2, nullIns, kBlock);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, kBlock);
  EXPECT_EQ(plug.mCalls, 1);
  EXPECT_EQ(out0[0], 0.0f);
}

TEST(EffectBaseBuffers, LimitToStereoIO)
{
  FakePlug plug(0, "4-4");
  plug.SetBlockSize(kBlock);
  ConnectAll(plug);
  plug.SetOutputChannelConnections(2, 2, false);
  std::vector<double> host(kBlock);
  double* ins[] = {host.data(), host.data(), host.data(), host.data()};
  plug.AttachInputBuffers(0, 4, ins, kBlock);
  double* outEntry3 = plug.mOutData.Get()[3];
  plug.LimitToStereoIO();
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_EQ(plug.mInData.Get()[3], plug.mInChannels.Get(3)->mScratchBuffer.Get());
  EXPECT_EQ(plug.mInData.Get()[1], host.data());
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
  EXPECT_EQ(plug.mOutData.Get()[3], outEntry3);
}

TEST(EffectBaseProcessing, DefaultRoutinesCopyAndZero)
{
  FakePlug plug(0, "1-2");
  std::vector<double> in(4, 0.5), out0(4, 9.0), out1(4, 9.0);
  double* ins[] = {in.data()};
  double* outs[] = {out0.data(), out1.data()};
  plug.ProcessDoubleReplacing(ins, outs, 4);
  EXPECT_EQ(out0[3], 0.5);
  EXPECT_EQ(out1[3], 0.0);

  std::vector<float> fin(4, 0.25f), fout0(4, 9.f), fout1(4, 9.f);
  float* fins[] = {fin.data()};
  float* fouts[] = {fout0.data(), fout1.data()};
  plug.ProcessSingleReplacing(fins, fouts, 4);
  EXPECT_EQ(fout0[2], 0.25f);
  EXPECT_EQ(fout1[2], 0.0f);

  // In place (host hands the same buffer for input and output).
  double* same[] = {in.data()};
  double* sameOut[] = {in.data(), out1.data()};
  plug.ProcessDoubleReplacing(same, sameOut, 4);
  EXPECT_EQ(in[0], 0.5);
}
