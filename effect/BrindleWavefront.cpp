// Fast block renderer for the Brindle chain: a wavefront across the filter cascade.
//
// The plain loop runs each sample through 22 biquads in turn, so every stage waits for the one
// before it. Here the stages sit in the lanes of short vectors (slot g in lane g) and each lane
// works on a different sample: at step t, lane g processes sample t - d_g, where d_g grows by
// kDelta per lane. A lane's input is the output its left neighbour produced kDelta steps earlier,
// moved one lane up by a shuffle. Every stage still sees its samples in order and performs exactly
// the arithmetic of AuDSP::biquadFilterProcess (same operations, same order, no contraction), so
// the output is bit-identical to BrindleProcessPlain; only the order in which (stage, sample)
// pairs are visited changes, letting the independent recurrences of 22 stages overlap.
//
// The memoryless parts ride along: the input sum enters lane 0; slot 1's outputs are collected
// for W steps and run through fuzz and mix as one vector, whose results enter lane 2 (so slot 2
// lags slot 1 by W steps instead of kDelta); the output gain is a multiplier vector that is 1.0
// in every lane but slot 12's input (x * 1.0 is exact). The first and last steps of a block are
// the pipeline's fill and drain: lanes whose sample lies outside the block keep their state
// through a lane mask. Filter histories live in AuDSP between blocks; the kernel loads them into
// lanes and stores them back, so no latency is added and plain and fast calls mix freely.
//
// W is 8 with AVX-512 and 4 with AVX2; the portable build uses W = 4 generic vectors, which the
// compiler lowers to SSE2 or scalar code.
#include "effect/BrindleChain.h"

#include <cstdint>
#include <type_traits>
#include <utility>

