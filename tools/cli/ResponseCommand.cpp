// `brindle response`: a picture of the effect's linear stages. The tone stage (times the Level gain)
// and, when on, the cabinet are measured by their impulse response and drawn with the editor
// framework's own frequency-response graph, normalised to the peak so the graph's attenuation scale
// holds the whole curve; the axes and the peak gain are labelled with its text controls.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"
#include "tools/plot/ResponsePicture.h"

#include "effect/AuDSP.h"
#include "effect/BrindleChain.h"
#include "graphics/IBitmapControls.h"
#include "graphics/IFreqResponseGraph.h"
#include "graphics/IGraphicsOffscreen.h"
#include "graphics/ITextControl.h"
#include "raster/Raster_SysBitmap.h"
#include "tools/files/PngWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: brindle response -o OUT.png [--level X] [--cabinet on|off] [--rate R]\n"
                      "\n"
                      "Draws the magnitude response of Brindle's linear stages - the tone stage times the Level gain,\n"
                      "and the cabinet - measured by their impulse response at rate R (default 44100 Hz).\n"
                      "The curve is normalised to its peak, whose gain is written on the picture.\n"
                      "  --level X      \"Level\", 0 to 1 (default 0.5)\n"
                      "  --cabinet S    on (default) or off\n"
                      "  --rate R       sample rate in Hz, 8000 to 192000\n";

constexpr int kFFTSize = 16384;
constexpr int kWidth = 640, kHeight = 380;
const IRECT kGraphRect(60, 44, 620, 334);

// The graph's frame and its 10 dB and decade grid.
class GridControl : public IControl
{
public:
  GridControl(const IRECT& rect, double minHz, double maxHz) : IControl(nullptr, rect), mMinHz(minHz), mMaxHz(maxHz) {}
  bool Draw(IGraphics* g) override
  {
    const IColor grid(255, 222, 222, 216), frame(255, 120, 120, 120);
    IRECT inner(mRect.left, mRect.top, mRect.right - 1, mRect.bottom - 1);
    for (int db = 10; db < 100; db += 10) g->DrawHorizontalLine(&grid, &inner, static_cast<float>(1.0 - db / 100.0));
    for (double hz : kGridHz)
      if (hz > mMinHz && hz < mMaxHz)
        g->DrawVerticalLine(&grid, &inner, static_cast<float>(std::log(hz / mMinHz) / std::log(mMaxHz / mMinHz)));
    g->DrawRect(&frame, &inner);
    return true;
  }
  static constexpr double kGridHz[] = {50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};

private:
  double mMinHz, mMaxHz;
};

// Peak magnitude of the impulse response over the FFT bins.
double PeakMagnitude(const std::vector<double>& impulse, double* peakHz, double rate)
{
  std::vector<double> re(impulse), im(impulse.size(), 0.0);
  IFFTInPlace(re.data(), im.data(), static_cast<int>(re.size()));
  double peak = 0.0;
  for (size_t k = 1; k <= re.size() / 2; ++k) {
    const double m = std::hypot(re[k], im[k]);
    if (m > peak) {
      peak = m;
      *peakHz = k * rate / static_cast<double>(re.size());
    }
  }
  return peak;
}

std::string FormatHz(double hz)
{
  char text[32];
  if (hz >= 1000.0)
    std::snprintf(text, sizeof text, "%gk", hz / 1000.0);
  else
    std::snprintf(text, sizeof text, "%g", hz);
  return text;
}

} // namespace

std::vector<double> MeasureLinearStages(const ResponseCurve& curve, int length)
{
  AuDSP dsp;
  BrindleDesignFilters(dsp, curve.rate);
  std::vector<double> impulse(static_cast<size_t>(length));
  const double gain = 4.0 * curve.level;
  for (int n = 0; n < length; ++n) {
    double y = n == 0 ? 1.0 : 0.0;
    for (int slot = 2; slot < kBrindleFirstCabStage; ++slot) dsp.biquadFilterProcess(slot, y, y);
    y *= gain;
    if (curve.cabinet) BrindleCab(dsp, y, y);
    impulse[static_cast<size_t>(n)] = y;
  }
  return impulse;
}

