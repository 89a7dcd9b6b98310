#pragma once
// IFreqResponseGraph: a magnitude-response curve drawn from an impulse response. SetDataFromPlug windows
// fftSize samples, transforms them, reads the magnitude at every pixel column of a logarithmic frequency
// axis (SetScale) with four-point cubic interpolation, and turns it into attenuation in pixels below the
// rectangle's top: -20 log10(max(magnitude, 1e-5)) scaled so that 100 dB (the floor) spans the height.
// Outside display mode each point eases toward its new value (slowly when falling further, quickly when
// coming back up); in display mode the curve is drawn as measured.
//
// With hover tracking on in the editor, the pointer's frequency and attenuation are shown in a small text
// box beside it.

#include "containers/Core_TypedBuf.h"
#include "graphics/IControl.h"
#include "graphics/IGraphicsFFT.h"

class IFreqResponseGraph : public IControl
{
public:
  static constexpr int kMaxFFTSize = 1 << 16;
  static constexpr double kFloorDB = 100.0; // -20 log10(1e-5)

  // fftSize is taken down to a power of two within 4..kMaxFFTSize.
  IFreqResponseGraph(IEffectBase* plug, const IColor& color, const IRECT& rect, int fftSize = 1024,
                     EFFTWindow window = kWindowRectangular);

  // Reads FFTSize() samples; null is ignored.
  void SetDataFromPlug(const double* impulse);
  // The frequency axis: sampleRate of the data, and the frequencies at the left and right edges
  // (a maximum of 0 or below, or beyond half the rate, means half the rate).
  void SetScale(double sampleRate, double minHz = 20.0, double maxHz = 0.0);
  void SetDisplayMode(bool display) { mDisplayMode = display; }

  bool Draw(IGraphics* graphics) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;

  int FFTSize() const { return mFFTSize; }
  int NPoints() const { return mPoints.GetSize(); }
  // Attenuation in pixels below the top (0..height) at column i.
  double Point(int i) const { return mPoints.Get()[i]; }
  // Frequency at column i of the axis.
  double FrequencyAt(int column) const;
  // The hover readout for column x, as shown ("" when x lies outside the graph).
  void FormatReadout(int x, char* text, int size) const;
  bool IsHovered() const { return mHover; }

protected:
  void DrawReadout(IGraphics* graphics);

  IColor mColor;
  int mFFTSize;
  EFFTWindow mWindow;
  double mSampleRate = 44100.0, mMinHz = 20.0, mMaxHz = 22050.0;
  bool mDisplayMode = false;
  bool mHover = false;
  int mHoverX = 0, mHoverY = 0;
  Core_TypedBuf<double> mRe, mIm, mMagnitudes, mPoints;
};
