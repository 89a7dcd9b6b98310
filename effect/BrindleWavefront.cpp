// Fast block renderer for the Brindle chain: a wavefront across the filter cascade.
//
// The plain loop runs each sample through 22 biquads in turn, so every stage waits for the one
// before it. Here the stages sit in the lanes of short vectors and each lane works on a different
// sample: at step t, the stage in lane j processes sample t - d_j, where d_j grows by DELTA per
// lane. A lane's input is the output its left neighbour produced DELTA steps earlier, moved one
// lane up by a shuffle. Every stage still sees its samples in order and performs exactly the
// arithmetic of AuDSP::biquadFilterProcess (same operations, same order, no contraction), so the
// output is bit-identical to BrindleProcessPlain; only the order in which (stage, sample) pairs
// are visited changes, letting independent recurrences overlap.
//
// Layout: slots 0 and 1 (input band limit) form a two-lane front; the fuzz and mix run on the
// front's second lane in scalar-equivalent vector code and feed, D steps later, the first lane of
// the back cascade (slots 2..11, plus slots 12..21 when the cabinet is on) in four-lane vectors.
// The output gain enters as a multiplier vector that is 1.0 in every lane but slot 12's input
// (x * 1.0 is exact). The first and last dOut steps of a block are the pipeline's fill and
// drain: lanes whose sample lies outside the block keep their state through a lane mask. Filter
// histories live in AuDSP between blocks; the kernel loads them into lanes and stores them back,
// so no latency is added and plain and fast calls can be mixed freely.
#include "effect/BrindleChain.h"

#include <cstdint>

namespace {

typedef double V2 __attribute__((vector_size(16)));
typedef std::int64_t I2 __attribute__((vector_size(16)));
typedef double V4 __attribute__((vector_size(32)));
typedef std::int64_t I4 __attribute__((vector_size(32)));

#define BRINDLE_ALWAYS_INLINE inline __attribute__((always_inline))

constexpr int kDelta = 2;   // steps between neighbouring lanes: hides the shuffle-and-filter latency
constexpr int kFuzzLag = 1; // extra steps between the front and the back for the fuzz

// fuzzdrive3 followed by xmix, written with lane selects; identical operations to AuDSP's.
BRINDLE_ALWAYS_INLINE V2 FuzzAndMix(const V2& b, double drive, double wetWeight, double dryWeight)
{
    const V2 x = b * drive;
    const V2 zero = {0.0, 0.0};
    const V2 e = x < zero ? -x : x;
    const V2 level = {kBrindleFuzzLevel, kBrindleFuzzLevel};
    const V2 curve = (1.0 - e / 0.4) * x * kBrindleFuzzLevel * 10.0;
    const V2 flat = x >= zero ? level : -level;
    const V2 f = e < 0.2 ? curve : flat;
    const V2 h = f < zero ? zero : (f > 0.3 ? V2{0.3, 0.3} : f);
    const V2 fz = x > -0.2 ? h - 0.2 : h + 0.02;
    return wetWeight * fz + dryWeight * (2.0 * b);
}

template <int NS, bool Masked>
struct Step;

// All lane state of one block. NS is the number of back-cascade stages (10 or 20).
template <int NS>
struct Wavefront {
    static constexpr int NV = (NS + 3) / 4;
    static constexpr int kBackLag = kDelta + kFuzzLag;            // sample lag of slot 2
    static constexpr int kOutLag = kBackLag + (NS - 1) * kDelta; // sample lag of the last stage
    static constexpr int kLastVector = (NS - 1) / 4;
    static constexpr int kLastLane = (NS - 1) % 4;

    // front: slots 0 and 1
    V2 fb0, fb1, fb2, fa1, fa2, fx1, fx2, fy1, fy2;
    V2 fOut[kDelta];
    I2 fLag;
    // back: slot 2 + lane
    V4 b0[NV], b1[NV], b2[NV], a1[NV], a2[NV], x1[NV], x2[NV], y1[NV], y2[NV];
    V4 out[kDelta][NV];
    I4 lag[NV];
    V4 gainLanes[NV];
    double fuzzQueue[kFuzzLag];

    double drive, wetWeight, dryWeight, gain;

