// The comparison figure of the brindle plots: one row per signal, each a waveform strip (min/max
// and RMS per pixel column over the whole length) beside its long-term average spectrum (log
// frequency 20 Hz - 20 kHz, dBFS), under a title. When there are several rows the first is the
// reference: its spectrum is repeated in grey behind every other row's.
#pragma once

#include "tools/plot/FigureCanvas.h"

#include <memory>
#include <string>
#include <vector>

struct FigureRow
{
  std::string title;          // e.g. "Fuzz, cabinet off"
  std::string detail;         // smaller text after the title, e.g. the file and its format
  std::vector<float> samples; // mono
  double sampleRate = 44100;
};

struct ComparisonFigure
{
  std::string title;
  std::string subtitle;
  std::vector<FigureRow> rows;
};

// Row colours, in order; rows past the end reuse them.
FigureColor FigureRowColor(size_t row);

// The drawn picture (opaque), or null when it could not be allocated.
std::unique_ptr<FigureCanvas> DrawComparisonFigure(const ComparisonFigure& figure);
