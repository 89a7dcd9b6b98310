// A one-line progress bar on stderr, redrawn only when the shown percentage changes.
#pragma once

#include <cstdint>

class ProgressBar
{
public:
  // Draws nothing unless enabled and the total is known.
  ProgressBar(bool enabled, std::int64_t total);
  void Update(std::int64_t done);
  // Clears the line.
  void Finish();

private:
  bool mEnabled;
  std::int64_t mTotal;
  int mShown = -1;
};