    BRINDLE_ALWAYS_INLINE void Load(const AuDSP& d, const BrindleSettings& s, bool cabinet)
    {
        fb0 = V2{d.b0[0], d.b0[1]};
        fb1 = V2{d.b1[0], d.b1[1]};
        fb2 = V2{d.b2[0], d.b2[1]};
        fa1 = V2{d.a1[0], d.a1[1]};
        fa2 = V2{d.a2[0], d.a2[1]};
        fx1 = V2{d.x1[0], d.x1[1]};
        fx2 = V2{d.x2[0], d.x2[1]};
        fy1 = V2{d.y1[0], d.y1[1]};
        fy2 = V2{d.y2[0], d.y2[1]};
        fLag = I2{0, kDelta};
        for (int k = 0; k < kDelta; ++k)
            fOut[k] = V2{0.0, 0.0};
        for (int v = 0; v < NV; ++v) {
            for (int l = 0; l < 4; ++l) {
                const int g = 4 * v + l;
                const bool real = g < NS;
                const int slot = 2 + g;
                b0[v][l] = real ? d.b0[slot] : 0.0;
                b1[v][l] = real ? d.b1[slot] : 0.0;
                b2[v][l] = real ? d.b2[slot] : 0.0;
                a1[v][l] = real ? d.a1[slot] : 0.0;
                a2[v][l] = real ? d.a2[slot] : 0.0;
                x1[v][l] = real ? d.x1[slot] : 0.0;
                x2[v][l] = real ? d.x2[slot] : 0.0;
                y1[v][l] = real ? d.y1[slot] : 0.0;
                y2[v][l] = real ? d.y2[slot] : 0.0;
                lag[v][l] = kBackLag + g * kDelta;
                // Slot 12 (back lane 10) receives slot 11's output times the output gain.
                gainLanes[v][l] = (cabinet && slot == kBrindleFirstCabStage) ? s.outputGain : 1.0;
            }
            for (int k = 0; k < kDelta; ++k)
                out[k][v] = V4{0.0, 0.0, 0.0, 0.0};
        }
        for (int k = 0; k < kFuzzLag; ++k)
            fuzzQueue[k] = 0.0;
        drive = s.drive;
        const double m = AuDSP::Clamp(0.5 * s.attack, -0.5, 0.5);
        wetWeight = m + 0.5;
        dryWeight = 0.5 - m;
        gain = s.outputGain;
    }

    BRINDLE_ALWAYS_INLINE void Store(AuDSP& d) const
    {
        for (int l = 0; l < 2; ++l) {
            d.x1[l] = fx1[l];
            d.x2[l] = fx2[l];
            d.y1[l] = fy1[l];
            d.y2[l] = fy2[l];
        }
        for (int g = 0; g < NS; ++g) {
            const int v = g / 4, l = g % 4, slot = 2 + g;
            d.x1[slot] = x1[v][l];
            d.x2[slot] = x2[v][l];
            d.y1[slot] = y1[v][l];
            d.y2[slot] = y2[v][l];
        }
    }

