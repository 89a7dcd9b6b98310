// Layout and drawing of the waveform-and-spectrum comparison figure.
#include "tools/plot/WaveformFigure.h"

#include "tools/plot/Envelope.h"
#include "tools/plot/Spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Horizontal layout: waveform strip on the left, spectrum on the right, each with room for its
// y tick labels to its left.
constexpr int kWidth = 1400;
constexpr int kWaveLeft = 64;
constexpr int kWaveWidth = 800;
constexpr int kSpecLeft = 948;
constexpr int kSpecWidth = 420;
// Vertical layout.
constexpr int kHeaderHeight = 110;
constexpr int kRowTitleHeight = 26;
constexpr int kPlotHeight = 128;
constexpr int kTickHeight = 20;
constexpr int kRowGap = 18;
constexpr int kRowHeight = kRowTitleHeight + kPlotHeight + kTickHeight + kRowGap;
constexpr int kFooterHeight = 28;

// Frames for the average spectrum; shorter signals use the largest power of two that they fill.
constexpr int kFftSize = 4096;
constexpr int kMinFftSize = 256;
constexpr double kLowHz = 20.0;
constexpr double kHighHz = 20000.0;
constexpr double kDbSpan = 100.0;

const FigureColor kBackground{251, 251, 249};
const FigureColor kPlotBackground{255, 255, 255};
const FigureColor kGrid{226, 226, 222};
const FigureColor kMinorGrid{241, 241, 238};
const FigureColor kFrame{160, 160, 156};
const FigureColor kText{30, 30, 30};
const FigureColor kMuted{100, 100, 100};
const FigureColor kReference{150, 150, 150};

const FigureColor kRowColors[] = {{52, 101, 164}, {226, 118, 30}, {196, 40, 40},  {122, 62, 154},
                                  {46, 139, 87},  {0, 139, 139},  {150, 110, 40}, {200, 60, 140}};

const char kMinus[] = "\xE2\x88\x92"; // U+2212, a proper minus sign for labels

struct PlotRect
{
  int x, y, w, h;
  int Bottom() const { return y + h; }
  int Right() const { return x + w; }
  RECT Clip() const { return RECT{x, y, x + w, y + h}; }
};

std::string FormatNumber(double v, const char* format)
{
  char text[48];
  std::snprintf(text, sizeof text, format, std::fabs(v));
  // No minus on what rounds to zero ("-0.0").
  const bool negative = v < 0 && std::strtod(text, nullptr) != 0;
  return (negative ? std::string(kMinus) : std::string()) + text;
}

std::string FormatHz(double hz)
{
  if (hz >= 1000) return FormatNumber(hz / 1000, "%gk");
  return FormatNumber(hz, "%g");
}

std::string FormatDbfs(double amplitude)
{
  if (!(amplitude > 0)) return std::string(kMinus) + "\xE2\x88\x9E dBFS"; // minus infinity
  return FormatNumber(20.0 * std::log10(amplitude), "%.1f") + " dBFS";
}

// A tick step of 1, 2 or 5 times a power of ten giving at most maxTicks steps over span.
double NiceStep(double span, int maxTicks)
{
  if (!(span > 0)) return 1.0;
  const double raw = span / maxTicks;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw) return m * power;
  return 10.0 * power;
}

int FrequencyToX(const PlotRect& r, double hz)
{
  const double t = std::log(hz / kLowHz) / std::log(kHighHz / kLowHz);
  return r.x + static_cast<int>(std::lround(t * (r.w - 1)));
}

// Positions are clamped into the plot; NaN lands on its edge rather than anywhere.
double ClampUnit(double t)
{
  return t > 0 ? std::min(t, 1.0) : 0.0;
}

int DbToY(const PlotRect& r, double db, double topDb)
{
  const double t = ClampUnit((topDb - db) / kDbSpan);
  return r.y + static_cast<int>(std::lround(t * (r.h - 1)));
}

int AmplitudeToY(const PlotRect& r, double v, double range)
{
  const double t = ClampUnit((range - v) / (2.0 * range));
  return r.y + static_cast<int>(std::lround(t * (r.h - 1)));
}

