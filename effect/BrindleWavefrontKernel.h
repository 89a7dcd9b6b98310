#pragma once
// Fast block renderer for the Brindle chain: a wavefront across the filter cascade.
//
// The plain loop runs each sample through 22 biquads in turn, so every stage waits for the one
// before it. Here the stages sit in the lanes of short vectors (slot g in lane g % W of vector
// g / W) and each lane works on a different sample: at step t, lane g processes sample
// t - LaneLag(g). A lane's input is the output its left neighbour produced K steps earlier (2K for
// slot 2, see below). Every stage still sees its samples in order and performs exactly the
// arithmetic of AuDSP::biquadFilterProcess (same operations, same order, no contraction), so the
// output is bit-identical to BrindleProcessPlain; only the order in which (stage, sample) pairs
// are visited changes, letting the independent recurrences of 22 stages overlap.
//
// Steps run in batches of K. Within a batch every input comes from the batch before, so each
// vector runs its K steps on its own, its coefficients and history held in registers, and the
// vectors go from last to first so that one row of outputs per step serves as both the previous
// batch's (read) and this batch's (written); a vector reads its inputs one lane to the left of
// where it writes, so moving outputs on to the next stage takes no shuffle (but in vector 0, whose
// lanes 0 and 2 take the input sum and the fuzz, see FirstVectorInput). Vectors with no lane
// inside the block during the pipeline's fill and drain are skipped; vectors with some lanes
// inside keep the others' state through a lane mask: once per batch, as lanes start on batch
// boundaries and end on them too unless a lane's last sample falls inside a batch, which alone
// is masked step by step. Filter histories live in AuDSP between blocks; the kernel loads them
// into lanes and stores them back settled (as BrindleSettleHistories does), so no latency is
// added and plain and fast calls mix freely.
//
// The memoryless parts ride along: the input sum enters lane 0 (summed four frames at a time
// inside the block, NaN and infinite samples taken as silence as in the plain loop); slot 1's
// outputs of a batch run through fuzz and mix as one K-lane vector whose
// results enter slot 2 two batches later, so that the shaper is off the critical path; the
// output gain is a multiplier vector that is 1.0 in every lane but slot 12's input (x * 1.0 is
// exact), or the chain's last step without the cabinet. Outputs are written as doubles or, for a
// host's single-precision buffers, rounded to float on the way out.
//
// W is 8 with AVX-512 and 4 with AVX2; the portable build uses W = 4 generic vectors, which the
// compiler lowers to SSE2 or scalar code.
//
// This header is the kernel's source, shared by the builds in BrindleWavefront.cpp and by the tests'
// eight-lane build for the baseline instruction set (the AVX-512 source, proved on any machine).
#include "effect/BrindleChain.h"

#include <cfloat>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace brindle_wavefront {

#define BRINDLE_ALWAYS_INLINE inline __attribute__((always_inline))

// Steps per batch, and steps between neighbouring stages. A stage's input path (shuffle, multiply,
// four adds, offset) takes about twice as long as its own recurrence (multiply, two adds); four
// steps of slack let the vectors of a batch overlap fully.
constexpr int kBatch = 4;
static_assert(kBatch == 4, "a batch's input sums, fuzz and outputs each fill one four-lane vector");
static_assert(kBrindleNoiseTableSize % 4 == 0, "four noise values never wrap");

template <int W>
struct Lanes;
template <>
struct Lanes<4>
{
  typedef double V __attribute__((vector_size(32)));
  typedef std::int64_t I __attribute__((vector_size(32)));
  typedef std::uint64_t U __attribute__((vector_size(32)));
};
template <>
struct Lanes<8>
{
  typedef double V __attribute__((vector_size(64)));
  typedef std::int64_t I __attribute__((vector_size(64)));
  typedef std::uint64_t U __attribute__((vector_size(64)));
};

