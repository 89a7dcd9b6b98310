#include "graphics/IFreqResponseGraph.h"

#include <cmath>
#include <cstdio>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConvert.h"

namespace {

int PowerOfTwoAtMost(int n)
{
  if (n < 4) return 4;
  if (n > IFreqResponseGraph::kMaxFFTSize) return IFreqResponseGraph::kMaxFFTSize;
  int p = 4;
  while (p * 2 <= n) p *= 2;
  return p;
}

const IColor kReadoutBackground(230, 255, 255, 240);
const IColor kReadoutBorder(255, 96, 96, 96);
constexpr int kReadoutGap = 10; // pixels between the pointer and the box
constexpr int kReadoutPad = 3;

} // namespace

IFreqResponseGraph::IFreqResponseGraph(IEffectBase* plug, const IColor& color, const IRECT& rect, int fftSize,
                                       EFFTWindow window)
    : IControl(plug, rect), mColor(color), mFFTSize(PowerOfTwoAtMost(fftSize)), mWindow(window)
{
  mRe.Resize(mFFTSize);
  mIm.Resize(mFFTSize);
  mMagnitudes.Resize(mFFTSize / 2 + 1);
  mPoints.Resize(rect.Width() > 0 ? rect.Width() : 0);
  mPoints.Zero();
  mText.mSize = 11;
  mText.mAlign = IText::kAlignLeft;
  SetScale(44100.0);
}

void IFreqResponseGraph::SetScale(double sampleRate, double minHz, double maxHz)
{
  mSampleRate = sampleRate > 0.0 && std::isfinite(sampleRate) ? sampleRate : 44100.0;
  const double nyquist = 0.5 * mSampleRate;
  mMaxHz = maxHz > 0.0 && maxHz <= nyquist ? maxHz : nyquist;
  // A log axis needs a positive start below its end.
  mMinHz = minHz > 0.0 && minHz < mMaxHz ? minHz : mMaxHz / 1000.0;
}

double IFreqResponseGraph::FrequencyAt(int column) const
{
  const int n = NPoints();
  if (n < 2) return mMinHz;
  return mMinHz * std::pow(mMaxHz / mMinHz, static_cast<double>(column) / (n - 1));
}

void IFreqResponseGraph::SetDataFromPlug(const double* impulse)
{
  const int n = mFFTSize, nPoints = NPoints();
  double *re = mRe.Get(), *im = mIm.Get(), *mag = mMagnitudes.Get(), *points = mPoints.Get();
  if (!impulse || !re || !im || !mag) return;
  for (int i = 0; i < n; ++i) {
    const double w = IFFTWindowValue(mWindow, i, n);
    re[i] = impulse[i] * w * w;
    im[i] = 0.0;
  }
  IFFTInPlace(re, im, n);
  const int nBins = n / 2 + 1;
  for (int k = 0; k < nBins; ++k) mag[k] = std::sqrt(re[k] * re[k] + im[k] * im[k]);

  const double height = mRect.Height();
  const double binHz = mSampleRate / n;
  const double rise = std::exp(-1.0 / (0.3 * height)), fall = std::exp(-1.0 / (0.03 * height));
  for (int x = 0; x < nPoints; ++x) {
    const double m = ICubicInterpolate(mag, nBins, FrequencyAt(x) / binHz);
    const double db = -20.0 * std::log10(m > 1e-5 ? m : 1e-5); // NaN fails the test and reads as the floor
    double p = db * height / kFloorDB;
    if (!mDisplayMode) {
      const double c = p > points[x] ? rise : fall;
      p = c * points[x] + (1.0 - c) * p;
    }
    points[x] = p < 0.0 ? 0.0 : p > height ? height : p;
  }
  SetDirty(false);
}

bool IFreqResponseGraph::Draw(IGraphics* graphics)
{
  const int n = NPoints();
  const double bottom = mRect.bottom - 1; // the curve stays inside the rectangle
  auto y = [&](int i) {
    const double v = mRect.top + Point(i);
    return static_cast<float>(v > bottom ? bottom : v);
  };
  for (int i = 1; i < n; ++i)
    graphics->DrawLine(&mColor, static_cast<float>(mRect.left + i - 1), y(i - 1), static_cast<float>(mRect.left + i),
                       y(i), &mBlend, true);
  if (mHover) DrawReadout(graphics);
  return true;
}

void IFreqResponseGraph::FormatReadout(int x, char* text, int size) const
{
  if (!text || size < 1) return;
  text[0] = '\0';
  const int column = x - mRect.left;
  if (column < 0 || column >= NPoints()) return;
  const double hz = FrequencyAt(column);
  const double height = mRect.Height();
  const double db = height > 0 ? Point(column) * kFloorDB / height : 0.0;
  if (hz >= 1000.0)
    std::snprintf(text, static_cast<size_t>(size), "Freq: %2.3f kHz\nGain: -%4.1f dB", hz / 1000.0, db);
  else
    std::snprintf(text, static_cast<size_t>(size), "Freq: %4.0f Hz\nGain: -%4.1f dB", hz, db);
}

void IFreqResponseGraph::DrawReadout(IGraphics* graphics)
{
  char text[96];
  FormatReadout(mHoverX, text, sizeof text);
  if (!text[0]) return;
  IRECT measured(0, 0, 0, 0);
  if (!graphics->MeasureIText(&mText, text, &measured)) return;
  const int w = measured.Width() + 2 * kReadoutPad, h = measured.Height() + 2 * kReadoutPad;
  // Right of and below the pointer, or on the other side where the graph ends; never outside it.
  if (w + 1 > mRect.Width() || h + 1 > mRect.Height()) return;
  int left = mHoverX + kReadoutGap, top = mHoverY + kReadoutGap;
  if (left + w >= mRect.right) left = mHoverX - kReadoutGap - w;
  if (top + h >= mRect.bottom) top = mHoverY - kReadoutGap - h;
  left = left < mRect.left ? mRect.left : left > mRect.right - w - 1 ? mRect.right - w - 1 : left;
  top = top < mRect.top ? mRect.top : top > mRect.bottom - h - 1 ? mRect.bottom - h - 1 : top;
  IRECT box(left, top, left + w, top + h);
  graphics->FillIRect(&kReadoutBackground, &box);
  graphics->DrawRect(&kReadoutBorder, &box);
  IRECT textRect(left + kReadoutPad, top + kReadoutPad, left + w - kReadoutPad, top + h - kReadoutPad);
  graphics->DrawIText(&mText, text, &textRect);
}

void IFreqResponseGraph::OnMouseOver(int x, int y, IMouseMod*)
{
  mHoverX = x;
  mHoverY = y;
  mHover = true;
  SetDirty(false); // the readout follows the pointer
}

void IFreqResponseGraph::OnMouseOut()
{
  if (!mHover) return;
  mHover = false;
  SetDirty(false);
}