bool DrawResponsePicture(const std::vector<ResponseCurve>& curves, const std::string& title, const std::string& path,
                         std::string& error)
{
  if (curves.empty()) {
    error = "no curve to draw";
    return false;
  }
  const double rate = curves[0].rate;
  const double minHz = 20.0, maxHz = std::min(20000.0, 0.5 * rate);

  std::vector<std::vector<double>> impulses;
  double peak = 0.0, peakHz = 0.0;
  for (const ResponseCurve& c : curves) {
    impulses.push_back(MeasureLinearStages(c, kFFTSize));
    double hz = 0.0;
    const double p = PeakMagnitude(impulses.back(), &hz, c.rate);
    if (p > peak) {
      peak = p;
      peakHz = hz;
    }
  }
  // The filters' anti-denormal offsets leave a trace even at Level 0; below -180 dB is silence.
  if (!(peak > 1e-9)) {
    error = "the response is silent (Level 0?): nothing to normalise to";
    return false;
  }

  auto graphics = std::make_unique<IGraphicsOffscreen>(nullptr, kWidth, kHeight);
  graphics->PrepDraw();
  const IColor background(255, 250, 250, 246);
  graphics->AttachPanelBackground(&background);
  graphics->AttachControl(new GridControl(kGraphRect, minHz, maxHz));

  for (size_t i = 0; i < curves.size(); ++i) {
    auto* graph = new IFreqResponseGraph(nullptr, curves[i].color, kGraphRect, kFFTSize, kWindowRectangular);
    graph->SetScale(rate, minHz, maxHz);
    graph->SetDisplayMode(true);
    for (double& v : impulses[i]) v /= peak;
    graph->SetDataFromPlug(impulses[i].data());
    graphics->AttachControl(graph);
  }

  IText titleStyle(14, &COLOR_BLACK, nullptr, IText::kStyleBold, IText::kAlignLeft);
  IText labelStyle(11, &COLOR_GRAY, nullptr, IText::kStyleNormal, IText::kAlignRight);
  IText axisStyle(11, &COLOR_GRAY, nullptr, IText::kStyleNormal, IText::kAlignCenter);
  graphics->AttachControl(new ITextControl(nullptr, IRECT(12, 8, kWidth - 12, 26), &titleStyle, title.c_str()));

  char peakText[96];
  std::snprintf(peakText, sizeof peakText, "0 dB = peak gain %+.1f dB at %.0f Hz", 20.0 * std::log10(peak), peakHz);
  IText peakStyle(11, &COLOR_BLACK, nullptr, IText::kStyleNormal, IText::kAlignLeft);
  graphics->AttachControl(new ITextControl(nullptr, IRECT(12, 26, kWidth - 12, 42), &peakStyle, peakText));

  const int graphH = kGraphRect.Height() - 1;
  for (int db = 0; db <= 100; db += 20) {
    const int y = kGraphRect.top + db * graphH / 100;
    char text[16];
    std::snprintf(text, sizeof text, db ? "-%d dB" : "0 dB", db);
    graphics->AttachControl(new ITextControl(nullptr, IRECT(4, y - 7, kGraphRect.left - 6, y + 7), &labelStyle, text));
  }
  const double logSpan = std::log(maxHz / minHz);
  const int graphW = kGraphRect.Width() - 1;
  std::vector<double> ticks = {minHz};
  for (double hz : GridControl::kGridHz)
    if (hz > minHz && hz < maxHz) ticks.push_back(hz);
  for (double hz : ticks) {
    const int x = kGraphRect.left + static_cast<int>(graphW * std::log(hz / minHz) / logSpan);
    graphics->AttachControl(new ITextControl(nullptr,
                                             IRECT(x - 24, kGraphRect.bottom + 2, x + 24, kGraphRect.bottom + 16),
                                             &axisStyle, FormatHz(hz).c_str()));
  }
  graphics->AttachControl(new ITextControl(nullptr, IRECT(kGraphRect.left, kHeight - 18, kGraphRect.right, kHeight - 4),
                                           &axisStyle, "frequency (Hz)"));

  // A key for each curve, in its colour, at the graph's lower left.
  for (size_t i = 0; i < curves.size(); ++i) {
    IText keyStyle(11, &curves[i].color, nullptr, IText::kStyleBold, IText::kAlignLeft);
    const int top = kGraphRect.bottom - 20 - 14 * static_cast<int>(curves.size() - 1 - i);
    graphics->AttachControl(new ITextControl(nullptr, IRECT(kGraphRect.left + 8, top, kGraphRect.left + 300, top + 14),
                                             &keyStyle, curves[i].name.c_str()));
  }

  IRECT all(0, 0, kWidth, kHeight);
  graphics->Draw(&all);
  return WritePngFile(graphics->GetCanvas(), path, error);
}

int RunResponseCommand(int argc, char** argv)
{
  std::string out;
  ResponseCurve curve;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const bool hasValue = i + 1 < argc;
    if (arg == "-o" || arg == "--level" || arg == "--cabinet" || arg == "--rate") {
      if (!hasValue) return CommandUsageError("response", arg + " needs a value");
      const char* value = argv[++i];
      if (arg == "-o")
        out = value;
      else if (arg == "--level" && !ParseRealInRange(value, 0.0, 1.0, curve.level))
        return CommandUsageError("response", "--level takes a number from 0 to 1, not '" + std::string(value) + "'");
      else if (arg == "--cabinet" && !ParseOnOff(value, curve.cabinet))
        return CommandUsageError("response", "--cabinet takes on or off, not '" + std::string(value) + "'");
      else if (arg == "--rate" && !ParseRealInRange(value, 8000.0, 192000.0, curve.rate))
        return CommandUsageError("response", "--rate takes 8000 to 192000 Hz, not '" + std::string(value) + "'");
      continue;
    }
    if (arg[0] == '-') return CommandUsageError("response", "unknown option '" + arg + "'");
    return CommandUsageError("response", "unexpected argument '" + arg + "'");
  }
  if (out.empty()) return CommandUsageError("response", "-o OUT.png is required");

  char name[96];
  std::snprintf(name, sizeof name, "Level %.2f, cabinet %s", curve.level, curve.cabinet ? "on" : "off");
  curve.name = name;
  char title[128];
  std::snprintf(title, sizeof title, "Brindle: tone stage%s, at %.0f Hz", curve.cabinet ? " and cabinet" : "",
                curve.rate);
  std::string error;
  if (!DrawResponsePicture({curve}, title, out, error)) return CommandFailure("response", error);
  std::printf("wrote %s (magnitude response, %s)\n", out.c_str(), name);
  return 0;
}