namespace {

#define BRINDLE_ALWAYS_INLINE inline __attribute__((always_inline))

// Steps between neighbouring lanes: a lane's input path (shuffle, multiply, four adds, offset)
// takes about twice as long as one step, so each lane reads its neighbour's output from two
// steps back and never waits for it.
constexpr int kDelta = 2;
// Below this many frames the fill and drain cost more than the plain loop.
constexpr int kMinWavefrontFrames = 32;

template <int W>
struct Lanes;
template <>
struct Lanes<4> {
    typedef double V __attribute__((vector_size(32)));
    typedef std::int64_t I __attribute__((vector_size(32)));
    typedef std::uint64_t U __attribute__((vector_size(32)));
    // {a[3], b[0], b[1], b[2]}: b moved up one lane, a's top lane entering at the bottom.
    static BRINDLE_ALWAYS_INLINE void ShiftIn(const V& a, const V& b, V& out)
    {
        out = __builtin_shuffle(a, b, I{3, 4, 5, 6});
    }
};
template <>
struct Lanes<8> {
    typedef double V __attribute__((vector_size(64)));
    typedef std::int64_t I __attribute__((vector_size(64)));
    typedef std::uint64_t U __attribute__((vector_size(64)));
    static BRINDLE_ALWAYS_INLINE void ShiftIn(const V& a, const V& b, V& out)
    {
        out = __builtin_shuffle(a, b, I{7, 8, 9, 10, 11, 12, 13, 14});
    }
};

// fuzzdrive3 followed by xmix on every lane, written with lane selects; the operations and their
// order are AuDSP's, so each lane rounds exactly as the scalar shaper does.
template <typename V>
BRINDLE_ALWAYS_INLINE void FuzzAndMix(const V& b, double drive, double wetWeight, double dryWeight, V& out)
{
    const V zero{};
    const V x = b * drive;
    const V e = x < zero ? -x : x;
    const V level = zero + kBrindleFuzzLevel;
    const V curve = (1.0 - e / 0.4) * x * kBrindleFuzzLevel * 10.0;
    const V flat = x >= zero ? level : -level;
    const V f = e < 0.2 ? curve : flat;
    const V h = f < zero ? zero : (f > 0.3 ? zero + 0.3 : f);
    const V fz = x > -0.2 ? h - 0.2 : h + 0.02;
    out = wetWeight * fz + dryWeight * (2.0 * b);
}

// Calls f(integral_constant<int, 0>) ... f(integral_constant<int, N - 1>) in order.
template <int N>
struct Batch {
    template <typename F, int... P>
    static BRINDLE_ALWAYS_INLINE void Each(F&& f, std::integer_sequence<int, P...>)
    {
        (f(std::integral_constant<int, P>{}), ...);
    }
    template <typename F>
    static BRINDLE_ALWAYS_INLINE void Run(F&& f)
    {
        Each(f, std::make_integer_sequence<int, N>{});
    }
};

// Per-lane constants, laid out so that lane vectors load straight from them.
template <int NL>
struct alignas(64) LaneConstants {
    double b0[NL], b1[NL], b2[NL], a1[NL], a2[NL], gain[NL];
    std::int64_t lag[NL];
};

// Renders one block. NS is the number of stages: 12 without, 22 with the cabinet.
template <int NS, int W>
BRINDLE_ALWAYS_INLINE void RunWavefront(AuDSP& dsp, const BrindleSettings& settings,
                                        const double* noise, const BrindleBlock& block)
{
    typedef typename Lanes<W>::V V;
    typedef typename Lanes<W>::I I;
    typedef typename Lanes<W>::U U;
    constexpr int NV = (NS + W - 1) / W;
    constexpr int NL = NV * W;
    constexpr bool kCabinet = NS > kBrindleFirstCabStage;
    constexpr int kFuzzSlot = 2; // the stage that reads the fuzz and mix of slot 1's output
    constexpr int kFuzzVector = kFuzzSlot / W, kFuzzLane = kFuzzSlot % W;
    constexpr int kGainVector = kBrindleFirstCabStage / W;
    constexpr int kFuzzLag = W - kDelta;
    static_assert(kFuzzLag >= 0, "vectors narrower than the lane step");
    // Sample lag of a lane: kDelta per stage, plus kFuzzLag between slots 1 and 2.
    auto lagOf = [](int g) { return g * kDelta + (g >= kFuzzSlot ? kFuzzLag : 0); };
    const std::int64_t outLag = lagOf(NS - 1);
    constexpr int kLastVector = (NS - 1) / W;
    constexpr int kLastLane = (NS - 1) % W;
    constexpr int kRing = 2 * W; // fuzz results by step: the batch being read and the next

    LaneConstants<NL> k;
    alignas(64) double sx1[NL], sx2[NL], sy1[NL], sy2[NL];
    for (int g = 0; g < NL; ++g) {
        const bool real = g < NS;
        const int slot = real ? g : 0;
        k.b0[g] = real ? dsp.b0[slot] : 0.0;
        k.b1[g] = real ? dsp.b1[slot] : 0.0;
        k.b2[g] = real ? dsp.b2[slot] : 0.0;
        k.a1[g] = real ? dsp.a1[slot] : 0.0;
        k.a2[g] = real ? dsp.a2[slot] : 0.0;
        // Slot 12 receives slot 11's output times the output gain (x * 1.0 is exact elsewhere).
        k.gain[g] = (kCabinet && g == kBrindleFirstCabStage) ? settings.outputGain : 1.0;
        k.lag[g] = lagOf(g);
        sx1[g] = real ? dsp.x1[slot] : 0.0;
        sx2[g] = real ? dsp.x2[slot] : 0.0;
        sy1[g] = real ? dsp.y1[slot] : 0.0;
        sy2[g] = real ? dsp.y2[slot] : 0.0;
    }
    V x1[NV], x2[NV], y1[NV], y2[NV], hist[kDelta][NV];
#pragma GCC unroll 8
    for (int v = 0; v < NV; ++v) {
        __builtin_memcpy(&x1[v], sx1 + v * W, sizeof(V));
        __builtin_memcpy(&x2[v], sx2 + v * W, sizeof(V));
        __builtin_memcpy(&y1[v], sy1 + v * W, sizeof(V));
        __builtin_memcpy(&y2[v], sy2 + v * W, sizeof(V));
#pragma GCC unroll 4
        for (int h = 0; h < kDelta; ++h)
            hist[h][v] = V{};
    }
    alignas(64) double fuzzIn[W] = {};      // slot 1's outputs of the current batch of steps
    alignas(64) double fuzzRing[kRing] = {}; // fuzz and mix results by step
    const double drive = settings.drive;
    const double mixAmount = AuDSP::Clamp(0.5 * settings.attack, -0.5, 0.5);
    const double wet = mixAmount + 0.5, dry = 0.5 - mixAmount;
    const double gain = settings.outputGain;
    const std::int64_t frames = block.frames;

    // One wavefront step. Masked: lanes whose sample lies outside [0, frames) keep their state
    // (pipeline fill and drain); unmasked: every lane is known to be inside.
    // kPhase is t mod W when known at compile time, else -1.
    auto step = [&](std::int64_t t, double input, auto masked, auto phaseTag) __attribute__((always_inline)) {
        constexpr bool kMasked = decltype(masked)::value;
        constexpr int kPhase = decltype(phaseTag)::value;
        V o[NV];
#pragma GCC unroll 8
        for (int v = 0; v < NV; ++v) {
            V in;
            Lanes<W>::ShiftIn(hist[kDelta - 1][v == 0 ? 0 : v - 1], hist[kDelta - 1][v], in);
            if (v == 0)
                in[0] = input;
            if (v == kFuzzVector)
                in[kFuzzLane] = fuzzRing[(t - kDelta - kFuzzLag) & (kRing - 1)];
            if (kCabinet && v == kGainVector) {
                V g;
                __builtin_memcpy(&g, k.gain + v * W, sizeof(V));
                in = in * g;
            }
            V b0, b1, b2, a1, a2;
            __builtin_memcpy(&b0, k.b0 + v * W, sizeof(V));
            __builtin_memcpy(&b1, k.b1 + v * W, sizeof(V));
            __builtin_memcpy(&b2, k.b2 + v * W, sizeof(V));
            __builtin_memcpy(&a1, k.a1 + v * W, sizeof(V));
            __builtin_memcpy(&a2, k.a2 + v * W, sizeof(V));
            const V y = b1 * x1[v] + b0 * in + b2 * x2[v] - a1 * y1[v] - a2 * y2[v];
            o[v] = y + AuDSP::kDenormalOffset;
            if (kMasked) {
                I lag;
                __builtin_memcpy(&lag, k.lag + v * W, sizeof(I));
                // One unsigned compare covers both ends: samples before 0 wrap to huge numbers.
                const I on = (U)(t - lag) < (std::uint64_t)frames;
                x2[v] = on ? x1[v] : x2[v];
                x1[v] = on ? in : x1[v];
                y2[v] = on ? y1[v] : y2[v];
                y1[v] = on ? y : y1[v];
            } else {
                x2[v] = x1[v];
                x1[v] = in;
                y2[v] = y1[v];
                y1[v] = y;
            }
        }
#pragma GCC unroll 8
        for (int v = 0; v < NV; ++v) {
#pragma GCC unroll 4
            for (int h = kDelta - 1; h > 0; --h)
                hist[h][v] = hist[h - 1][v];
            hist[0][v] = o[v];
        }

        // Fuzz and mix of slot 1's output, W steps at a time in the lanes of one vector; slot 2
        // reads a result only once its whole batch is done (kDelta + kFuzzLag = W steps later).
        const int phase = kPhase >= 0 ? kPhase : static_cast<int>(t & (W - 1));
        fuzzIn[phase] = o[(kFuzzSlot - 1) / W][(kFuzzSlot - 1) % W];
        if (phase == W - 1) {
            V b, mixed;
            __builtin_memcpy(&b, fuzzIn, sizeof(V));
            FuzzAndMix(b, drive, wet, dry, mixed);
            __builtin_memcpy(fuzzRing + ((t - (W - 1)) & (kRing - 1)), &mixed, sizeof(V));
        }

        // The last stage finishes sample t - outLag.
        const std::int64_t n = t - outLag;
        if (!kMasked || (n >= 0 && n < frames)) {
            double result = o[kLastVector][kLastLane];
            if (!kCabinet)
                result = result * gain; // without the cabinet the gain is the chain's last step
            block.out1[n] = result;
            block.out0[n] = result;
        }
    };

    // The steady loop runs whole batches of W steps, so it starts at a multiple of W.
    const std::int64_t firstFull = (outLag + W - 1) / W * W;
    const std::int64_t steadyBegin = firstFull < frames ? firstFull : frames;
    int noiseIndex = 0;
    std::int64_t t = 0;
    auto input = [&](std::int64_t i) __attribute__((always_inline)) {
        const double x = block.in0[i] + block.in1[i] + noise[noiseIndex];
        if (++noiseIndex == kBrindleNoiseTableSize)
            noiseIndex = 0; // blocks longer than the table reuse it from the start
        return x;
    };
    using Unknown = std::integral_constant<int, -1>;
    for (; t < steadyBegin; ++t)
        step(t, input(t), std::true_type{}, Unknown{});
    for (; t + W <= frames; t += W)
        Batch<W>::Run([&](auto phase) __attribute__((always_inline)) { step(t + phase, input(t + phase), std::false_type{}, phase); });
    for (; t < frames; ++t)
        step(t, input(t), std::false_type{}, Unknown{});
    for (; t < frames + outLag; ++t)
        step(t, 0.0, std::true_type{}, Unknown{});

#pragma GCC unroll 8
    for (int v = 0; v < NV; ++v) {
        __builtin_memcpy(sx1 + v * W, &x1[v], sizeof(V));
        __builtin_memcpy(sx2 + v * W, &x2[v], sizeof(V));
        __builtin_memcpy(sy1 + v * W, &y1[v], sizeof(V));
        __builtin_memcpy(sy2 + v * W, &y2[v], sizeof(V));
    }
    for (int g = 0; g < NS; ++g) {
        dsp.x1[g] = sx1[g];
        dsp.x2[g] = sx2[g];
        dsp.y1[g] = sy1[g];
        dsp.y2[g] = sy2[g];
    }
}

void PassThroughSum(const BrindleBlock& block)
{
    for (int i = 0; i < block.frames; ++i) {
        const double s = block.in0[i] + block.in1[i];
        block.out1[i] = s;
        block.out0[i] = s;
    }
}

} // namespace

