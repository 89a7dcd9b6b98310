#pragma once
// The spectrum arithmetic behind IFreqResponseGraph: an in-place radix-2 FFT, the analysis windows, and
// four-point cubic interpolation for reading a spectrum between its bins. Plain functions over caller
// buffers: nothing here allocates.

// Analysis windows by number; numbers not listed (5, 8 and up, negative) are the sine window.
enum EFFTWindow : int {
  kWindowRectangular = 0,
  kWindowBlackman = 1,
  kWindowBlackmanHarris = 2, // four terms
  kWindowHamming = 3,
  kWindowHann = 4,
  kWindowSine = 5,
  kWindowSineCubed = 6,
  kWindowHannSquared = 7
};

// Forward transform (e^{-i...}) of n complex values in place; n must be a power of two, else nothing is
// done and false is answered.
bool IFFTInPlace(double* re, double* im, int n);

// The window's value at sample i of n (symmetric: the first and last samples are the ends).
double IFFTWindowValue(int window, int i, int n);

// Value at fractional position pos of data[0..n): Catmull-Rom through the four samples around pos, a
// missing neighbour beyond either end continued in a straight line; positions outside the data read the
// nearest end. Exact at whole positions and on straight lines.
double ICubicInterpolate(const double* data, int n, double pos);