    // One wavefront step. With Masked, lanes whose sample lies outside [0, frames) keep their
    // state (fill and drain); without, every lane is known to be inside.
    template <bool Masked>
    BRINDLE_ALWAYS_INLINE void Run(std::int64_t t, double input, std::int64_t frames,
                                   const BrindleBlock& block)
    {
        // Front: slot 0 on sample t, slot 1 on sample t - kDelta.
        const V2 fin = {input, fOut[kDelta - 1][0]};
        const V2 fy = fb1 * fx1 + fb0 * fin + fb2 * fx2 - fa1 * fy1 - fa2 * fy2;
        const V2 fo = fy + AuDSP::kDenormalOffset;
        if (Masked) {
            const I2 s = t - fLag;
            const I2 on = (s >= 0) & (s < frames);
            fx2 = on ? fx1 : fx2;
            fx1 = on ? fin : fx1;
            fy2 = on ? fy1 : fy2;
            fy1 = on ? fy : fy1;
        } else {
            fx2 = fx1;
            fx1 = fin;
            fy2 = fy1;
            fy1 = fy;
        }
        for (int k = kDelta - 1; k > 0; --k)
            fOut[k] = fOut[k - 1];
        fOut[0] = fo;

        // Fuzz and mix of slot 1's output; the back reads it kFuzzLag steps later.
        const V2 bb = {fo[1], fo[1]};
        const V2 mixed = FuzzAndMix(bb, drive, wetWeight, dryWeight);
        const double backIn = fuzzQueue[kFuzzLag - 1];
        for (int k = kFuzzLag - 1; k > 0; --k)
            fuzzQueue[k] = fuzzQueue[k - 1];
        fuzzQueue[0] = mixed[0];

        // Back cascade.
        V4 in[NV];
        const V4 head = {backIn, backIn, backIn, backIn};
        in[0] = __builtin_shuffle(head, out[kDelta - 1][0], I4{3, 4, 5, 6});
#pragma GCC unroll 8
        for (int v = 1; v < NV; ++v)
            in[v] = __builtin_shuffle(out[kDelta - 1][v - 1], out[kDelta - 1][v], I4{3, 4, 5, 6});
        if (NS > 12)
            in[2] = in[2] * gainLanes[2];
        V4 o[NV];
#pragma GCC unroll 8
        for (int v = 0; v < NV; ++v) {
            const V4 y = b1[v] * x1[v] + b0[v] * in[v] + b2[v] * x2[v] - a1[v] * y1[v] - a2[v] * y2[v];
            o[v] = y + AuDSP::kDenormalOffset;
            if (Masked) {
                const I4 s = t - lag[v];
                const I4 on = (s >= 0) & (s < frames);
                x2[v] = on ? x1[v] : x2[v];
                x1[v] = on ? in[v] : x1[v];
                y2[v] = on ? y1[v] : y2[v];
                y1[v] = on ? y : y1[v];
            } else {
                x2[v] = x1[v];
                x1[v] = in[v];
                y2[v] = y1[v];
                y1[v] = y;
            }
        }
#pragma GCC unroll 8
        for (int v = 0; v < NV; ++v) {
            for (int k = kDelta - 1; k > 0; --k)
                out[k][v] = out[k - 1][v];
            out[0][v] = o[v];
        }

        // The last stage finishes sample t - kOutLag.
        const std::int64_t n = t - kOutLag;
        if (!Masked || (n >= 0 && n < frames)) {
            double result = o[kLastVector][kLastLane];
            if (NS <= 12)
                result = result * gain; // no cabinet: the gain is the chain's last operation
            block.out1[n] = result;
            block.out0[n] = result;
        }
    }
};

template <int NS>
BRINDLE_ALWAYS_INLINE void RunWavefront(AuDSP& dsp, const BrindleSettings& settings,
                                        const double* noise, const BrindleBlock& block)
{
    Wavefront<NS> w;
    w.Load(dsp, settings, NS > 12);
    const std::int64_t frames = block.frames;
    const std::int64_t lag = Wavefront<NS>::kOutLag;
    const std::int64_t steadyBegin = lag < frames ? lag : frames;
    const std::int64_t steadyEnd = frames;
    int noiseIndex = 0;
    auto input = [&](std::int64_t t) {
        const double x = block.in0[t] + block.in1[t] + noise[noiseIndex];
        if (++noiseIndex == kBrindleNoiseTableSize)
            noiseIndex = 0;
        return x;
    };
    std::int64_t t = 0;
    for (; t < steadyBegin; ++t)
        w.template Run<true>(t, input(t), frames, block);
    for (; t < steadyEnd; ++t)
        w.template Run<false>(t, input(t), frames, block);
    for (; t < frames + lag; ++t)
        w.template Run<true>(t, 0.0, frames, block);
    w.Store(dsp);
}

void PassThroughSum(const BrindleBlock& block)
{
    for (int i = 0; i < block.frames; ++i) {
        const double s = block.in0[i] + block.in1[i];
        block.out1[i] = s;
        block.out0[i] = s;
    }
}

void RenderGeneric(AuDSP& dsp, const BrindleSettings& s, const double* noise, const BrindleBlock& b)
{
    if (s.cabinetOn)
        RunWavefront<20>(dsp, s, noise, b);
    else
        RunWavefront<10>(dsp, s, noise, b);
}

#if defined(__x86_64__) || defined(__i386__)
// Same source, compiled for 256-bit registers. No FMA is enabled, so every operation rounds
// exactly as in the generic build and the result does not depend on the CPU.
__attribute__((target("avx2"))) void RenderAvx2(AuDSP& dsp, const BrindleSettings& s,
                                                const double* noise, const BrindleBlock& b)
{
    if (s.cabinetOn)
        RunWavefront<20>(dsp, s, noise, b);
    else
        RunWavefront<10>(dsp, s, noise, b);
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

} // namespace

void BrindleProcessFast(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                        const BrindleBlock& block)
{
    if (block.frames <= 0)
        return;
    if (!settings.effectOn) {
        PassThroughSum(block);
        return;
    }
#if defined(__x86_64__) || defined(__i386__)
    if (HasAvx2()) {
        RenderAvx2(dsp, settings, noiseTable, block);
        return;
    }
#endif
    RenderGeneric(dsp, settings, noiseTable, block);
}