void DrawWaveform(FigureCanvas& canvas, const PlotRect& r, const FigureRow& row, double range, FigureColor color)
{
  canvas.FillRect(r.x, r.y, r.w, r.h, kPlotBackground);
  // Ticks by integer index, so rounding cannot drop the one on the edge.
  const double amplitudeStep = NiceStep(2.0 * range, 6);
  const int lastTick = static_cast<int>(std::floor(range / amplitudeStep + 1e-6));
  for (int k = -lastTick; k <= lastTick; ++k) {
    const double v = k * amplitudeStep;
    const int y = AmplitudeToY(r, v, range);
    canvas.FillRect(r.x, y, r.w, 1, std::fabs(v) < 1e-9 ? kFrame.Tint(0.6) : kGrid);
    canvas.Text(r.x - 6, y - canvas.LineHeight(FigureCanvas::kSmall) / 2, FormatNumber(v, "%g"), FigureCanvas::kSmall,
                kMuted, FigureCanvas::kAlignRight);
  }
  // Time grid and ticks.
  const double seconds = row.sampleRate > 0 ? row.samples.size() / row.sampleRate : 0.0;
  const double step = NiceStep(seconds, 10);
  const int timeTicks = seconds > 0 ? static_cast<int>(std::floor(seconds / step + 1e-6)) : -1;
  for (int k = 0; k <= timeTicks; ++k) {
    const double t = k * step;
    const int x = r.x + static_cast<int>(std::lround(t / seconds * (r.w - 1)));
    canvas.FillRect(x, r.y, 1, r.h, kGrid);
    canvas.FillRect(x, r.Bottom(), 1, 4, kFrame);
    canvas.Text(x, r.Bottom() + 5, FormatNumber(t, "%g"), FigureCanvas::kSmall, kMuted, FigureCanvas::kAlignCenter);
  }

  const std::vector<EnvelopeColumn> envelope = ComputeEnvelope(row.samples.data(), row.samples.size(), r.w);
  const FigureColor light = color.Tint(0.45);
  for (size_t c = 0; c < envelope.size(); ++c) {
    const int x = r.x + static_cast<int>(c);
    const int top = AmplitudeToY(r, envelope[c].max, range);
    const int bottom = AmplitudeToY(r, envelope[c].min, range);
    canvas.FillRect(x, top, 1, bottom - top + 1, light);
    const int rmsTop = AmplitudeToY(r, envelope[c].rms, range);
    const int rmsBottom = AmplitudeToY(r, -envelope[c].rms, range);
    // The RMS band never reaches outside the peaks it summarises.
    const int innerTop = std::max(rmsTop, top), innerBottom = std::min(rmsBottom, bottom);
    if (innerBottom >= innerTop) canvas.FillRect(x, innerTop, 1, innerBottom - innerTop + 1, color);
  }
  canvas.FrameRect(r.x - 1, r.y - 1, r.w + 2, r.h + 2, kFrame);
}

std::vector<POINT> SpectrumCurve(const PlotRect& r, const AverageSpectrum& spectrum, double topDb)
{
  std::vector<POINT> points;
  const double ratio = std::log(kHighHz / kLowHz);
  for (int px = 0; px < r.w; ++px) {
    const double lo = kLowHz * std::exp(ratio * px / r.w);
    const double hi = kLowHz * std::exp(ratio * (px + 1) / r.w);
    if (lo > spectrum.sampleRate / 2) break;
    const double db = spectrum.BandLevelDb(lo, hi, topDb - kDbSpan - 10);
    points.push_back(POINT{r.x + px, DbToY(r, db, topDb)});
  }
  return points;
}

