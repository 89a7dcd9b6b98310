#include "graphics/IGraphicsFFT.h"

#include <cmath>
#include <utility>

namespace {
constexpr double kPi = 3.14159265358979323846;
}

bool IFFTInPlace(double* re, double* im, int n)
{
  if (!re || !im || n < 1 || (n & (n - 1)) != 0) return false;
  // Bit-reversal permutation.
  for (int i = 1, j = 0; i < n; ++i) {
    int bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  for (int len = 2; len <= n; len <<= 1) {
    const double angle = -2.0 * kPi / len;
    const int half = len >> 1;
    for (int k = 0; k < half; ++k) {
      // Twiddles from the angle directly rather than by repeated multiplication: no drift on large sizes.
      const double wr = std::cos(angle * k), wi = std::sin(angle * k);
      for (int start = k; start < n; start += len) {
        const int a = start, b = start + half;
        const double tr = re[b] * wr - im[b] * wi, ti = re[b] * wi + im[b] * wr;
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
      }
    }
  }
  return true;
}

double IFFTWindowValue(int window, int i, int n)
{
  if (n <= 1) return 1.0;
  const double x = 2.0 * kPi * i / (n - 1);
  switch (window) {
  case kWindowRectangular:
    return 1.0;
  case kWindowBlackman:
    return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
  case kWindowBlackmanHarris:
    return 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2.0 * x) - 0.01168 * std::cos(3.0 * x);
  case kWindowHamming:
    return 0.54 - 0.46 * std::cos(x);
  case kWindowHann:
    return 0.5 - 0.5 * std::cos(x);
  case kWindowSineCubed: {
    const double s = std::sin(0.5 * x);
    return s * s * s;
  }
  case kWindowHannSquared: {
    const double h = 0.5 - 0.5 * std::cos(x);
    return h * h;
  }
  default:
    return std::sin(0.5 * x);
  }
}

double ICubicInterpolate(const double* data, int n, double pos)
{
  if (!data || n < 1) return 0.0;
  if (!(pos > 0.0)) return data[0]; // below the start, or NaN
  if (pos >= n - 1) return data[n - 1];
  const int i = static_cast<int>(pos);
  const double t = pos - i;
  // Beyond the ends the missing neighbour continues the last step, so that the ends stay exact on lines.
  auto at = [&](int k) {
    if (k < 0) return 2.0 * data[0] - data[n > 1 ? 1 : 0];
    if (k >= n) return 2.0 * data[n - 1] - data[n > 1 ? n - 2 : 0];
    return data[k];
  };
  const double y0 = at(i - 1), y1 = at(i), y2 = at(i + 1), y3 = at(i + 2);
  const double c1 = 0.5 * (y2 - y0);
  const double c2 = y0 - 2.5 * y1 + 2.0 * y2 - 0.5 * y3;
  const double c3 = 0.5 * (y3 - y0) + 1.5 * (y1 - y2);
  return ((c3 * t + c2) * t + c1) * t + y1;
}
