// Progress bar drawing.
#include "tools/render/ProgressBar.h"

#include <cstdio>

ProgressBar::ProgressBar(bool enabled, std::int64_t total) : mEnabled(enabled && total > 0), mTotal(total) {}

void ProgressBar::Update(std::int64_t done)
{
  if (!mEnabled) return;
  const int percent = static_cast<int>(done >= mTotal ? 100 : done * 100 / mTotal);
  if (percent == mShown) return;
  mShown = percent;
  constexpr int kWidth = 40;
  char bar[kWidth + 1];
  const int filled = percent * kWidth / 100;
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = '\0';
  std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
  std::fflush(stderr);
}

void ProgressBar::Finish()
{
  if (!mEnabled || mShown < 0) return;
  std::fprintf(stderr, "\r%*s\r", 48, "");
  std::fflush(stderr);
}