// fuzzdrive3 followed by xmix on every lane, with lane selects. Every arithmetic operation and its
// order are AuDSP's, so each lane rounds exactly as the scalar shaper does; four steps are
// cheaper forms with the same results: |x| by clearing the sign (x = -0 and NaN differ only in
// e's sign, which no result keeps: 1 - e / 0.4 is 1 either way, and a NaN e selects the flat
// part), the clamp as a min then a max (f is never NaN), h - 0.2 as h + (-0.2), and 2b as b + b.
template <typename V>
BRINDLE_ALWAYS_INLINE void FuzzAndMix(const V& b, double drive, double wetWeight, double dryWeight, V& out)
{
  typedef decltype(b < b) Mask;
  const V zero{};
  const V x = b * drive;
  const V e = (V)((Mask)x & ~(Mask)(-zero));
  const V level = zero + kBrindleFuzzLevel;
  const V curve = (1.0 - e / 0.4) * x * kBrindleFuzzLevel * 10.0;
  const V flat = x >= zero ? level : -level;
  const V f = e < 0.2 ? curve : flat;
  const V top = f < 0.3 ? f : zero + 0.3;
  const V h = zero > top ? zero : top;
  const V fz = h + (x > -0.2 ? zero - 0.2 : zero + 0.02);
  out = wetWeight * fz + dryWeight * (b + b);
}

// The step at which lane g starts the block (lane g processes sample t - LaneLag(g) at step t): K
// steps behind its left neighbour, and one batch more from slot 2 on, because slot 2's input, the
// fuzz and mix of slot 1's output, is computed one batch after slot 1 produced it.
constexpr std::int64_t LaneLag(int g)
{
  return std::int64_t{g + (g >= 2 ? 1 : 0)} * kBatch;
}

// Calls f(integral_constant<int, N - 1>) ... f(integral_constant<int, 0>), last index first.
template <int N>
struct Descending
{
  template <typename F, int... P>
  static BRINDLE_ALWAYS_INLINE void Each(F&& f, std::integer_sequence<int, P...>)
  {
    (f(std::integral_constant<int, N - 1 - P>{}), ...);
  }
  template <typename F>
  static BRINDLE_ALWAYS_INLINE void Run(F&& f)
  {
    Each(f, std::make_integer_sequence<int, N>{});
  }
};

// Four results to both outputs: as they are, or rounded to float (the conversion rounds as a cast
// does, and runs once for both outputs).
BRINDLE_ALWAYS_INLINE void StoreFour(double* out0, double* out1, const Lanes<4>::V& result)
{
  __builtin_memcpy(out1, &result, sizeof(result));
  __builtin_memcpy(out0, &result, sizeof(result));
}
BRINDLE_ALWAYS_INLINE void StoreFour(float* out0, float* out1, const Lanes<4>::V& result)
{
  typedef float Float4 __attribute__((vector_size(16)));
  const Float4 narrow = __builtin_convertvector(result, Float4);
  __builtin_memcpy(out1, &narrow, sizeof(narrow));
  __builtin_memcpy(out0, &narrow, sizeof(narrow));
}

// Vector 0's input at step s: lane 0 takes the input sum and lane 2 the fuzz and mix, the others
// their left neighbours' outputs, taken from this vector's own outputs of the batch before. Those
// were stored as one vector and are loaded as one, so the store forwards to the load (scalar
// stores of the sum and the fuzz under a vector load cannot be forwarded: the load would wait
// until they reach the cache).
// (Results through a reference: these are compiled outside the AVX builds' target attribute.)
BRINDLE_ALWAYS_INLINE void FirstVectorInput(int s, const Lanes<4>::V& own, const Lanes<4>::V& inSum,
                                            const Lanes<4>::V& fuzz, Lanes<4>::V& in)
{
  typedef Lanes<4>::I M;
  // pair holds inSum[s] in lane s % 2 and fuzz[s] in lane 2 + s % 2: a cross-lane shuffle per two
  // steps, then an in-lane one per step.
  const Lanes<4>::V pair =
      s < 2 ? __builtin_shuffle(inSum, fuzz, M{0, 1, 4, 5}) : __builtin_shuffle(inSum, fuzz, M{2, 3, 6, 7});
  in = s % 2 == 0 ? __builtin_shuffle(pair, own, M{0, 4, 2, 6}) : __builtin_shuffle(pair, own, M{1, 4, 3, 6});
}
BRINDLE_ALWAYS_INLINE void FirstVectorInput(int s, const Lanes<8>::V& own, const Lanes<4>::V& inSum,
                                            const Lanes<4>::V& fuzz, Lanes<8>::V& in)
{
  typedef Lanes<8>::I M;
  const Lanes<4>::V pair = s < 2 ? __builtin_shuffle(inSum, fuzz, Lanes<4>::I{0, 1, 4, 5})
                                 : __builtin_shuffle(inSum, fuzz, Lanes<4>::I{2, 3, 6, 7});
  const Lanes<8>::V wide = __builtin_shufflevector(pair, pair, 0, 1, 2, 3, 4, 5, 6, 7);
  in = s % 2 == 0 ? __builtin_shuffle(wide, own, M{0, 8, 2, 10, 11, 12, 13, 14})
                  : __builtin_shuffle(wide, own, M{1, 8, 3, 10, 11, 12, 13, 14});
}