void DrawSpectrum(FigureCanvas& canvas, const PlotRect& r, const AverageSpectrum& spectrum,
                  const AverageSpectrum* reference, const std::string& referenceTitle, double topDb, FigureColor color)
{
  canvas.FillRect(r.x, r.y, r.w, r.h, kPlotBackground);
  const int smallHalf = canvas.LineHeight(FigureCanvas::kSmall) / 2;
  for (int k = static_cast<int>(std::floor(topDb / 20)); k * 20.0 >= topDb - kDbSpan; --k) {
    const double db = k * 20.0;
    const int y = DbToY(r, db, topDb);
    canvas.FillRect(r.x, y, r.w, 1, kGrid);
    canvas.Text(r.x - 6, y - smallHalf, FormatNumber(db, "%g"), FigureCanvas::kSmall, kMuted,
                FigureCanvas::kAlignRight);
  }
  // Minor lines at every 1..9 x 10^k, labels at 2, 5 and 10 x 10^k.
  for (double decade = 10; decade <= kHighHz; decade *= 10) {
    for (int m = 1; m <= 9; ++m) {
      const double hz = decade * m;
      if (hz < kLowHz || hz > kHighHz) continue;
      const int x = FrequencyToX(r, hz);
      const bool labelled = m == 1 || m == 2 || m == 5;
      canvas.FillRect(x, r.y, 1, r.h, labelled ? kGrid : kMinorGrid);
      if (!labelled) continue;
      canvas.FillRect(x, r.Bottom(), 1, 4, kFrame);
      canvas.Text(x, r.Bottom() + 5, FormatHz(hz), FigureCanvas::kSmall, kMuted, FigureCanvas::kAlignCenter);
    }
  }

  const RECT clip = r.Clip();
  std::vector<POINT> curve = SpectrumCurve(r, spectrum, topDb);
  for (const POINT& p : curve) canvas.FillRect(p.x, p.y, 1, r.Bottom() - p.y, color, 0.16f);
  if (reference) {
    canvas.Polyline(SpectrumCurve(r, *reference, topDb), kReference, 1, &clip);
    // Legend in the top right corner.
    const std::string legend = canvas.Elide(referenceTitle, FigureCanvas::kSmall, r.w / 2);
    const int textWidth = canvas.TextWidth(legend, FigureCanvas::kSmall);
    const int x = r.Right() - 10 - textWidth;
    const int y = r.y + 7;
    canvas.FillRect(x - 28, y - 2, textWidth + 34, canvas.LineHeight(FigureCanvas::kSmall) + 2, kPlotBackground, 0.85f);
    canvas.FillRect(x - 24, y + smallHalf, 16, 1, kReference);
    canvas.Text(x, y, legend, FigureCanvas::kSmall, kMuted);
  }
  canvas.Polyline(curve, color, 2, &clip);
  canvas.FrameRect(r.x - 1, r.y - 1, r.w + 2, r.h + 2, kFrame);
}

void DrawHeader(FigureCanvas& canvas, const ComparisonFigure& figure)
{
  const int maxWidth = kWidth - 2 * (kWaveLeft - 40);
  canvas.Text(kWaveLeft - 40, 16, canvas.Elide(figure.title, FigureCanvas::kTitle, maxWidth), FigureCanvas::kTitle,
              kText);
  canvas.Text(kWaveLeft - 40, 48, canvas.Elide(figure.subtitle, FigureCanvas::kBody, maxWidth), FigureCanvas::kBody,
              kMuted);
  const int y = kHeaderHeight - 30;
  int w = canvas.Text(kWaveLeft, y, "Waveform", FigureCanvas::kHeading, kText);
  canvas.Text(kWaveLeft + w + 10, y + 2, "amplitude over time: min/max (light) and RMS (dark) per pixel column",
              FigureCanvas::kBody, kMuted);
  w = canvas.Text(kSpecLeft, y, "Spectrum", FigureCanvas::kHeading, kText);
  canvas.Text(kSpecLeft + w + 10, y + 2, "long-term average level, dBFS", FigureCanvas::kBody, kMuted);
}

} // namespace

FigureColor FigureRowColor(size_t row)
{
  return kRowColors[row % (sizeof kRowColors / sizeof kRowColors[0])];
}

