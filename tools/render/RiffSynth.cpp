// Karplus-Strong strings: a noise burst circulating in a delay line one period long, averaged
// with its neighbour on every pass so that high partials die first, as on a plucked string.
#include "tools/render/RiffSynth.h"

#include <cmath>
#include <cstdint>

namespace {

struct Note
{
  double beat;    // start, in eighth notes
  double length;  // in eighth notes
  int root;       // MIDI note of the chord's root
  bool palmMuted; // short, damped pluck
};

// E-minor chug with a G and A lift and a Bb passing chord, two bars at 132 bpm, played twice.
const Note kRiff[] = {
    {0, 1, 40, true}, {1, 1, 40, true}, {2, 2, 43, false},  {4, 1, 40, true},   {5, 1, 40, true},   {6, 2, 45, false},
    {8, 1, 40, true}, {9, 1, 40, true}, {10, 1, 46, false}, {11, 1, 45, false}, {12, 4, 40, false},
};
constexpr double kEighthSeconds = 60.0 / 132.0 / 2.0;
constexpr int kRepeats = 2;
constexpr double kBarsBeats = 16.0;

// Adds one plucked string at frequency f starting at 'start' for 'frames' samples.
void Pluck(std::vector<float>& out, int sampleRate, size_t start, size_t frames, double f, double gain, double damping,
           std::uint32_t& seed)
{
  const size_t period = static_cast<size_t>(std::lround(sampleRate / f));
  if (period < 2) return;
  std::vector<double> line(period);
  double previous = 0.0;
  for (double& v : line) {
    seed = seed * 1664525u + 1013904223u;
    const double white = (static_cast<double>(seed >> 8) / 8388608.0) - 1.0;
    previous = 0.5 * previous + 0.5 * white; // a slightly dull pick
    v = previous;
  }
  size_t pos = 0;
  for (size_t n = 0; n < frames && start + n < out.size(); ++n) {
    const size_t next = pos + 1 == period ? 0 : pos + 1;
    const double y = line[pos];
    line[pos] = damping * 0.5 * (line[pos] + line[next]);
    pos = next;
    // A short fade at the end of the note avoids a click when the string is stopped.
    const double remaining = static_cast<double>(frames - n) / (0.005 * sampleRate);
    out[start + n] += static_cast<float>(gain * y * (remaining < 1.0 ? remaining : 1.0));
  }
}

double MidiToHz(int note)
{
  return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

} // namespace

std::vector<float> SynthesizeRiff(int sampleRate)
{
  const double totalSeconds = kRepeats * kBarsBeats * kEighthSeconds + 0.6;
  std::vector<float> out(static_cast<size_t>(totalSeconds * sampleRate), 0.0f);
  std::uint32_t seed = 12345;
  for (int r = 0; r < kRepeats; ++r) {
    for (const Note& note : kRiff) {
      const double startSec = (r * kBarsBeats + note.beat) * kEighthSeconds;
      const double lengthSec = note.length * kEighthSeconds * (note.palmMuted ? 0.7 : 1.0);
      const size_t start = static_cast<size_t>(startSec * sampleRate);
      const size_t frames = static_cast<size_t>(lengthSec * sampleRate);
      const double damping = note.palmMuted ? 0.985 : 0.998;
      // Power chord: root, fifth and octave.
      Pluck(out, sampleRate, start, frames, MidiToHz(note.root), 0.18, damping, seed);
      Pluck(out, sampleRate, start, frames, MidiToHz(note.root + 7), 0.14, damping, seed);
      Pluck(out, sampleRate, start, frames, MidiToHz(note.root + 12), 0.10, damping, seed);
    }
  }
  return out;
}
