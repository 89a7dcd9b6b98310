// AuDSP: the fuzz effect's box of signal-processing primitives.
//
// A bank of 32 biquad slots (seven shapes, direct form I), 8 one-pole low-pass and 8 one-pole
// high-pass slots, and a family of memoryless waveshapers. Everything is double precision, plain
// value semantics, no heap memory. Slot indices are not checked: callers keep them in range
// (0-31 for biquads, 0-7 for one-pole filters).
//
// Every filter output carries a +1e-20 offset that is handed to the caller but never stored in the
// filter's own history; it keeps long filter chains out of denormal numbers.
//
// The process and shaping functions are inline: the effect's per-sample reference loop and its
// vectorised twin must run the very same arithmetic, in the very same order.
#pragma once

class AuDSP
{
public:
  static constexpr int kNumBiquads = 32;
  static constexpr int kNumOnePoles = 8;
  static constexpr double kDenormalOffset = 1e-20;

  // Biquad shapes understood by biquadFilterInit; any other number designs a low-pass.
  enum EBiquadType {
    kLowPass = 0,
    kHighPass = 1,
    kBandPass = 2,
    kNotch = 3,
    kPeaking = 4,
    kLowShelf = 5,
    kHighShelf = 6
  };

  void dspFullReset();
  void biquadFilterReset();
  void biquadFilterInit(int slot, int type, double frequency, double bandwidth, double gainDB, double sampleRate);

  void biquadFilterProcess(int slot, double input, double& output)
  {
    const double y =
        b1[slot] * x1[slot] + b0[slot] * input + b2[slot] * x2[slot] - a1[slot] * y1[slot] - a2[slot] * y2[slot];
    x2[slot] = x1[slot];
    x1[slot] = input;
    y2[slot] = y1[slot];
    y1[slot] = y;
    output = y + kDenormalOffset;
  }

  void OnePoleLPFilterInit(int slot, double frequency, double sampleRate);
  void OnePoleLPFilterProcess(int slot, double input, double& output)
  {
    const double y = lpGain[slot] * input - lpPole[slot] * lpState[slot];
    lpState[slot] = y;
    output = y + kDenormalOffset;
  }

  void OnePoleHPFilterInit(int slot, double frequency, double sampleRate);
  void OnePoleHPFilterProcess(int slot, double input, double& output)
  {
    const double l = hpGain[slot] * input - hpPole[slot] * hpState[slot];
    hpState[slot] = l;
    output = input - l + kDenormalOffset;
  }

  // Waveshapers: (input, first, second, out output). Written with selects rather than branches so
  // that a vectorised caller can reproduce them lane by lane.
  static void distortion(double input, double level, double drive, double& output);
  static void distortion2(double input, double level, double drive, double& output)
  {
    output = SoftClip(input * drive, level);
  }
  static void limiter(double input, double upper, double lower, double& output)
  {
    output = input < lower ? lower : (upper < input ? upper : input);
  }
  static void fuzzdrive(double input, double level, double drive, double& output);
  static void fuzzdrive2(double input, double level, double drive, double& output)
  {
    const double x = input * drive;
    output = Clamp(SoftClip(x, level), 0.0, 0.5) + Clamp(x, -0.5, 0.0);
  }
  static void fuzzdrive3(double input, double level, double drive, double& output)
  {
    const double x = input * drive;
    const double h = Clamp(SoftClip(x, level), 0.0, 0.3);
    output = x > -0.2 ? h - 0.2 : h + 0.02;
  }
  static void xmix(double a, double b, double mix, double& output)
  {
    const double m = Clamp(mix, -0.5, 0.5);
    output = (m + 0.5) * a + (0.5 - m) * b;
  }

  // Soft clip used by the shapers: a parabola through the origin up to |x| = 0.2, where it meets
  // +/-level with zero slope.
  static double SoftClip(double x, double level)
  {
    const double e = x < 0.0 ? -x : x;
    const double curve = (1.0 - e / 0.4) * x * level * 10.0;
    const double flat = x >= 0.0 ? level : -level;
    return e < 0.2 ? curve : flat;
  }
  static double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

  // Fields, in this order; coefficients are normalised by a0 (a0 itself is not kept).
  double b0[kNumBiquads];
  double b1[kNumBiquads];
  double b2[kNumBiquads];
  double a1[kNumBiquads];
  double a2[kNumBiquads];
  double x1[kNumBiquads];
  double x2[kNumBiquads];
  double y1[kNumBiquads];
  double y2[kNumBiquads];
  double lpGain[kNumOnePoles];
  double lpPole[kNumOnePoles]; // negated feedback coefficient
  double lpState[kNumOnePoles];
  double hpGain[kNumOnePoles];
  double hpPole[kNumOnePoles];
  double hpState[kNumOnePoles];
};