#if defined(__x86_64__) || defined(__i386__)
namespace {
// The same source for wider registers. No FMA is enabled and contraction is off, so every
// operation rounds exactly as in the portable build: the output does not depend on the CPU.
__attribute__((target("avx2"))) void RenderAvx2(AuDSP& dsp, const BrindleSettings& s,
                                                const double* noise, const BrindleBlock& b)
{
    if (s.cabinetOn)
        RunWavefront<22, 4>(dsp, s, noise, b);
    else
        RunWavefront<12, 4>(dsp, s, noise, b);
}

__attribute__((target("avx512f,avx512dq,avx512vl,avx512bw"))) void RenderAvx512(
    AuDSP& dsp, const BrindleSettings& s, const double* noise, const BrindleBlock& b)
{
    if (s.cabinetOn)
        RunWavefront<22, 8>(dsp, s, noise, b);
    else
        RunWavefront<12, 8>(dsp, s, noise, b);
}
} // namespace
#endif

namespace {
void RenderPortable(AuDSP& dsp, const BrindleSettings& s, const double* noise, const BrindleBlock& b)
{
    if (s.cabinetOn)
        RunWavefront<22, 4>(dsp, s, noise, b);
    else
        RunWavefront<12, 4>(dsp, s, noise, b);
}
} // namespace

