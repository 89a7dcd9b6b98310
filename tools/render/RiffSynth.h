// A small plucked-string synthesizer (Karplus-Strong) that plays a fixed power-chord riff, so the
// demo needs no input file. Deterministic: the same call always gives the same samples.
#pragma once

#include <vector>

// Mono samples of the riff at the given rate; peak level about 0.4.
std::vector<float> SynthesizeRiff(int sampleRate);
