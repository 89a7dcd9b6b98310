// Guards a compiler fault we hit: with GCC 12 at -O2 the straight-line vectoriser dropped the
// rounding of two adjacent double->float->double conversions. Results across the project
// (noise table, grid warps) rely on that rounding, so the build must keep it.
#include <gtest/gtest.h>

namespace {

struct Record
{
  long long a, b, c, d;
  double u, v, span;
};

Record gSeen;

__attribute__((noipa)) void Keep(const Record& r)
{
  gSeen = r;
}

__attribute__((noipa)) void RoundPair(const double* in)
{
  Record r{};
  r.a = 1;
  r.b = 2;
  r.c = 3;
  r.d = 4;
  r.u = static_cast<float>(in[0]);
  r.v = static_cast<float>(in[1]);
  r.span = in[2] - in[0];
  Keep(r);
}

} // namespace

TEST(Toolchain, AdjacentFloatRoundingsAreKept)
{
  const double in[3] = {1.9999999999, 2.9999999999, 5.0};
  RoundPair(in);
  const Record& r = gSeen;
  EXPECT_EQ(r.u, 2.0);
  EXPECT_EQ(r.v, 3.0);
  EXPECT_EQ(r.span, 5.0 - 1.9999999999);
}