bool BrindleKernelAvailable(BrindleKernel kernel)
{
    switch (kernel) {
    case BrindleKernel::kPlain:
    case BrindleKernel::kPortable:
        return true;
#if defined(__x86_64__) || defined(__i386__)
    case BrindleKernel::kAvx2:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
    case BrindleKernel::kAvx512:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
#endif
    default:
        return false;
    }
}

BrindleKernel BrindleFastKernel()
{
    // The portable build of the wavefront is kept for its proof of bit-identity on any target, but
    // with only 16 narrow registers it spills and loses to the plain loop, which is used instead.
    static const BrindleKernel best = BrindleKernelAvailable(BrindleKernel::kAvx512) ? BrindleKernel::kAvx512
                                      : BrindleKernelAvailable(BrindleKernel::kAvx2) ? BrindleKernel::kAvx2
                                                                                    : BrindleKernel::kPlain;
    return best;
}

namespace {
// Runs a kernel the caller has already found this CPU able to run.
void RunKernel(BrindleKernel kernel, AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
               const BrindleBlock& block)
{
    if (block.frames <= 0)
        return;
    if (!settings.effectOn) {
        PassThroughSum(block);
        return;
    }
    switch (kernel) {
    case BrindleKernel::kPortable:
        RenderPortable(dsp, settings, noiseTable, block);
        break;
#if defined(__x86_64__) || defined(__i386__)
    case BrindleKernel::kAvx2:
        RenderAvx2(dsp, settings, noiseTable, block);
        break;
    case BrindleKernel::kAvx512:
        RenderAvx512(dsp, settings, noiseTable, block);
        break;
#endif
    default:
        BrindleProcessPlain(dsp, settings, noiseTable, block); // settles its own histories
        return;
    }
    BrindleSettleHistories(dsp);
}
} // namespace

bool BrindleProcessWithKernel(BrindleKernel kernel, AuDSP& dsp, const BrindleSettings& settings,
                              const double* noiseTable, const BrindleBlock& block)
{
    if (!BrindleKernelAvailable(kernel))
        return false;
    RunKernel(kernel, dsp, settings, noiseTable, block);
    return true;
}

void BrindleProcessFast(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                        const BrindleBlock& block)
{
    // Filling and draining the wavefront costs about as much as forty plain samples, so short
    // blocks go through the plain loop (same bits either way). BrindleFastKernel has checked the
    // CPU once; the render path does not ask again.
    const BrindleKernel kernel = block.frames < kMinWavefrontFrames ? BrindleKernel::kPlain : BrindleFastKernel();
    RunKernel(kernel, dsp, settings, noiseTable, block);
}