// Four input samples as the chain takes them (BrindleInputSample): lanes holding NaN or an
// infinity become 0.0, the others keep their bits.
BRINDLE_ALWAYS_INLINE void SilenceNonFinite(Lanes<4>::V& x)
{
  typedef Lanes<4>::U U;
  const Lanes<4>::V magnitude = (Lanes<4>::V)((U)x & (U{} + 0x7fffffffffffffffu));
  x = magnitude <= DBL_MAX ? x : Lanes<4>::V{};
}

// Per-lane constants, laid out so that lane vectors load straight from them.
template <int NL>
struct alignas(64) LaneConstants
{
  double b0[NL], b1[NL], b2[NL], a1[NL], a2[NL], gain[NL];
};

template <int NL>
struct alignas(64) LaneLags
{
  std::int64_t lag[NL];
};
template <int NL>
constexpr LaneLags<NL> MakeLaneLags()
{
  LaneLags<NL> t{};
  for (int g = 0; g < NL; ++g) t.lag[g] = LaneLag(g);
  return t;
}
template <int NL>
constexpr LaneLags<NL> kLaneLags = MakeLaneLags<NL>();

// Renders one block. NS is the number of stages: 12 without, 22 with the cabinet.
template <int NS, int W, typename Block>
BRINDLE_ALWAYS_INLINE void RunWavefront(AuDSP& dsp, const BrindleSettings& settings, const double* noise,
                                        const Block& block)
{
  typedef typename std::remove_pointer<decltype(block.out0)>::type Sample;
  typedef typename Lanes<W>::V V;
  typedef typename Lanes<W>::I I;
  typedef typename Lanes<W>::U U;
  typedef typename Lanes<4>::V Sum4;
  constexpr int K = kBatch;
  constexpr int NV = (NS + W - 1) / W;
  constexpr int NL = NV * W;
  constexpr bool kCabinet = NS > kBrindleFirstCabStage;
  constexpr int kFuzzSlot = 2; // the stage that reads the fuzz and mix of slot 1's output
  constexpr int kGainVector = kBrindleFirstCabStage / W;
  const std::int64_t outLag = LaneLag(NS - 1);

  // Slots into lanes, whole arrays at a time (this runs on every block); the padding lanes get
  // zero coefficients and histories.
  LaneConstants<NL> k;
  alignas(64) double sx1[NL], sx2[NL], sy1[NL], sy2[NL];
  const auto toLanes = [](double* lanes, const double* slots) __attribute__((always_inline))
  {
    __builtin_memcpy(lanes, slots, NS * sizeof(double));
    for (int g = NS; g < NL; ++g) lanes[g] = 0.0;
  };
  toLanes(k.b0, dsp.b0);
  toLanes(k.b1, dsp.b1);
  toLanes(k.b2, dsp.b2);
  toLanes(k.a1, dsp.a1);
  toLanes(k.a2, dsp.a2);
  toLanes(sx1, dsp.x1);
  toLanes(sx2, dsp.x2);
  toLanes(sy1, dsp.y1);
  toLanes(sy2, dsp.y2);
  // Slot 12 receives slot 11's output times the output gain (x * 1.0 is exact elsewhere).
  for (int g = 0; g < NL; ++g) k.gain[g] = 1.0;
  if (kCabinet) k.gain[kBrindleFirstCabStage] = settings.outputGain;
  const LaneLags<NL>& lags = kLaneLags<NL>;
  // Each lane's output of the latest batch its vector ran, one row per step: row[s][1 + g] is
  // lane g's. A lane's input is its left neighbour's output, so vector v > 0 loads its inputs
  // from row[s][v * W] on, one double to the left of its outputs, without a shuffle; vector 0
  // takes the input sum and the fuzz and mix from registers (FirstVectorInput). Rows are padded
  // to whole cache lines; zero at first so that lanes outside the block compute on harmless
  // numbers.
  constexpr int kRow = (NL + 1 + 7) / 8 * 8;
  alignas(64) double row[K][kRow] = {};
  const double drive = settings.drive;
  const double mixAmount = AuDSP::Clamp(0.5 * settings.attack, -0.5, 0.5);
  const double wet = mixAmount + 0.5, dry = 0.5 - mixAmount;
  const double gain = settings.outputGain;
  const std::int64_t frames = block.frames;
  int noiseIndex = 0;
  Sum4 slot1Pending{};

  // K steps of vector v, from step t0 on, in one of three modes. kAllInside: every lane has all
  // K samples inside [0, frames). kStepMasked: a lane's samples end inside the batch, so each step
  // keeps the state of the lanes whose sample lies outside. kBatchMasked: every lane is either
  // inside for the whole batch or outside for all of it (not started, or done); all lanes run
  // freely and only the inside ones keep their new state at the end. Lanes outside compute on
  // whatever their neighbours left in the row; only lanes outside read those outputs.
  enum Mode { kAllInside, kStepMasked, kBatchMasked };
  enum Phase { kSteady, kFill, kDrain, kEdge };
  auto runVector = [&](auto vTag, auto masked, std::int64_t t0, const Sum4& inSum, const Sum4& fuzz)
      __attribute__((always_inline))
  {
    constexpr int v = decltype(vTag)::value;
    constexpr Mode kMode = decltype(masked)::value;
    // Loaded here, once per batch, and kept in registers for its K steps. The empty asm keeps
    // the compiler from hoisting these loads out of the batch loop (it would then park them,
    // and the next vector's, in stack slots and reload them on every step).
    const LaneConstants<NL>* kk = &k;
    asm volatile("" : "+r"(kk) : : "memory");
    V b0, b1, b2, a1, a2, x1, x2, y1, y2;
    __builtin_memcpy(&b0, kk->b0 + v * W, sizeof(V));
    __builtin_memcpy(&b1, kk->b1 + v * W, sizeof(V));
    __builtin_memcpy(&b2, kk->b2 + v * W, sizeof(V));
    __builtin_memcpy(&a1, kk->a1 + v * W, sizeof(V));
    __builtin_memcpy(&a2, kk->a2 + v * W, sizeof(V));
    __builtin_memcpy(&x1, sx1 + v * W, sizeof(V));
    __builtin_memcpy(&x2, sx2 + v * W, sizeof(V));
    __builtin_memcpy(&y1, sy1 + v * W, sizeof(V));
    __builtin_memcpy(&y2, sy2 + v * W, sizeof(V));
#pragma GCC unroll 8
    for (int s = 0; s < K; ++s) {
      V in;
      if constexpr (v == 0) {
        V own;
        __builtin_memcpy(&own, row[s] + 1, sizeof(V));
        FirstVectorInput(s, own, inSum, fuzz, in);
      } else {
        __builtin_memcpy(&in, row[s] + v * W, sizeof(V));
      }
      if (kCabinet && v == kGainVector) {
        V g;
        __builtin_memcpy(&g, kk->gain + v * W, sizeof(V));
        in = in * g;
      }
      const V y = b1 * x1 + b0 * in + b2 * x2 - a1 * y1 - a2 * y2;
      const V o = y + AuDSP::kDenormalOffset;
      __builtin_memcpy(row[s] + 1 + v * W, &o, sizeof(V));
      if (kMode == kStepMasked) {
        I lag;
        __builtin_memcpy(&lag, lags.lag + v * W, sizeof(I));
        // One unsigned compare covers both ends: samples before 0 wrap to huge numbers.
        const I on = (U)(t0 + s - lag) < (std::uint64_t)frames;
        x2 = on ? x1 : x2;
        x1 = on ? in : x1;
        y2 = on ? y1 : y2;
        y1 = on ? y : y1;
      } else {
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = y;
      }
    }
    if (kMode == kBatchMasked) {
      I lag;
      __builtin_memcpy(&lag, lags.lag + v * W, sizeof(I));
      const I on = (U)(t0 - lag) < (std::uint64_t)frames;
      V old;
      __builtin_memcpy(&old, sx1 + v * W, sizeof(V));
      x1 = on ? x1 : old;
      __builtin_memcpy(&old, sx2 + v * W, sizeof(V));
      x2 = on ? x2 : old;
      __builtin_memcpy(&old, sy1 + v * W, sizeof(V));
      y1 = on ? y1 : old;
      __builtin_memcpy(&old, sy2 + v * W, sizeof(V));
      y2 = on ? y2 : old;
    }
    __builtin_memcpy(sx1 + v * W, &x1, sizeof(V));
    __builtin_memcpy(sx2 + v * W, &x2, sizeof(V));
    __builtin_memcpy(sy1 + v * W, &y1, sizeof(V));
    __builtin_memcpy(sy2 + v * W, &y2, sizeof(V));
  };

  // One batch from step t0, in one of four phases. kSteady: every lane of every vector has its
  // sample inside the block. kFill: the batch's input lies inside the block and no output is due
  // yet. kDrain: the input has ended and every step delivers an output. kEdge: anything else
  // (short blocks, a batch across the input's end); there vectors are checked for lanes outside
  // the block and only the samples inside are read and written.
  auto runBatch = [&](std::int64_t t0, auto phaseTag) __attribute__((always_inline))
  {
    constexpr Phase kPhase = decltype(phaseTag)::value;
    constexpr bool kChecked = kPhase != kSteady;
    // The input sum (with the noise floor) for the batch's steps, zero past the block. Inside
    // the block t0 and the noise index are multiples of 4 (the table's length is too), so the
    // sums go four at a time. Once the input has ended, lane 0 is outside the block and nothing
    // reads its input.
    Sum4 inSum{};
    if (kPhase == kSteady || kPhase == kFill) {
      Sum4 a, b, n;
      __builtin_memcpy(&a, block.in0 + t0, sizeof(Sum4));
      __builtin_memcpy(&b, block.in1 + t0, sizeof(Sum4));
      __builtin_memcpy(&n, noise + noiseIndex, sizeof(Sum4));
      SilenceNonFinite(a);
      SilenceNonFinite(b);
      inSum = a + b + n;
      noiseIndex += 4;
      if (noiseIndex == kBrindleNoiseTableSize) noiseIndex = 0; // blocks longer than the table reuse it from the start
    } else if (kPhase == kEdge) {
#pragma GCC unroll 8
      for (int s = 0; s < K; ++s) {
        const std::int64_t t = t0 + s;
        if (t < frames) {
          inSum[s] = BrindleInputSample(block.in0[t]) + BrindleInputSample(block.in1[t]) + noise[noiseIndex];
          if (++noiseIndex == kBrindleNoiseTableSize) noiseIndex = 0;
        }
      }
    }
    // Fuzz and mix of slot 1's outputs of two batches before, for slot 2 in this one; those of
    // the batch before wait in slot1Pending. Taking them straight from the batch before would
    // put the shaper's latency on a chain running through every batch (slot 1, shaper, slot 2,
    // slot 1 of the next batch) that then sets the pace of the whole wavefront.
    // Once slot 2 has finished the block (most of the drain) nothing reads them.
    Sum4 fuzz{};
    if (kPhase != kDrain || t0 < frames + LaneLag(kFuzzSlot)) {
      Sum4 slot1;
#pragma GCC unroll 8
      for (int s = 0; s < K; ++s) slot1[s] = row[s][kFuzzSlot];
      FuzzAndMix(slot1Pending, drive, wet, dry, fuzz);
      slot1Pending = slot1;
    }

    Descending<NV>::Run([&](auto vTag) __attribute__((always_inline)) {
      constexpr int v = decltype(vTag)::value;
      constexpr std::integral_constant<Mode, kAllInside> allInside{};
      if (!kChecked) {
        runVector(vTag, allInside, t0, inSum, fuzz);
        return;
      }
      constexpr int kFirst = v * W;
      constexpr int kLast = v * W + W - 1 < NS - 1 ? v * W + W - 1 : NS - 1;
      // A lane is inside the block while 0 <= t - lag < frames.
      const std::int64_t firstLag = LaneLag(kFirst), lastLag = LaneLag(kLast);
      if (t0 + K <= firstLag || t0 >= frames + lastLag) return; // no lane of this vector has a sample in the batch
      if ((kPhase == kDrain || t0 >= lastLag) && (kPhase == kFill || t0 + K <= frames + firstLag))
        runVector(vTag, allInside, t0, inSum, fuzz);
      else if (kPhase != kFill && frames % K != 0 && t0 - frames < lastLag && firstLag < t0 - frames + K)
        runVector(vTag, std::integral_constant<Mode, kStepMasked>{}, t0, inSum, fuzz); // a lane ends in the batch
      else
        runVector(vTag, std::integral_constant<Mode, kBatchMasked>{}, t0, inSum, fuzz);
    });

    // The last stage finished samples t0 - outLag .. t0 + K - 1 - outLag.
    if (kPhase == kFill) return;
    if (kPhase == kSteady || kPhase == kDrain) {
      Sum4 result;
#pragma GCC unroll 8
      for (int s = 0; s < K; ++s) result[s] = row[s][NS];
      if (!kCabinet) result = result * gain; // without the cabinet the gain is the chain's last step
      StoreFour(block.out0 + (t0 - outLag), block.out1 + (t0 - outLag), result);
      return;
    }
#pragma GCC unroll 8
    for (int s = 0; s < K; ++s) {
      const std::int64_t n = t0 + s - outLag;
      if (n >= 0 && n < frames) {
        double result = row[s][NS];
        if (!kCabinet) result = result * gain;
        block.out1[n] = static_cast<Sample>(result);
        block.out0[n] = static_cast<Sample>(result);
      }
    }
  };

  // Batches in which every lane of every vector has its sample inside the block need no checks:
  // from the batch where the last stage starts (outLag, a multiple of K) until the input ends.
  // outLag is a multiple of K; so is t0.
  const std::int64_t steps = frames + outLag;
  std::int64_t t0 = 0;
  for (; t0 < outLag && t0 + K <= frames; t0 += K) runBatch(t0, std::integral_constant<Phase, kFill>{});
  for (; t0 < outLag && t0 < steps; t0 += K) runBatch(t0, std::integral_constant<Phase, kEdge>{});
  for (; t0 + K <= frames; t0 += K) runBatch(t0, std::integral_constant<Phase, kSteady>{});
  for (; t0 < frames; t0 += K) runBatch(t0, std::integral_constant<Phase, kEdge>{});
  for (; t0 + K <= steps; t0 += K) runBatch(t0, std::integral_constant<Phase, kDrain>{});
  for (; t0 < steps; t0 += K) runBatch(t0, std::integral_constant<Phase, kEdge>{});

  // The histories go back settled, lane by lane as BrindleSettleHistories settles a slot: all four
  // cleared if any is not finite, the outputs' cleared if both have faded below the normal range.
  for (int v = 0; v < NV; ++v) {
    V x1, x2, y1, y2;
    __builtin_memcpy(&x1, sx1 + v * W, sizeof(V));
    __builtin_memcpy(&x2, sx2 + v * W, sizeof(V));
    __builtin_memcpy(&y1, sy1 + v * W, sizeof(V));
    __builtin_memcpy(&y2, sy2 + v * W, sizeof(V));
    const U magnitude = U{} + 0x7fffffffffffffffu;
    const V ax1 = (V)((U)x1 & magnitude), ax2 = (V)((U)x2 & magnitude);
    const V ay1 = (V)((U)y1 & magnitude), ay2 = (V)((U)y2 & magnitude);
    const I finite = (ax1 <= DBL_MAX) & (ax2 <= DBL_MAX) & (ay1 <= DBL_MAX) & (ay2 <= DBL_MAX);
    const I keepOutputs = finite & ~((ay1 < DBL_MIN) & (ay2 < DBL_MIN));
    const V zero{};
    x1 = finite ? x1 : zero;
    x2 = finite ? x2 : zero;
    y1 = keepOutputs ? y1 : zero;
    y2 = keepOutputs ? y2 : zero;
    __builtin_memcpy(sx1 + v * W, &x1, sizeof(V));
    __builtin_memcpy(sx2 + v * W, &x2, sizeof(V));
    __builtin_memcpy(sy1 + v * W, &y1, sizeof(V));
    __builtin_memcpy(sy2 + v * W, &y2, sizeof(V));
  }
  __builtin_memcpy(dsp.x1, sx1, NS * sizeof(double));
  __builtin_memcpy(dsp.x2, sx2, NS * sizeof(double));
  __builtin_memcpy(dsp.y1, sy1, NS * sizeof(double));
  __builtin_memcpy(dsp.y2, sy2, NS * sizeof(double));
  // Slots this chain skipped (the cabinet's, when it is off) are settled as the plain loop would.
  if (NS < kBrindleNumStages) BrindleSettleHistories(dsp);
}

} // namespace brindle_wavefront

#undef BRINDLE_ALWAYS_INLINE // the kernel's own; includers need not see it
