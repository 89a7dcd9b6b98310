// Pictures of the sound: the magnitude response of Brindle's linear stages (the tone stage times the
// Level gain, and optionally the cabinet), drawn with the editor framework's frequency-response graph.
#pragma once

#include <string>
#include <vector>

#include "graphics/IGraphicsTypes.h"

struct ResponseCurve
{
  double level = 0.5; // "Level", 0..1
  int cabinet = 1;    // 1 on, 0 off
  double rate = 44100.0;
  IColor color{255, 200, 60, 20};
  std::string name; // the curve's key on the picture
};

// The first `length` samples of the linear stages' impulse response.
std::vector<double> MeasureLinearStages(const ResponseCurve& curve, int length);

// One graph with every curve (all at the first curve's rate), normalised to the highest peak among them.
// False with a one-line message on failure.
bool DrawResponsePicture(const std::vector<ResponseCurve>& curves, const std::string& title, const std::string& path,
                         std::string& error);
