// Sound files to comparison picture: reads each file (any format libsndfile reads, channels mixed
// to mono), draws the waveform-and-spectrum figure with one row per file and saves it as a PNG.
// Every input is read before anything is written, and the picture goes through a temporary file,
// so a failure leaves no output behind.
#pragma once

#include <string>
#include <vector>

struct PlotInput
{
  std::string path;
  std::string title; // empty: the file's name
};

// At most this many rows in one picture; more would be too tall to read.
constexpr int kMaxPlotRows = 16;

bool PlotSoundFiles(const std::vector<PlotInput>& inputs, const std::string& title, const std::string& subtitle,
                    const std::string& outPath, std::string& error);