std::unique_ptr<FigureCanvas> DrawComparisonFigure(const ComparisonFigure& figure)
{
  const int rows = static_cast<int>(figure.rows.size());
  const int height = kHeaderHeight + rows * kRowHeight + kFooterHeight;
  auto canvas = std::make_unique<FigureCanvas>(kWidth, height, kBackground);
  if (!canvas->IsValid()) return nullptr;

  std::vector<AverageSpectrum> spectra;
  double peak = 0, topDb = -300;
  for (const FigureRow& row : figure.rows) {
    int fftSize = kFftSize;
    while (fftSize > kMinFftSize && row.samples.size() < static_cast<size_t>(fftSize)) fftSize /= 2;
    spectra.push_back(ComputeAverageSpectrum(row.samples.data(), row.samples.size(), row.sampleRate, fftSize));
    for (float s : row.samples) peak = std::max(peak, static_cast<double>(std::fabs(s)));
    for (double hz = kLowHz; hz < kHighHz; hz *= 1.02) topDb = std::max(topDb, spectra.back().LevelDbAt(hz, -300));
  }
  // One amplitude scale for all rows, just above the loudest peak (a tenth of full scale at the
  // least, so near-silence is not blown up into noise).
  const double range = peak > 1.0 ? std::ceil(peak * 2.0) / 2.0 : std::max(0.1, std::ceil(peak * 10.0 - 1e-9) / 10.0);
  // The level range hangs from the loudest band, rounded up to 10 dB.
  topDb = std::min(std::ceil(topDb / 10.0) * 10.0, 60.0);
  if (topDb < -200) topDb = 0; // all silent

  DrawHeader(*canvas, figure);
  for (int i = 0; i < rows; ++i) {
    const FigureRow& row = figure.rows[static_cast<size_t>(i)];
    const FigureColor color = FigureRowColor(static_cast<size_t>(i));
    const int top = kHeaderHeight + i * kRowHeight;
    // Row title: a colour swatch, the title, then the detail and levels in muted text.
    canvas->FillRect(kWaveLeft, top + 5, 12, 12, color);
    const std::string title = canvas->Elide(row.title, FigureCanvas::kHeading, kWaveWidth / 2);
    const int w = canvas->Text(kWaveLeft + 18, top, title, FigureCanvas::kHeading, kText);
    double rowPeak = 0, sumSquares = 0;
    for (float s : row.samples) {
      rowPeak = std::max(rowPeak, static_cast<double>(std::fabs(s)));
      sumSquares += static_cast<double>(s) * s;
    }
    const double rms = row.samples.empty() ? 0.0 : std::sqrt(sumSquares / static_cast<double>(row.samples.size()));
    std::string detail = row.detail.empty() ? std::string() : row.detail + "   \xC2\xB7   ";
    detail += "peak " + FormatDbfs(rowPeak) + ", RMS " + FormatDbfs(rms);
    const int detailLeft = kWaveLeft + 18 + w + 12;
    canvas->Text(detailLeft, top + 2, canvas->Elide(detail, FigureCanvas::kBody, kWidth - 20 - detailLeft),
                 FigureCanvas::kBody, kMuted);

    const int plotTop = top + kRowTitleHeight;
    DrawWaveform(*canvas, PlotRect{kWaveLeft, plotTop, kWaveWidth, kPlotHeight}, row, range, color);
    const bool withReference = rows > 1 && i > 0;
    DrawSpectrum(*canvas, PlotRect{kSpecLeft, plotTop, kSpecWidth, kPlotHeight}, spectra[static_cast<size_t>(i)],
                 withReference ? &spectra[0] : nullptr, figure.rows[0].title, topDb, color);
  }
  // Axis names once, under the last row.
  const int y = kHeaderHeight + rows * kRowHeight - kRowGap + 2;
  canvas->Text(kWaveLeft + kWaveWidth / 2, y, "time (s)", FigureCanvas::kBody, kMuted, FigureCanvas::kAlignCenter);
  canvas->Text(kSpecLeft + kSpecWidth / 2, y, "frequency (Hz)", FigureCanvas::kBody, kMuted,
               FigureCanvas::kAlignCenter);
  canvas->MakeOpaque();
  return canvas;
}
